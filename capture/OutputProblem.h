// OutputProblem: why a photo or a recording could not be written, or the
// output folder not opened, as the window tells the user (each has a
// notice of its own: what to do differs).
#pragma once

enum class OutputProblem {
    None,
    // Windows refuses to let the program write there (controlled folder
    // access, the folder's permissions, a read-only medium).
    FolderDenied,
    // The folder is not there and cannot be made: the Videos folder points
    // to a share or a drive that is gone.
    FolderUnreachable,
    DiskFull,
    // Every name of this second is taken.
    NoFreeName,
    // Anything else that kept the file from being written (a drive pulled out).
    WriteFailed,
};

// What a Windows error code (GetLastError) of creating or writing a file or
// a folder means to the user.
OutputProblem OutputProblemOfError(unsigned long error);
