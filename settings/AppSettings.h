// AppSettings: the user's choices kept in setting.ini between runs.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::size_t kFileFormatWidth = 10;
constexpr std::size_t kLanguageWidth = 100;

// A plain record, copied by value; a fresh one is all zero.
//
// Text fields hold up to their width in bytes, copied from the file without
// a terminator (a value read from the file keeps its line feed). Each field
// carries one extra byte that is always zero, so a value that fills the
// field exactly is still a terminated string.
struct AppSettings {
    int32_t PhotoResolution_Width;
    int32_t PhotoResolution_Height;
    int32_t VideoResolution_Width;
    int32_t VideoResolution_Height;
    char FileFormat[kFileFormatWidth + 1];
    char Language[kLanguageWidth + 1];
};

// Process-wide copy used by the photo and record actions (UI thread only).
extern AppSettings CurrentSettings;

// Copies a zero-terminated text into a field of the given width, cutting it
// to the width. Used for values that come from the user interface.
void SetSettingsText(char* field, std::size_t width, const char* text);
