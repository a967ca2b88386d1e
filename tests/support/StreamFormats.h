// Capture-format values for tests on both builds, their subtype named by its
// FourCC ("MJPG", "YUY2", "H264", "NV12").
#pragma once

#include <cstdint>
#include <cstring>

#include "Core/FormatRules.h"

namespace TestSupport {

// The FourCC of a name of up to four letters, its first letter in the low byte.
inline uint32_t FourCc(const char* name) {
    uint32_t fourcc = 0;
    for (int i = 0; i < 4 && name[i] != '\0'; ++i) {
        fourcc |= static_cast<uint32_t>(static_cast<uint8_t>(name[i])) << (8 * i);
    }
    return fourcc;
}

// Where the Windows headers are absent a subtype is its FourCC alone.
struct FourCcGuid {
    uint32_t data1 = 0;
    bool operator==(const FourCcGuid& other) const { return data1 == other.data1; }
};

// A format of the named subtype at that size and frame rate; its subtype's
// GUID is left to the caller (DirectShowFormats.h fills DirectShow's).
template <class Guid>
BasicStreamFormat<Guid> StreamFormatOf(const char* name, int32_t width, int32_t height,
                                       uint8_t frameRate = 0) {
    BasicStreamFormat<Guid> format;
    format.width = width;
    format.height = height;
    format.frameRate = frameRate;
    std::strncpy(format.subtypeName, name, sizeof format.subtypeName - 1);
    return format;
}

} // namespace TestSupport
