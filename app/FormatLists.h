// Texts and selections of the panel's format, resolution and refresh-rate
// lists, and the choice of what Apply saves. Kept free of Windows headers so
// the rules are tested natively; the format records are templates over the
// GUID type, as in Core/FormatRules.h.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Core/FormatRules.h"
#include "settings/AppSettings.h"

// The three stream formats the lists offer, in the order they are listed.
constexpr const char* kListedSubtypes[] = {"MJPG", "YUY2", "H264"};

// Greatest common divisor of height and width as the aspect ratio uses it:
// the height itself when it divides the width, else Euclid on the height and
// the remainder. 1 for sizes of 0 or less, which a device may report.
float AspectDivisor(int32_t width, int32_t height);
// "%d:%d" reduced by AspectDivisor: 1920x1080 gives "16:9".
std::string AspectRatioText(int32_t width, int32_t height);
// "%dP" of the height below a width of 2048, else "2K", "4K" or "8K".
std::string ResolutionClassText(int32_t width, int32_t height);
// "0.31MP 4:3 (640 x 480)"; H264 entries say "M" instead of "MP".
std::string PhotoResolutionText(const char* subtypeName, int32_t width, int32_t height);
// "1080P 16:9 30fps".
std::string VideoResolutionText(int32_t width, int32_t height, int frameRate);

// A stream-format name as stored in the settings, without the line feed or
// carriage return that a value read back from the file still ends in.
std::string FormatNameWithoutLineEnd(const char* name);

// The formats whose subtype name is exactly `name`, in the camera's order.
// Empty for any name other than the three listed ones.
template <class Guid>
std::vector<BasicStreamFormat<Guid>>
FormatsNamed(const std::vector<BasicStreamFormat<Guid>>& formats, const char* name) {
    std::vector<BasicStreamFormat<Guid>> named;
    bool listed = false;
    for (const char* subtype : kListedSubtypes) {
        listed = listed || std::strcmp(subtype, name) == 0;
    }
    if (!listed) {
        return named;
    }
    for (const BasicStreamFormat<Guid>& format : formats) {
        if (std::strcmp(format.subtypeName, name) == 0) {
            named.push_back(format);
        }
    }
    return named;
}

// Position of the entry that stands for the camera's current format: the
// first of its size and frame rate, else the last of its size (a camera may
// not report its rate), or -1 when no entry has that size.
template <class Guid>
int MatchingResolution(const std::vector<BasicStreamFormat<Guid>>& entries, int32_t width,
                       int32_t height, int frameRate) {
    int match = -1;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].width == width && entries[i].height == height) {
            if (entries[i].frameRate == frameRate) {
                return static_cast<int>(i);
            }
            match = static_cast<int>(i);
        }
    }
    return match;
}

// What Apply saves: the photo and video sizes of the entries at the two list
// positions of the named format, and the name. False, leaving `saved`
// untouched, unless both positions lie inside that format's entries.
template <class Guid>
bool ChooseSavedSettings(const std::vector<BasicStreamFormat<Guid>>& formats, const char* name,
                         int photoPosition, int videoPosition, AppSettings& saved) {
    const std::vector<BasicStreamFormat<Guid>> entries = FormatsNamed(formats, name);
    const auto inside = [&entries](int position) {
        return position >= 0 && static_cast<std::size_t>(position) < entries.size();
    };
    if (!inside(photoPosition) || !inside(videoPosition)) {
        return false;
    }
    AppSettings record{};
    record.PhotoResolution_Width = entries[photoPosition].width;
    record.PhotoResolution_Height = entries[photoPosition].height;
    record.VideoResolution_Width = entries[videoPosition].width;
    record.VideoResolution_Height = entries[videoPosition].height;
    SetSettingsText(record.FileFormat, kFileFormatWidth, name);
    saved = record;
    return true;
}

// Refresh-rate list position of a power-line frequency value (2 is 60 Hz,
// anything else shows as 50 Hz), and the value a position stands for (0 for
// a position outside the two entries).
int RefreshRatePosition(long powerLineFrequency);
long PowerLineFrequencyAt(int position);
