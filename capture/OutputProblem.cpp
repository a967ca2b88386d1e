#include "capture/OutputProblem.h"

#include <windows.h>

OutputProblem OutputProblemOfError(unsigned long error) {
    switch (error) {
    case ERROR_SUCCESS:
        return OutputProblem::None;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_NETWORK_ACCESS_DENIED:
        return OutputProblem::FolderDenied;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_NETNAME_DELETED:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_NO_NET_OR_BAD_PATH:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
        return OutputProblem::FolderUnreachable;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return OutputProblem::DiskFull;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return OutputProblem::NoFreeName;
    default:
        return OutputProblem::WriteFailed;
    }
}
