// Video samples of the test picture: uncompressed (YUY2, UYVY, NV12, I420, IYUV, YV12, RGB24,
// RGB32), or MJPEG and H.264 encoded with FFmpeg.
#pragma once

#include "tools/testdevices/SampleSource.h"
#include "tools/testdevices/TestDeviceControl.h"
#include "tools/testdevices/TestPicture.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace TestDevices {

class VideoSampleSource : public SampleSource {
public:
    // noiseLevel: the camera's sensor noise (TestPicture.h); 0 for the still test picture.
    explicit VideoSampleSource(int noiseLevel) : noise_(noiseLevel) {}
    ~VideoSampleSource() override { Stop(); }
    VideoSampleSource(const VideoSampleSource&) = delete;
    VideoSampleSource& operator=(const VideoSampleSource&) = delete;

    bool Start(const AM_MEDIA_TYPE& type, long bufferSize) override;
    long Produce(uint64_t index, BYTE* buffer, long capacity, bool& keyFrame) override;
    REFERENCE_TIME Interval() const override { return interval_; }
    void Stop() override;

private:
    bool OpenEncoder();
    // The picture in the uncompressed layouts; the buffer holds FrameBufferSize bytes.
    void PackYuv420(BYTE* buffer) const;
    void PackYuv422(BYTE* buffer) const;
    void PackRgb(BYTE* buffer) const;
    long Encode(uint64_t index, BYTE* buffer, long capacity, bool& keyFrame);

    VideoFormat format_;
    REFERENCE_TIME interval_ = 333333;
    SensorNoise noise_;
    AVFrame* frame_ = nullptr; // the picture of the current sample
    AVCodecContext* encoder_ = nullptr;
    AVPacket* packet_ = nullptr;
};

} // namespace TestDevices
