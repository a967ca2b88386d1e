#include "settings/SettingsFile.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "settings/SettingsFormat.h"

std::wstring SettingsFilePath() {
    wchar_t module[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    wchar_t drive[_MAX_DRIVE] = {};
    wchar_t directory[_MAX_DIR] = {};
    _wsplitpath_s(module, drive, _MAX_DRIVE, directory, _MAX_DIR, nullptr, 0, nullptr, 0);
    wchar_t path[MAX_PATH] = {};
    _wmakepath_s(path, MAX_PATH, drive, directory, L"setting", L"ini");
    return path;
}

bool LoadSettings(AppSettings& settings) {
    // Text mode: the C runtime turns CR LF into LF.
    std::FILE* file = _wfopen(SettingsFilePath().c_str(), L"r");
    if (file == nullptr) {
        return false;
    }
    ReadSettingsStream(file, settings);
    std::fclose(file);
    return true;
}

bool SaveSettings(const AppSettings& settings) {
    std::wstring path = SettingsFilePath();
    // The language line is the user's: carry over what the file holds now.
    AppSettings previous{};
    LoadSettings(previous);
    std::FILE* file = _wfopen(path.c_str(), L"w");
    if (file == nullptr) {
        return false;
    }
    bool written = WriteSettingsStream(file, settings, previous.Language);
    bool closed = std::fclose(file) == 0;
    return written && closed;
}
