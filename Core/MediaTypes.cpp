#include "Core/MediaTypes.h"

#include <dvdmedia.h>
#include <uuids.h>

SubtypeKind SubtypeKindOf(const GUID& subtype) {
    if (IsEqualGUID(subtype, MEDIASUBTYPE_MJPG)) {
        return SubtypeKind::Mjpg;
    }
    if (IsEqualGUID(subtype, MEDIASUBTYPE_YUY2)) {
        return SubtypeKind::Yuy2;
    }
    if (IsEqualGUID(subtype, kMediaSubtypeH264)) {
        return SubtypeKind::H264;
    }
    return SubtypeKind::Other;
}

bool ReadVideoInfo(const AM_MEDIA_TYPE& type, VideoFormatInfo& info) {
    if (!IsEqualGUID(type.formattype, FORMAT_VideoInfo) || type.pbFormat == nullptr ||
        type.cbFormat < sizeof(VIDEOINFOHEADER)) {
        return false;
    }
    const auto* header = reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
    info.width = header->bmiHeader.biWidth;
    info.height = header->bmiHeader.biHeight;
    info.avgTimePerFrame = header->AvgTimePerFrame;
    return true;
}

bool ReadAnyVideoInfo(const AM_MEDIA_TYPE& type, VideoFormatInfo& info) {
    if (ReadVideoInfo(type, info)) {
        return true;
    }
    if (!IsEqualGUID(type.formattype, FORMAT_VideoInfo2) || type.pbFormat == nullptr ||
        type.cbFormat < sizeof(VIDEOINFOHEADER2)) {
        return false;
    }
    const auto* header = reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat);
    info.width = header->bmiHeader.biWidth;
    info.height = header->bmiHeader.biHeight;
    info.avgTimePerFrame = header->AvgTimePerFrame;
    return true;
}
