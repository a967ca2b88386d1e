#include "Core/FormatRules.h"

#include <cwchar>

const char* SubtypeNameOf(SubtypeKind kind) {
    switch (kind) {
    case SubtypeKind::Mjpg:
        return "MJPG";
    case SubtypeKind::Yuy2:
        return "YUY2";
    case SubtypeKind::H264:
        return "H264";
    default:
        return nullptr;
    }
}

bool IsListedKind(SubtypeKind kind) {
    return kind == SubtypeKind::Mjpg || kind == SubtypeKind::Yuy2 || kind == SubtypeKind::H264;
}

bool IsDecodableKind(SubtypeKind kind) {
    return kind != SubtypeKind::Other;
}

uint32_t FrameRateFromInterval(int64_t avgTimePerFrame) {
    if (avgTimePerFrame <= 0) {
        return 0;
    }
    return static_cast<uint32_t>(INT64_C(10000000) / avgTimePerFrame);
}

uint8_t StoredFrameRate(int64_t avgTimePerFrame) {
    return static_cast<uint8_t>(FrameRateFromInterval(avgTimePerFrame) & 0xFF);
}

bool AdmitCapability(SubtypeKind kind, int32_t width, int32_t height, bool& hasH264) {
    if (kind == SubtypeKind::H264) {
        hasH264 = true;
        return width != 0 && height != 0;
    }
    if (hasH264) {
        return false;
    }
    if (!IsListedKind(kind)) {
        return false;
    }
    return width != 0 && height != 0;
}

bool CopyPinId(wchar_t (&pinId)[kPinIdLength], const wchar_t* id) {
    std::memset(pinId, 0, sizeof(pinId));
    if (id == nullptr) {
        return false;
    }
    const std::size_t length = std::wcslen(id);
    if (length >= kPinIdLength) {
        return false;
    }
    std::wmemcpy(pinId, id, length);
    return true;
}
