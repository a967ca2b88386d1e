#include "tools/testdevices/MediaTypes.h"

#include <dvdmedia.h>
#include <mmreg.h>

#include "tools/testdevices/ConfigText.h"

namespace TestDevices {

MediaType& MediaType::operator=(const MediaType& other) {
    if (this != &other)
        Assign(other.type_);
    return *this;
}

bool MediaType::Assign(const AM_MEDIA_TYPE& other) {
    Clear();
    return CopyMediaTypeContents(type_, other);
}

void MediaType::Clear() {
    FreeMediaTypeContents(type_);
    ZeroMemory(&type_, sizeof(type_));
}

AM_MEDIA_TYPE* MediaType::CreateCopy() const {
    auto* copy = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!copy)
        return nullptr;
    if (!CopyMediaTypeContents(*copy, type_)) {
        CoTaskMemFree(copy);
        return nullptr;
    }
    return copy;
}

void FreeMediaTypeContents(AM_MEDIA_TYPE& type) {
    if (type.cbFormat != 0 || type.pbFormat)
        CoTaskMemFree(type.pbFormat);
    type.cbFormat = 0;
    type.pbFormat = nullptr;
    if (type.pUnk)
        type.pUnk->Release();
    type.pUnk = nullptr;
}

void DeleteMediaType(AM_MEDIA_TYPE* type) {
    if (!type)
        return;
    FreeMediaTypeContents(*type);
    CoTaskMemFree(type);
}

bool CopyMediaTypeContents(AM_MEDIA_TYPE& target, const AM_MEDIA_TYPE& source) {
    target = source;
    target.pbFormat = nullptr;
    target.cbFormat = 0;
    if (source.cbFormat != 0 && source.pbFormat) {
        target.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(source.cbFormat));
        if (!target.pbFormat) {
            target.pUnk = nullptr;
            return false;
        }
        memcpy(target.pbFormat, source.pbFormat, source.cbFormat);
        target.cbFormat = source.cbFormat;
    }
    if (target.pUnk)
        target.pUnk->AddRef();
    return true;
}

bool RawSubtype(VideoSubtype subtype) {
    return subtype != VideoSubtype::MJPG && subtype != VideoSubtype::H264;
}

namespace {

WORD BitCount(VideoSubtype subtype) {
    switch (subtype) {
    case VideoSubtype::NV12:
    case VideoSubtype::I420:
    case VideoSubtype::IYUV:
    case VideoSubtype::YV12:
        return 12;
    case VideoSubtype::YUY2:
    case VideoSubtype::UYVY:
        return 16;
    case VideoSubtype::RGB32:
        return 32;
    default:
        return 24; // RGB24, and what the compressed formats announce
    }
}

} // namespace

long RowBytes(const VideoFormat& format) {
    if (format.subtype == VideoSubtype::RGB24)
        return (format.width * 3 + 3) & ~3L; // DIB rows end on a four-byte boundary
    if (format.subtype == VideoSubtype::RGB32)
        return format.width * 4L;
    if (format.subtype == VideoSubtype::YUY2 || format.subtype == VideoSubtype::UYVY)
        return format.width * 2L;
    return format.width; // the luma rows of the 4:2:0 formats
}

long FrameBufferSize(const VideoFormat& format) {
    switch (format.subtype) {
    case VideoSubtype::NV12:
    case VideoSubtype::I420:
    case VideoSubtype::IYUV:
    case VideoSubtype::YV12:
        return static_cast<long>(format.width) * format.height * 3 / 2;
    case VideoSubtype::RGB24:
    case VideoSubtype::RGB32:
        return RowBytes(format) * format.height;
    default:
        return static_cast<long>(format.width) * format.height * 2;
    }
}

REFERENCE_TIME FrameIntervalOf(const AM_MEDIA_TYPE& type) {
    if (type.formattype == FORMAT_VideoInfo2 && type.pbFormat &&
        type.cbFormat >= sizeof(VIDEOINFOHEADER2))
        return reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat)->AvgTimePerFrame;
    if (type.formattype == FORMAT_VideoInfo && type.pbFormat &&
        type.cbFormat >= sizeof(VIDEOINFOHEADER))
        return reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->AvgTimePerFrame;
    return 0;
}

MediaType VideoMediaType(const VideoFormat& format) {
    MediaType result;
    AM_MEDIA_TYPE& type = result.Get();
    type.majortype = MEDIATYPE_Video;
    type.subtype = SubtypeGuid(format.subtype);
    type.formattype = format.videoInfo2 ? FORMAT_VideoInfo2 : FORMAT_VideoInfo;
    const bool raw = RawSubtype(format.subtype);
    type.bFixedSizeSamples = raw;
    type.bTemporalCompression = format.subtype == VideoSubtype::H264;
    type.lSampleSize = raw ? FrameBufferSize(format) : 0;
    const size_t size = format.videoInfo2 ? sizeof(VIDEOINFOHEADER2) : sizeof(VIDEOINFOHEADER);
    BYTE* block = static_cast<BYTE*>(CoTaskMemAlloc(size));
    if (!block)
        return MediaType();
    ZeroMemory(block, size);
    BITMAPINFOHEADER* bitmap = nullptr;
    if (format.videoInfo2) {
        auto* info = reinterpret_cast<VIDEOINFOHEADER2*>(block);
        info->AvgTimePerFrame = 10000000LL / format.fps;
        info->dwBitRate = static_cast<DWORD>(static_cast<long long>(FrameBufferSize(format)) * 8 *
                                             format.fps / (raw ? 1 : 10));
        info->dwPictAspectRatioX = format.width;
        info->dwPictAspectRatioY = format.height;
        bitmap = &info->bmiHeader;
    } else {
        auto* info = reinterpret_cast<VIDEOINFOHEADER*>(block);
        info->AvgTimePerFrame = 10000000LL / format.fps;
        info->dwBitRate = static_cast<DWORD>(static_cast<long long>(FrameBufferSize(format)) * 8 *
                                             format.fps / (raw ? 1 : 10));
        bitmap = &info->bmiHeader;
    }
    bitmap->biSize = sizeof(BITMAPINFOHEADER);
    bitmap->biWidth = format.width;
    // Positive: RGB rows run bottom-up, as DirectShow's RGB does; YUV rows always top-down.
    bitmap->biHeight = format.height;
    bitmap->biPlanes = 1;
    bitmap->biBitCount = BitCount(format.subtype);
    bitmap->biCompression = SubtypeFourcc(format.subtype);
    bitmap->biSizeImage = FrameBufferSize(format);
    type.pbFormat = block;
    type.cbFormat = static_cast<ULONG>(size);
    return result;
}

VIDEO_STREAM_CONFIG_CAPS VideoCaps(const VideoFormat& format) {
    VIDEO_STREAM_CONFIG_CAPS caps;
    ZeroMemory(&caps, sizeof(caps));
    caps.guid = format.videoInfo2 ? FORMAT_VideoInfo2 : FORMAT_VideoInfo;
    caps.VideoStandard = 0;
    caps.InputSize = {format.width, format.height};
    caps.MinCroppingSize = caps.InputSize;
    caps.MaxCroppingSize = caps.InputSize;
    caps.CropGranularityX = 1;
    caps.CropGranularityY = 1;
    caps.MinOutputSize = caps.InputSize;
    caps.MaxOutputSize = caps.InputSize;
    caps.OutputGranularityX = 1;
    caps.OutputGranularityY = 1;
    caps.MinFrameInterval = 10000000LL / format.fps;
    caps.MaxFrameInterval = caps.MinFrameInterval;
    const LONG bits = FrameBufferSize(format) * 8 * format.fps;
    caps.MinBitsPerSecond = bits / 20;
    caps.MaxBitsPerSecond = bits;
    return caps;
}

MediaType AudioMediaType(int sampleRate, int channels) {
    MediaType result;
    AM_MEDIA_TYPE& type = result.Get();
    type.majortype = MEDIATYPE_Audio;
    type.subtype = MEDIASUBTYPE_PCM;
    type.formattype = FORMAT_WaveFormatEx;
    type.bFixedSizeSamples = TRUE;
    type.lSampleSize = channels * 2;
    auto* wave = static_cast<WAVEFORMATEX*>(CoTaskMemAlloc(sizeof(WAVEFORMATEX)));
    if (!wave)
        return MediaType();
    ZeroMemory(wave, sizeof(*wave));
    wave->wFormatTag = WAVE_FORMAT_PCM;
    wave->nChannels = static_cast<WORD>(channels);
    wave->nSamplesPerSec = sampleRate;
    wave->wBitsPerSample = 16;
    wave->nBlockAlign = static_cast<WORD>(channels * 2);
    wave->nAvgBytesPerSec = sampleRate * wave->nBlockAlign;
    wave->cbSize = 0;
    type.pbFormat = reinterpret_cast<BYTE*>(wave);
    type.cbFormat = sizeof(WAVEFORMATEX);
    return result;
}

AUDIO_STREAM_CONFIG_CAPS AudioCaps(int sampleRate, int channels) {
    AUDIO_STREAM_CONFIG_CAPS caps;
    ZeroMemory(&caps, sizeof(caps));
    caps.guid = MEDIATYPE_Audio;
    caps.MinimumChannels = channels;
    caps.MaximumChannels = channels;
    caps.ChannelsGranularity = 1;
    caps.MinimumBitsPerSample = 16;
    caps.MaximumBitsPerSample = 16;
    caps.BitsPerSampleGranularity = 1;
    caps.MinimumSampleFrequency = sampleRate;
    caps.MaximumSampleFrequency = sampleRate;
    caps.SampleFrequencyGranularity = 1;
    return caps;
}

bool ParseVideoMediaType(const AM_MEDIA_TYPE& type, VideoFormat& format) {
    const BITMAPINFOHEADER* bitmap = nullptr;
    if (type.formattype == FORMAT_VideoInfo && type.pbFormat &&
        type.cbFormat >= sizeof(VIDEOINFOHEADER)) {
        bitmap = &reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->bmiHeader;
    } else if (type.formattype == FORMAT_VideoInfo2 && type.pbFormat &&
               type.cbFormat >= sizeof(VIDEOINFOHEADER2)) {
        bitmap = &reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat)->bmiHeader;
    } else {
        return false;
    }
    VideoFormat parsed;
    bool known = false;
    for (VideoSubtype subtype :
         {VideoSubtype::MJPG, VideoSubtype::YUY2, VideoSubtype::H264, VideoSubtype::NV12,
          VideoSubtype::I420, VideoSubtype::IYUV, VideoSubtype::YV12, VideoSubtype::UYVY,
          VideoSubtype::RGB24, VideoSubtype::RGB32}) {
        if (type.subtype == SubtypeGuid(subtype)) {
            parsed.subtype = subtype;
            known = true;
        }
    }
    if (!known)
        return false;
    parsed.width = bitmap->biWidth;
    parsed.height = bitmap->biHeight;
    parsed.videoInfo2 = type.formattype == FORMAT_VideoInfo2;
    const REFERENCE_TIME interval = FrameIntervalOf(type);
    // An interval of 0 leaves the rate to the device; it is matched against the offered ones.
    parsed.fps = interval > 0 ? static_cast<int>((10000000LL + interval / 2) / interval) : 0;
    format = parsed;
    return true;
}

} // namespace TestDevices
