// The rules behind a camera's format lists: which capabilities a pin
// contributes, the frame rate of a frame interval, the flat list with pin
// positions, the pin a graph is built on and the entry a size and subtype
// stand for. Kept free of Windows headers; the record types are templates over
// the GUID type so that the camera code and the native tests share them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// The subtypes the program works with; every other one is Other. The panel
// lists MJPG, YUY2 and H264; the uncompressed ones after them (I420 stands
// for IYUV too, the same layout) are shown, photographed and recorded when a
// camera's pin runs at them.
enum class SubtypeKind { Other, Mjpg, Yuy2, H264, Nv12, I420, Yv12, Uyvy, Rgb24, Rgb32 };

// "MJPG", "YUY2", "H264", or nullptr for the kinds the lists do not show.
const char* SubtypeNameOf(SubtypeKind kind);

// MJPG, YUY2 and H264: the kinds the format lists show.
bool IsListedKind(SubtypeKind kind);
// Every kind but Other: samples of it become pictures.
bool IsDecodableKind(SubtypeKind kind);

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
    // Its capabilities in the uncompressed formats the lists do not show
    // (with empty names): a pin that offers only these is still opened, and
    // one that starts at one of them is run at it.
    std::vector<BasicStreamFormat<Guid>> unlistedFormats;

    bool Empty() const { return pinFormats.empty() && unlistedFormats.empty(); }
};

// Applies one capability of a pin to its group; answers whether it was kept
// in the listed formats. height is positive; bottomUp tells the row order of
// an RGB capability.
template <class Guid>
bool AddCapability(BasicPinFormatGroup<Guid>& group, SubtypeKind kind, const Guid& subtype,
                   int32_t width, int32_t height, int64_t avgTimePerFrame, bool bottomUp = false) {
    BasicStreamFormat<Guid> format;
    format.width = width;
    format.height = height;
    format.frameRate = StoredFrameRate(avgTimePerFrame);
    format.subtype = subtype;
    format.bottomUp = bottomUp;
    if (!AdmitCapability(kind, width, height, group.hasH264)) {
        if (!IsListedKind(kind) && IsDecodableKind(kind) && width > 0 && height > 0) {
            group.unlistedFormats.push_back(format);
        }
        return false;
    }
    std::memcpy(format.subtypeName, SubtypeNameOf(kind), 4);
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

// Of the entries of the given size and subtype, the one with the highest
// frame rate (the first of equals), or nullptr. A camera may list its
// slower rate first; where nothing else tells the rate (setting.ini keeps
// none), the fastest is the one to run.
template <class Guid>
const BasicStreamFormat<Guid>* FastestFormat(const std::vector<BasicStreamFormat<Guid>>& formats,
                                             int32_t width, int32_t height, const Guid& subtype) {
    const BasicStreamFormat<Guid>* fastest = nullptr;
    for (const BasicStreamFormat<Guid>& entry : formats) {
        if (entry.width == width && entry.height == height && entry.subtype == subtype &&
            (fastest == nullptr || entry.frameRate > fastest->frameRate)) {
            fastest = &entry;
        }
    }
    return fastest;
}
