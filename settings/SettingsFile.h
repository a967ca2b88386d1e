// setting.ini beside the executable: where it is, reading it and saving it.
#pragma once

#include <string>

#include "settings/AppSettings.h"

// Full path of setting.ini in the running executable's folder, built anew on each call.
std::wstring SettingsFilePath();

// Applies the file's lines to `settings`. False, with `settings` untouched,
// when the file cannot be opened; true otherwise (also for an empty file).
bool LoadSettings(AppSettings& settings);

// Writes the nineteen lines from `settings`, keeping the language line that
// the file held before. False when the file cannot be written.
bool SaveSettings(const AppSettings& settings);
