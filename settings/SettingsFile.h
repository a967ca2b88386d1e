// setting.ini: where it is, reading it and saving it. It lives beside the
// executable; where that folder cannot be written (the zip unpacked under
// Program Files), the user's own copy in %LOCALAPPDATA%\Orvana takes its
// place for reading and saving.
#pragma once

#include <cstdio>
#include <string>

#include "settings/AppSettings.h"
#include "settings/SettingsFormat.h"

// Full path of setting.ini in the running executable's folder, built anew on each call.
std::wstring SettingsFilePath();
// Full path of the user's own copy, %LOCALAPPDATA%\Orvana\setting.ini; empty
// when the system names no such folder.
std::wstring UserSettingsFilePath();

// Applies the lines of the file in use to `settings`: the one beside the
// executable, or the user's copy when that folder cannot be written and the
// copy exists. False, with `settings` untouched, when the file cannot be
// opened; true otherwise (also for an empty file).
bool LoadSettings(AppSettings& settings);

// Writes the nineteen lines from `settings`, keeping the language line of
// the file in use, into a new file that replaces the old one in one step:
// beside the executable, or in the user's copy when that folder cannot be
// written. False when the settings could not be saved anywhere (the old file
// then stays as it was). write puts the lines into the new file; a test
// hands in one that fails partway, as a disk that fills does.
using SettingsWriter = bool (*)(std::FILE* stream, const AppSettings& settings,
                                const char* language);
bool SaveSettings(const AppSettings& settings, SettingsWriter write = &WriteSettingsStream);
