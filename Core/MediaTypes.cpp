#include "Core/MediaTypes.h"

#include <dvdmedia.h>
#include <uuids.h>

#include <vector>

#include "Core/ComHelpers.h"

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
    if (IsEqualGUID(subtype, MEDIASUBTYPE_NV12)) {
        return SubtypeKind::Nv12;
    }
    if (IsEqualGUID(subtype, MEDIASUBTYPE_IYUV) || IsEqualGUID(subtype, kMediaSubtypeI420)) {
        return SubtypeKind::I420;
    }
    if (IsEqualGUID(subtype, MEDIASUBTYPE_YV12)) {
        return SubtypeKind::Yv12;
    }
    if (IsEqualGUID(subtype, MEDIASUBTYPE_UYVY)) {
        return SubtypeKind::Uyvy;
    }
    if (IsEqualGUID(subtype, MEDIASUBTYPE_RGB24)) {
        return SubtypeKind::Rgb24;
    }
    if (IsEqualGUID(subtype, MEDIASUBTYPE_RGB32)) {
        return SubtypeKind::Rgb32;
    }
    return SubtypeKind::Other;
}

namespace {

void ReadBitmapHeader(const AM_MEDIA_TYPE& type, const BITMAPINFOHEADER& bitmap,
                      REFERENCE_TIME avgTimePerFrame, VideoFormatInfo& info) {
    const SubtypeKind kind = SubtypeKindOf(type.subtype);
    info.width = bitmap.biWidth;
    // Only RGB rows follow the sign; YUV rows always run top-down.
    info.height = bitmap.biHeight < 0 ? -bitmap.biHeight : bitmap.biHeight;
    info.bottomUp =
        (kind == SubtypeKind::Rgb24 || kind == SubtypeKind::Rgb32) && bitmap.biHeight > 0;
    info.avgTimePerFrame = avgTimePerFrame;
}

} // namespace

bool ReadVideoInfo(const AM_MEDIA_TYPE& type, VideoFormatInfo& info) {
    if (!IsEqualGUID(type.formattype, FORMAT_VideoInfo) || type.pbFormat == nullptr ||
        type.cbFormat < sizeof(VIDEOINFOHEADER)) {
        return false;
    }
    const auto* header = reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
    ReadBitmapHeader(type, header->bmiHeader, header->AvgTimePerFrame, info);
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
    ReadBitmapHeader(type, header->bmiHeader, header->AvgTimePerFrame, info);
    return true;
}

void ForEachVideoCapability(
    IAMStreamConfig* config,
    const std::function<bool(const AM_MEDIA_TYPE& type, const VideoFormatInfo& info)>& visit) {
    int count = 0;
    int capsSize = 0;
    if (config == nullptr || FAILED(config->GetNumberOfCapabilities(&count, &capsSize))) {
        return;
    }
    // Room for what GetStreamCaps writes: at least a VIDEO_STREAM_CONFIG_CAPS,
    // more when the pin says its capability records are larger.
    constexpr int kCapsBufferSize = 128;
    std::vector<BYTE> caps(capsSize > kCapsBufferSize ? static_cast<size_t>(capsSize)
                                                      : kCapsBufferSize);
    for (int i = 0; i < count; ++i) {
        AM_MEDIA_TYPE* raw = nullptr;
        const HRESULT hr = config->GetStreamCaps(i, &raw, caps.data());
        MediaTypePtr type(raw);
        VideoFormatInfo info;
        if (FAILED(hr) || !type || !ReadAnyVideoInfo(*type, info)) {
            continue;
        }
        if (!visit(*type, info)) {
            return;
        }
    }
}
