#include "tools/testdevices/VideoSampleSource.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

#include <cstring>

#include "tools/testdevices/MediaTypes.h"

namespace TestDevices {

namespace {

PlanarImage ImageOf(AVFrame* frame) {
    return {{frame->data[0], frame->data[1], frame->data[2]},
            {frame->linesize[0], frame->linesize[1], frame->linesize[2]},
            frame->width,
            frame->height};
}

AVFrame* NewPicture(int width, int height) {
    AVFrame* frame = av_frame_alloc();
    if (!frame)
        return nullptr;
    frame->width = width;
    frame->height = height;
    frame->format = AV_PIX_FMT_YUV420P;
    if (av_frame_get_buffer(frame, 0) < 0)
        av_frame_free(&frame);
    return frame;
}

} // namespace

bool VideoSampleSource::Start(const AM_MEDIA_TYPE& type, long bufferSize) {
    Stop();
    VideoFormat format;
    if (!ParseVideoMediaType(type, format) || format.fps <= 0 || format.width % 2 != 0 ||
        format.height <= 0 || format.height % 2 != 0 || bufferSize < 1024) {
        return false;
    }
    format_ = format;
    interval_ = reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->AvgTimePerFrame;
    frame_ = NewPicture(format.width, format.height);
    if (!frame_) {
        Stop();
        return false;
    }
    if (format.subtype != VideoSubtype::YUY2 && !OpenEncoder()) {
        Stop();
        return false;
    }
    return true;
}

bool VideoSampleSource::OpenEncoder() {
    // The DLL has its own copy of FFmpeg; quiet it without touching the program's.
    av_log_set_level(AV_LOG_ERROR);
    const bool mjpeg = format_.subtype == VideoSubtype::MJPG;
    const AVCodec* codec = avcodec_find_encoder_by_name(mjpeg ? "mjpeg" : "libx264");
    if (!codec)
        return false;
    encoder_ = avcodec_alloc_context3(codec);
    packet_ = av_packet_alloc();
    if (!encoder_ || !packet_)
        return false;
    encoder_->width = format_.width;
    encoder_->height = format_.height;
    encoder_->time_base = AVRational{1, format_.fps};
    encoder_->framerate = AVRational{format_.fps, 1};
    encoder_->thread_count = 1;
    if (mjpeg) {
        encoder_->pix_fmt = AV_PIX_FMT_YUVJ420P;
        encoder_->color_range = AVCOL_RANGE_JPEG;
        encoder_->flags |= AV_CODEC_FLAG_QSCALE;
        encoder_->global_quality = FF_QP2LAMBDA * 4;
    } else {
        encoder_->pix_fmt = AV_PIX_FMT_YUV420P;
        encoder_->gop_size = 15; // a keyframe (with its parameter sets) twice a second at 30 fps
        encoder_->max_b_frames = 0;
        av_opt_set(encoder_->priv_data, "preset", "ultrafast", 0);
        av_opt_set(encoder_->priv_data, "tune", "zerolatency", 0);
    }
    return avcodec_open2(encoder_, codec, nullptr) == 0;
}

long VideoSampleSource::Produce(uint64_t index, BYTE* buffer, long capacity, bool& keyFrame) {
    if (!frame_ || av_frame_make_writable(frame_) < 0)
        return -1;
    // MJPEG carries full-range samples (yuvj420p); YUY2 and H.264 use video levels.
    DrawCameraPicture(ImageOf(frame_), index, format_.subtype == VideoSubtype::MJPG, noise_);
    keyFrame = true;
    if (format_.subtype == VideoSubtype::YUY2)
        return PackYuy2(buffer, capacity);
    return Encode(index, buffer, capacity, keyFrame);
}

long VideoSampleSource::PackYuy2(BYTE* buffer, long capacity) const {
    const long size = FrameBufferSize(format_);
    if (capacity < size)
        return -1;
    for (int y = 0; y < format_.height; ++y) {
        const uint8_t* luma = frame_->data[0] + static_cast<size_t>(y) * frame_->linesize[0];
        const uint8_t* u = frame_->data[1] + static_cast<size_t>(y / 2) * frame_->linesize[1];
        const uint8_t* v = frame_->data[2] + static_cast<size_t>(y / 2) * frame_->linesize[2];
        BYTE* out = buffer + static_cast<size_t>(y) * format_.width * 2;
        for (int x = 0; x < format_.width; x += 2) {
            *out++ = luma[x];
            *out++ = u[x / 2];
            *out++ = luma[x + 1];
            *out++ = v[x / 2];
        }
    }
    return size;
}

long VideoSampleSource::Encode(uint64_t index, BYTE* buffer, long capacity, bool& keyFrame) {
    if (!encoder_)
        return -1;
    frame_->pts = static_cast<int64_t>(index);
    frame_->color_range = encoder_->color_range;
    if (avcodec_send_frame(encoder_, frame_) < 0)
        return -1;
    if (avcodec_receive_packet(encoder_, packet_) < 0)
        return -1;
    long length = -1;
    if (packet_->size <= capacity) {
        memcpy(buffer, packet_->data, packet_->size);
        length = packet_->size;
        keyFrame = (packet_->flags & AV_PKT_FLAG_KEY) != 0;
    }
    av_packet_unref(packet_);
    return length;
}

void VideoSampleSource::Stop() {
    avcodec_free_context(&encoder_);
    av_packet_free(&packet_);
    av_frame_free(&frame_);
}

} // namespace TestDevices
