// The byte format of setting.ini: reading its lines into an AppSettings and
// writing the nineteen lines. No file names here; see SettingsFile.h.
#pragma once

#include <cstddef>
#include <cstdio>

#include "settings/AppSettings.h"

// One read takes at most this many bytes of a line; a longer line is read in
// pieces, each applied as a line of its own.
constexpr std::size_t kSettingsLineBytes = 1023;
// At most this many bytes of a value (line feed included) are looked at.
constexpr std::size_t kSettingsValueBytes = 259;

// Applies one line (up to and including its line feed, if any) to the record.
// Lines that start with none of the six keys change nothing.
void ApplySettingsLine(AppSettings& settings, const char* line, std::size_t length);

// Applies every line of an open stream.
void ReadSettingsStream(std::FILE* stream, AppSettings& settings);

// Writes the nineteen lines: resolutions and file format from `settings`,
// then the comment block and "Language=" followed by `language` as it stands.
// Returns false when a write fails.
bool WriteSettingsStream(std::FILE* stream, const AppSettings& settings, const char* language);
