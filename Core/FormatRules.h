// The rules behind a camera's format lists: which capabilities a pin
// contributes, the frame rate of a frame interval, the flat list with pin
// positions, the pin a graph is built on and the entry an active format
// matches. Kept free of Windows headers; the record types are templates over
// the GUID type so that the camera code and the native tests share them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// The subtypes the program works with; every other one is Other.
enum class SubtypeKind { Other, Mjpg, Yuy2, H264 };

// "MJPG", "YUY2", "H264", or nullptr for Other.
const char* SubtypeNameOf(SubtypeKind kind);

// Frames per second for an average frame interval in 100-ns units, truncated
// toward zero. A zero or negative interval (a device that reports none)
// gives 0 instead of dividing by it.
uint32_t FrameRateFromInterval(int64_t avgTimePerFrame);

// The same, cut to the low 8 bits as a stream format keeps it.
uint8_t StoredFrameRate(int64_t avgTimePerFrame);

// Decides whether a capability joins its pin's list, and notes an H264 one.
// Once a pin has shown H264, its later MJPG and YUY2 capabilities are
// dropped; entries with a width or height of 0 and other subtypes never join.
bool AdmitCapability(SubtypeKind kind, int32_t width, int32_t height, bool& hasH264);

// Room for a pin identifier and its terminator.
constexpr std::size_t kPinIdLength = 50;

// Copies a pin identifier into a zero-filled buffer. Answers false, leaving
// the buffer all zeros, when the identifier is missing or does not fit: a
// shortened identifier would not find its pin again.
bool CopyPinId(wchar_t (&pinId)[kPinIdLength], const wchar_t* id);

// One capture format, copied by value.
template <class Guid> struct BasicStreamFormat {
    int32_t width = 0;
    int32_t height = 0; // always positive; see bottomUp
    uint8_t pinIndex = 0;
    uint8_t frameRate = 0;
    char subtypeName[5] = {};
    Guid subtype{};
    // The rows of an uncompressed RGB picture run from the bottom up, as
    // DirectShow's RGB with a positive biHeight does.
    bool bottomUp = false;
};

// One output pin of a camera and the capabilities it contributes.
template <class Guid> struct BasicPinFormatGroup {
    wchar_t pinId[kPinIdLength] = {};
    bool hasH264 = false;
    std::vector<BasicStreamFormat<Guid>> pinFormats;
};

// Applies one capability of a pin to its group; answers whether it was kept.
template <class Guid>
bool AddCapability(BasicPinFormatGroup<Guid>& group, SubtypeKind kind, const Guid& subtype,
                   int32_t width, int32_t height, int64_t avgTimePerFrame) {
    if (!AdmitCapability(kind, width, height, group.hasH264)) {
        return false;
    }
    BasicStreamFormat<Guid> format;
    format.width = width;
    format.height = height;
    format.frameRate = StoredFrameRate(avgTimePerFrame);
    std::memcpy(format.subtypeName, SubtypeNameOf(kind), 4);
    format.subtype = subtype;
    group.pinFormats.push_back(format);
    return true;
}

// All groups' entries, group after group, each with its group's position.
template <class Guid>
std::vector<BasicStreamFormat<Guid>>
FlattenGroups(const std::vector<BasicPinFormatGroup<Guid>>& groups) {
    std::vector<BasicStreamFormat<Guid>> formats;
    for (std::size_t k = 0; k < groups.size(); ++k) {
        for (const BasicStreamFormat<Guid>& entry : groups[k].pinFormats) {
            formats.push_back(entry);
            formats.back().pinIndex = static_cast<uint8_t>(k & 0xFF);
        }
    }
    return formats;
}

// Position of the group whose pin a graph is built on, or -1 when there is
// none. A camera being opened prefers the first pin without H264 (the last
// pin when all have it); an opened camera uses the pin of its chosen format.
template <class Guid>
int ChooseBuildGroup(const std::vector<BasicPinFormatGroup<Guid>>& groups, bool opened,
                     unsigned pinIndex) {
    if (groups.empty()) {
        return -1;
    }
    if (opened) {
        return pinIndex < groups.size() ? static_cast<int>(pinIndex) : -1;
    }
    for (std::size_t k = 0; k < groups.size(); ++k) {
        if (!groups[k].hasH264) {
            return static_cast<int>(k);
        }
    }
    return static_cast<int>(groups.size() - 1);
}

// The first entry of the given size and subtype, or nullptr.
template <class Guid>
const BasicStreamFormat<Guid>* FindFormat(const std::vector<BasicStreamFormat<Guid>>& formats,
                                          int32_t width, int32_t height, const Guid& subtype) {
    for (const BasicStreamFormat<Guid>& entry : formats) {
        if (entry.width == width && entry.height == height && entry.subtype == subtype) {
            return &entry;
        }
    }
    return nullptr;
}
