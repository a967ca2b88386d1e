// Media types and stream capabilities of the synthetic devices.
#pragma once

#include <windows.h>

#include <dshow.h>

#include <vector>

#include "tools/testdevices/TestDeviceControl.h"

namespace TestDevices {

// An AM_MEDIA_TYPE that owns its format block (CoTaskMem, as DirectShow frees it).
class MediaType {
public:
    MediaType() { ZeroMemory(&type_, sizeof(type_)); }
    explicit MediaType(const AM_MEDIA_TYPE& other) : MediaType() { Assign(other); }
    MediaType(const MediaType& other) : MediaType() { Assign(other.type_); }
    MediaType& operator=(const MediaType& other);
    ~MediaType() { Clear(); }

    bool Assign(const AM_MEDIA_TYPE& other);
    void Clear();
    const AM_MEDIA_TYPE& Get() const { return type_; }
    AM_MEDIA_TYPE& Get() { return type_; }
    bool Empty() const { return type_.majortype == GUID_NULL; }
    // A CoTaskMem copy for the caller to free with DeleteMediaType.
    AM_MEDIA_TYPE* CreateCopy() const;

private:
    AM_MEDIA_TYPE type_;
};

// Frees the format block and the held object of a media type, not the structure.
void FreeMediaTypeContents(AM_MEDIA_TYPE& type);
// Frees a media type allocated with CoTaskMemAlloc.
void DeleteMediaType(AM_MEDIA_TYPE* type);
bool CopyMediaTypeContents(AM_MEDIA_TYPE& target, const AM_MEDIA_TYPE& source);

MediaType VideoMediaType(const VideoFormat& format);
VIDEO_STREAM_CONFIG_CAPS VideoCaps(const VideoFormat& format);
MediaType AudioMediaType(int sampleRate, int channels);
AUDIO_STREAM_CONFIG_CAPS AudioCaps(int sampleRate, int channels);

// Reads a video media type back into a format: false unless it is FORMAT_VideoInfo or
// FORMAT_VideoInfo2 with one of the subtypes the devices send.
bool ParseVideoMediaType(const AM_MEDIA_TYPE& type, VideoFormat& format);
// The frame interval of a video media type of either header, 0 when it has none.
REFERENCE_TIME FrameIntervalOf(const AM_MEDIA_TYPE& type);
// Whether samples of the subtype are uncompressed pictures of a fixed size.
bool RawSubtype(VideoSubtype subtype);
// Bytes of one row of an uncompressed picture (of the luma plane for the 4:2:0 formats).
long RowBytes(const VideoFormat& format);
// Bytes of one uncompressed frame, also the buffer size offered for compressed ones.
long FrameBufferSize(const VideoFormat& format);

} // namespace TestDevices
