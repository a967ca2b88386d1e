#include "capture/OutputFolder.h"

#include <shlobj.h>

#include "capture/OutputFile.h"
#include "capture/OutputNaming.h"
#include "capture/RecordingFile.h"

namespace {
constexpr char kFolderName[] = "OrvanaCapture";
}

bool EnsureFolder(const std::string& base, const char* name) {
    const std::wstring path = WidePath(base + "/" + name);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return true;
    }
    return ::CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

std::string OutputFolder(HWND window, bool* made) {
    // Wide: a user name in letters the ANSI code page lacks would turn into
    // "?" and name no folder.
    wchar_t base[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, base);
    wchar_t videos[MAX_PATH] = {};
    if (::SHGetSpecialFolderPathW(window, videos, CSIDL_MYVIDEO, FALSE)) {
        lstrcpynW(base, videos, MAX_PATH);
    }
    std::string folder = Utf8Path(base);
    const bool ensured = EnsureFolder(folder, kFolderName);
    if (made != nullptr) {
        *made = ensured;
    }
    if (ensured) {
        folder += "\\";
        folder += kFolderName;
    }
    return folder;
}

void RemoveLeftoverCopies(const std::string& folder) {
    const std::string copyEnding = RecordingFile::OrdinaryCopyPath(".mp4");
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW(WidePath(folder + "\\*" + copyEnding).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::string name = Utf8Path(found.cFileName);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
            name.size() <= copyEnding.size() || !IsTimestampFileName(name, copyEnding.c_str())) {
            continue;
        }
        const std::string recording = name.substr(0, name.size() - copyEnding.size()) + ".mp4";
        if (OutputFileExists(folder + "\\" + recording)) {
            DeleteOutputFile(folder + "\\" + name);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

std::string NewOutputFilePath(HWND window, const char* extension) {
    const std::string folder = OutputFolder(window);
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    LocalTimeFields time{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    return UniqueOutputPath(folder, time, extension, &OutputFileExists);
}
