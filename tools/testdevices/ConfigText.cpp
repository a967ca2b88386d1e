// Text forms of formats, lists and the small records kept in the registry.
#include "tools/testdevices/ConfigText.h"

#include <cstdio>
#include <mmsystem.h>

#include <cwchar>

namespace TestDevices {

namespace {

const struct {
    VideoSubtype subtype;
    const char* name;
    const wchar_t* wideName;
    DWORD fourcc; // 0 (BI_RGB) for the RGB formats, which have GUIDs of their own
} kSubtypes[] = {
    {VideoSubtype::MJPG, "MJPG", L"MJPG", MAKEFOURCC('M', 'J', 'P', 'G')},
    {VideoSubtype::YUY2, "YUY2", L"YUY2", MAKEFOURCC('Y', 'U', 'Y', '2')},
    {VideoSubtype::H264, "H264", L"H264", MAKEFOURCC('H', '2', '6', '4')},
    {VideoSubtype::NV12, "NV12", L"NV12", MAKEFOURCC('N', 'V', '1', '2')},
    {VideoSubtype::I420, "I420", L"I420", MAKEFOURCC('I', '4', '2', '0')},
    {VideoSubtype::IYUV, "IYUV", L"IYUV", MAKEFOURCC('I', 'Y', 'U', 'V')},
    {VideoSubtype::YV12, "YV12", L"YV12", MAKEFOURCC('Y', 'V', '1', '2')},
    {VideoSubtype::UYVY, "UYVY", L"UYVY", MAKEFOURCC('U', 'Y', 'V', 'Y')},
    {VideoSubtype::RGB24, "RGB24", L"RGB24", 0},
    {VideoSubtype::RGB32, "RGB32", L"RGB32", 0},
};

// The suffix of a format announced with a VIDEOINFOHEADER2.
constexpr wchar_t kVideoInfo2Word[] = L"VIH2";

} // namespace

bool operator==(const VideoFormat& a, const VideoFormat& b) {
    return a.subtype == b.subtype && a.width == b.width && a.height == b.height && a.fps == b.fps &&
           a.videoInfo2 == b.videoInfo2;
}

bool operator==(const Faults& a, const Faults& b) {
    return a.corruptEvery == b.corruptEvery && a.truncateEvery == b.truncateEvery &&
           a.zeroLengthEvery == b.zeroLengthEvery && a.stallAfter == b.stallAfter &&
           a.stallMs == b.stallMs && a.actualFps == b.actualFps &&
           a.endOfStreamAfter == b.endOfStreamAfter && a.randomSeed == b.randomSeed &&
           a.lockedStop == b.lockedStop && a.maxPixels == b.maxPixels &&
           a.startFailure == b.startFailure && a.deliverNothing == b.deliverNothing;
}

const char* SubtypeName(VideoSubtype subtype) {
    for (const auto& entry : kSubtypes) {
        if (entry.subtype == subtype)
            return entry.name;
    }
    return "";
}

DWORD SubtypeFourcc(VideoSubtype subtype) {
    for (const auto& entry : kSubtypes) {
        if (entry.subtype == subtype)
            return entry.fourcc;
    }
    return 0;
}

GUID SubtypeGuid(VideoSubtype subtype) {
    // MEDIASUBTYPE_RGB24 and MEDIASUBTYPE_RGB32: {E436EB7D-...} and {E436EB7E-...}.
    if (subtype == VideoSubtype::RGB24 || subtype == VideoSubtype::RGB32) {
        GUID guid = {subtype == VideoSubtype::RGB24 ? 0xE436EB7Du : 0xE436EB7Eu,
                     0x524F,
                     0x11CE,
                     {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
        return guid;
    }
    // Video subtypes of a FourCC are the FourCC followed by the fixed media-type suffix.
    GUID guid = {
        SubtypeFourcc(subtype), 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
    return guid;
}

bool ValidFormat(const VideoFormat& format) {
    return format.width >= 16 && format.width <= 4096 && format.height >= 16 &&
           format.height <= 4096 && format.width % 2 == 0 && format.height % 2 == 0 &&
           format.fps >= 1 && format.fps <= 120;
}

std::wstring FormatText(const VideoFormat& format) {
    const wchar_t* name = L"";
    for (const auto& entry : kSubtypes) {
        if (entry.subtype == format.subtype)
            name = entry.wideName;
    }
    wchar_t text[64];
    swprintf(text, 64, L"%ls %dx%d@%d%ls%ls", name, format.width, format.height, format.fps,
             format.videoInfo2 ? L" " : L"", format.videoInfo2 ? kVideoInfo2Word : L"");
    return text;
}

bool ParseFormat(const std::wstring& text, VideoFormat& format) {
    wchar_t name[8] = {};
    int width = 0, height = 0, fps = 0;
    wchar_t word[8] = {};
    wchar_t extra = 0;
    const int fields = swscanf(text.c_str(), L" %5ls %dx%d@%d %5ls %lc", name, &width, &height,
                               &fps, word, &extra);
    if (fields != 4 && !(fields == 5 && wcscmp(word, kVideoInfo2Word) == 0)) {
        return false;
    }
    for (const auto& entry : kSubtypes) {
        if (wcscmp(entry.wideName, name) == 0) {
            VideoFormat parsed{entry.subtype, width, height, fps, fields == 5};
            if (!ValidFormat(parsed))
                return false;
            format = parsed;
            return true;
        }
    }
    return false;
}

std::wstring FormatListText(const std::vector<VideoFormat>& formats) {
    std::wstring text;
    for (const auto& format : formats) {
        if (!text.empty())
            text += L';';
        text += FormatText(format);
    }
    return text;
}

bool ParseFormatList(const std::wstring& text, std::vector<VideoFormat>& formats) {
    std::vector<VideoFormat> parsed;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L';', start);
        if (end == std::wstring::npos)
            end = text.size();
        VideoFormat format;
        if (!ParseFormat(text.substr(start, end - start), format))
            return false;
        parsed.push_back(format);
        start = end + 1;
    }
    formats = std::move(parsed);
    return true;
}

std::wstring PropertyText(const PropertyRange& range) {
    wchar_t text[128];
    swprintf(text, 128, L"%ld %ld %ld %ld %ld %ld %ld", range.minimum, range.maximum, range.step,
             range.defaultValue, range.capsFlags, range.value, range.flags);
    return text;
}

bool ParsePropertyText(const std::wstring& text, PropertyRange& range) {
    PropertyRange parsed;
    parsed.supported = true;
    if (swscanf(text.c_str(), L"%ld %ld %ld %ld %ld %ld %ld", &parsed.minimum, &parsed.maximum,
                &parsed.step, &parsed.defaultValue, &parsed.capsFlags, &parsed.value,
                &parsed.flags) != 7) {
        return false;
    }
    if (!ValidProperty(parsed))
        return false;
    range = parsed;
    return true;
}

bool ValidProperty(const PropertyRange& range) {
    if (!range.supported)
        return true;
    return range.minimum <= range.maximum && range.step >= 1 && range.capsFlags >= 1 &&
           range.capsFlags <= 3 && range.defaultValue >= range.minimum &&
           range.defaultValue <= range.maximum && range.value >= range.minimum &&
           range.value <= range.maximum && (range.flags == 1 || range.flags == 2) &&
           (range.flags & range.capsFlags) != 0;
}

std::wstring FaultsText(const Faults& faults) {
    wchar_t text[128];
    swprintf(text, 128, L"%u %u %u %u %u %u %u %u %u %u %u %u", faults.corruptEvery,
             faults.truncateEvery, faults.zeroLengthEvery, faults.stallAfter, faults.stallMs,
             faults.actualFps, faults.endOfStreamAfter, faults.randomSeed, faults.lockedStop,
             faults.maxPixels, faults.startFailure, faults.deliverNothing);
    return text;
}

bool ParseFaultsText(const std::wstring& text, Faults& faults) {
    Faults parsed;
    // Records written before the seed existed have seven fields (periodic faults), those
    // before the camera's filter behaviours eight, those before the start faults ten.
    const int fields =
        swscanf(text.c_str(), L"%u %u %u %u %u %u %u %u %u %u %u %u", &parsed.corruptEvery,
                &parsed.truncateEvery, &parsed.zeroLengthEvery, &parsed.stallAfter, &parsed.stallMs,
                &parsed.actualFps, &parsed.endOfStreamAfter, &parsed.randomSeed, &parsed.lockedStop,
                &parsed.maxPixels, &parsed.startFailure, &parsed.deliverNothing);
    if (fields != 7 && fields != 8 && fields != 10 && fields != 12) {
        return false;
    }
    if (parsed.actualFps > 1000)
        return false;
    faults = parsed;
    return true;
}

std::wstring DelaysText(const Delays& delays) {
    wchar_t text[48];
    swprintf(text, 48, L"%u %u %u", delays.startMs, delays.propertyMs, delays.bindMs);
    return text;
}

bool ParseDelaysText(const std::wstring& text, Delays& delays) {
    Delays parsed;
    if (swscanf(text.c_str(), L"%u %u %u", &parsed.startMs, &parsed.propertyMs, &parsed.bindMs) !=
            3 ||
        !ValidDelays(parsed)) {
        return false;
    }
    delays = parsed;
    return true;
}

bool ValidDelays(const Delays& delays) {
    return delays.startMs <= kMaxDelayMs && delays.propertyMs <= kMaxDelayMs &&
           delays.bindMs <= kMaxDelayMs;
}

std::wstring InstanceKeyName(const std::wstring& devicePath) {
    // Registry key names cannot hold backslashes; device paths usually start with "\\?\".
    std::wstring name = devicePath;
    for (auto& c : name) {
        if (c == L'\\')
            c = L'#';
    }
    return name;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

} // namespace TestDevices
