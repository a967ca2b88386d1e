#include "capture/OutputFolder.h"

#include <shlobj.h>

#include "capture/OutputNaming.h"
#include "capture/recording/OutputFile.h"

namespace {
constexpr char kFolderName[] = "OrvanaCapture";
}

namespace {
bool FolderExists(const std::string& base, const char* name) {
    const DWORD attributes = ::GetFileAttributesW(WidePath(base + "/" + name).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
} // namespace

bool EnsureFolder(const std::string& base, const char* name) {
    if (FolderExists(base, name)) {
        return true;
    }
    return ::CreateDirectoryW(WidePath(base + "/" + name).c_str(), nullptr) != FALSE;
}

std::string OutputFolder(HWND window, bool* made, bool create, OutputProblem* problem) {
    // Wide: a user name in letters the ANSI code page lacks would turn into
    // "?" and name no folder.
    wchar_t base[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, base);
    wchar_t videos[MAX_PATH] = {};
    if (::SHGetSpecialFolderPathW(window, videos, CSIDL_MYVIDEO, FALSE)) {
        lstrcpynW(base, videos, MAX_PATH);
    }
    std::string folder = Utf8Path(base);
    const bool ensured =
        create ? EnsureFolder(folder, kFolderName) : FolderExists(folder, kFolderName);
    if (problem != nullptr) {
        *problem = ensured ? OutputProblem::None : OutputProblemOfError(::GetLastError());
        // A file of that name stands where the folder would go, or no code told why.
        if (!ensured &&
            (*problem == OutputProblem::None || *problem == OutputProblem::NoFreeName)) {
            *problem = OutputProblem::FolderUnreachable;
        }
    }
    if (made != nullptr) {
        *made = ensured;
    }
    if (ensured) {
        folder += "\\";
        folder += kFolderName;
    }
    return folder;
}

std::string NewOutputFilePath(HWND window, const char* extension) {
    return NewOutputFilePathIn(OutputFolder(window), extension);
}

std::string NewOutputFilePathIn(const std::string& folder, const char* extension) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    LocalTimeFields time{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    return UniqueOutputPath(folder, time, extension, &OutputFileExists);
}
