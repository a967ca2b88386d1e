#include "settings/SettingsFile.h"

#include <windows.h>

#include <io.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>

#include "settings/SettingsFormat.h"
#include "settings/UserDataFolder.h"

namespace {

// A name beside target that only this process uses: where the new content is
// written before it takes target's place.
std::wstring PrivateNameBeside(const std::wstring& target) {
    return target + L".~" + std::to_wstring(::GetCurrentProcessId());
}

// Whether a file can be made in the folder of target now. A folder that
// forbids it (the zip unpacked under Program Files, a read-only medium) sends
// the settings to the user's own copy.
bool FolderWritable(const std::wstring& target) {
    return CanCreateFile(PrivateNameBeside(target));
}

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The file start-up reads: the one beside the program, unless its folder
// cannot be written and the user has a copy of their own.
std::wstring SettingsFileToRead() {
    const std::wstring beside = SettingsFilePath();
    if (FolderWritable(beside)) {
        return beside;
    }
    const std::wstring user = UserSettingsFilePath();
    return !user.empty() && FileExists(user) ? user : beside;
}

// Writes the nineteen lines into a new file and puts it in target's place in
// one step, so that a crash or a power cut leaves the old file or the new
// one, never a file emptied or half written.
bool ReplaceSettingsFile(const std::wstring& target, const AppSettings& settings,
                         const char* language, SettingsWriter write) {
    // A setting.ini made read-only is the user's wish: kept as it is.
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return false;
    }
    const std::wstring fresh = PrivateNameBeside(target);
    // Text mode: the C runtime writes each line feed as CR LF.
    std::FILE* file = _wfopen(fresh.c_str(), L"w");
    if (file == nullptr) {
        return false;
    }
    bool written = write(file, settings, language);
    written = std::fflush(file) == 0 && written;
    // On the disk before it replaces the old file.
    written = _commit(_fileno(file)) == 0 && written;
    written = std::fclose(file) == 0 && written;
    if (!written || !::MoveFileExW(fresh.c_str(), target.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(fresh.c_str());
        return false;
    }
    return true;
}

} // namespace

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

std::wstring UserSettingsFilePath() {
    const std::wstring folder = UserDataFolder(false);
    return folder.empty() ? folder : folder + L"\\setting.ini";
}

bool LoadSettings(AppSettings& settings) {
    // Text mode: the C runtime turns CR LF into LF.
    std::FILE* file = _wfopen(SettingsFileToRead().c_str(), L"r");
    if (file == nullptr) {
        return false;
    }
    ReadSettingsStream(file, settings);
    std::fclose(file);
    return true;
}

bool SaveSettings(const AppSettings& settings, SettingsWriter write) {
    // The language line is the user's: carry over what the file read at
    // start holds now, also into a first copy of the user's own.
    AppSettings previous{};
    LoadSettings(previous);
    const std::wstring beside = SettingsFilePath();
    if (FolderWritable(beside)) {
        return ReplaceSettingsFile(beside, settings, previous.Language, write);
    }
    const std::wstring folder = UserDataFolder(true);
    return !folder.empty() &&
           ReplaceSettingsFile(folder + L"\\setting.ini", settings, previous.Language, write);
}
