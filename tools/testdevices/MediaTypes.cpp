#include "tools/testdevices/MediaTypes.h"

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

long FrameBufferSize(const VideoFormat& format) {
    return static_cast<long>(format.width) * format.height * 2;
}

MediaType VideoMediaType(const VideoFormat& format) {
    MediaType result;
    AM_MEDIA_TYPE& type = result.Get();
    type.majortype = MEDIATYPE_Video;
    type.subtype = SubtypeGuid(format.subtype);
    type.formattype = FORMAT_VideoInfo;
    const bool raw = format.subtype == VideoSubtype::YUY2;
    type.bFixedSizeSamples = raw;
    type.bTemporalCompression = format.subtype == VideoSubtype::H264;
    type.lSampleSize = raw ? FrameBufferSize(format) : 0;
    auto* info = static_cast<VIDEOINFOHEADER*>(CoTaskMemAlloc(sizeof(VIDEOINFOHEADER)));
    if (!info)
        return MediaType();
    ZeroMemory(info, sizeof(*info));
    info->AvgTimePerFrame = 10000000LL / format.fps;
    info->dwBitRate = static_cast<DWORD>(static_cast<long long>(FrameBufferSize(format)) * 8 *
                                         format.fps / (raw ? 1 : 10));
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = format.width;
    info->bmiHeader.biHeight = format.height;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = raw ? 16 : 24;
    info->bmiHeader.biCompression = SubtypeFourcc(format.subtype);
    info->bmiHeader.biSizeImage = FrameBufferSize(format);
    type.pbFormat = reinterpret_cast<BYTE*>(info);
    type.cbFormat = sizeof(VIDEOINFOHEADER);
    return result;
}

VIDEO_STREAM_CONFIG_CAPS VideoCaps(const VideoFormat& format) {
    VIDEO_STREAM_CONFIG_CAPS caps;
    ZeroMemory(&caps, sizeof(caps));
    caps.guid = FORMAT_VideoInfo;
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
    if (type.formattype != FORMAT_VideoInfo || !type.pbFormat ||
        type.cbFormat < sizeof(VIDEOINFOHEADER)) {
        return false;
    }
    const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
    VideoFormat parsed;
    bool known = false;
    for (VideoSubtype subtype : {VideoSubtype::MJPG, VideoSubtype::YUY2, VideoSubtype::H264}) {
        if (type.subtype == SubtypeGuid(subtype)) {
            parsed.subtype = subtype;
            known = true;
        }
    }
    if (!known)
        return false;
    parsed.width = info->bmiHeader.biWidth;
    parsed.height = info->bmiHeader.biHeight;
    // An interval of 0 leaves the rate to the device; it is matched against the offered ones.
    parsed.fps =
        info->AvgTimePerFrame > 0
            ? static_cast<int>((10000000LL + info->AvgTimePerFrame / 2) / info->AvgTimePerFrame)
            : 0;
    format = parsed;
    return true;
}

} // namespace TestDevices
