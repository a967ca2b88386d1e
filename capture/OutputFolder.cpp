#include "capture/OutputFolder.h"

#include <shlobj.h>

#include "capture/OutputNaming.h"

namespace {
constexpr char kFolderName[] = "OrvanaCapture";
}

bool EnsureFolder(const char* base, const char* name) {
    const std::string path = std::string(base) + "/" + name;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return true;
    }
    return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

std::string OutputFolder(HWND window, bool* made) {
    char base[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, base);
    char videos[MAX_PATH] = {};
    if (::SHGetSpecialFolderPathA(window, videos, CSIDL_MYVIDEO, FALSE)) {
        lstrcpynA(base, videos, MAX_PATH);
    }
    const bool ensured = EnsureFolder(base, kFolderName);
    if (made != nullptr) {
        *made = ensured;
    }
    std::string folder = base;
    if (ensured) {
        folder += "\\";
        folder += kFolderName;
    }
    return folder;
}

void RemoveFiles(const std::string& folder, const char* pattern) {
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            ::DeleteFileA((folder + "\\" + found.cFileName).c_str());
        }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
}

std::string NewOutputFilePath(HWND window, const char* extension) {
    const std::string folder = OutputFolder(window);
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    LocalTimeFields time{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    return UniqueOutputPath(folder, time, extension, [](const std::string& path) {
        return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    });
}
