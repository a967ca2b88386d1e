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
    interval_ = FrameIntervalOf(type);
    frame_ = NewPicture(format.width, format.height);
    if (!frame_) {
        Stop();
        return false;
    }
    if (!RawSubtype(format.subtype) && !OpenEncoder()) {
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
    // MJPEG carries full-range samples (yuvj420p); the other formats use video levels.
    DrawCameraPicture(ImageOf(frame_), index, format_.subtype == VideoSubtype::MJPG, noise_);
    keyFrame = true;
    if (!RawSubtype(format_.subtype))
        return Encode(index, buffer, capacity, keyFrame);
    if (capacity < FrameBufferSize(format_))
        return -1;
    switch (format_.subtype) {
    case VideoSubtype::YUY2:
    case VideoSubtype::UYVY:
        PackYuv422(buffer);
        break;
    case VideoSubtype::RGB24:
    case VideoSubtype::RGB32:
        PackRgb(buffer);
        break;
    default:
        PackYuv420(buffer);
        break;
    }
    return FrameBufferSize(format_);
}

void VideoSampleSource::PackYuv420(BYTE* buffer) const {
    const int width = format_.width;
    const int height = format_.height;
    BYTE* out = buffer;
    for (int y = 0; y < height; ++y, out += width)
        memcpy(out, frame_->data[0] + static_cast<size_t>(y) * frame_->linesize[0], width);
    const int chromaWidth = width / 2;
    if (format_.subtype == VideoSubtype::NV12) {
        // One plane of U V pairs.
        for (int y = 0; y < height / 2; ++y) {
            const uint8_t* u = frame_->data[1] + static_cast<size_t>(y) * frame_->linesize[1];
            const uint8_t* v = frame_->data[2] + static_cast<size_t>(y) * frame_->linesize[2];
            for (int x = 0; x < chromaWidth; ++x) {
                *out++ = u[x];
                *out++ = v[x];
            }
        }
        return;
    }
    // I420 and IYUV put U first, YV12 puts V first.
    const bool vFirst = format_.subtype == VideoSubtype::YV12;
    for (int plane : {vFirst ? 2 : 1, vFirst ? 1 : 2}) {
        for (int y = 0; y < height / 2; ++y, out += chromaWidth) {
            memcpy(out, frame_->data[plane] + static_cast<size_t>(y) * frame_->linesize[plane],
                   chromaWidth);
        }
    }
}

void VideoSampleSource::PackYuv422(BYTE* buffer) const {
    // YUY2: Y0 U Y1 V; UYVY: U Y0 V Y1. Each row takes the chroma of its 4:2:0 row pair.
    const bool uyvy = format_.subtype == VideoSubtype::UYVY;
    for (int y = 0; y < format_.height; ++y) {
        const uint8_t* luma = frame_->data[0] + static_cast<size_t>(y) * frame_->linesize[0];
        const uint8_t* u = frame_->data[1] + static_cast<size_t>(y / 2) * frame_->linesize[1];
        const uint8_t* v = frame_->data[2] + static_cast<size_t>(y / 2) * frame_->linesize[2];
        BYTE* out = buffer + static_cast<size_t>(y) * format_.width * 2;
        for (int x = 0; x < format_.width; x += 2) {
            if (uyvy) {
                *out++ = u[x / 2];
                *out++ = luma[x];
                *out++ = v[x / 2];
                *out++ = luma[x + 1];
            } else {
                *out++ = luma[x];
                *out++ = u[x / 2];
                *out++ = luma[x + 1];
                *out++ = v[x / 2];
            }
        }
    }
}

namespace {

uint8_t Clip(int value) {
    return static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

} // namespace

void VideoSampleSource::PackRgb(BYTE* buffer) const {
    // BT.601 at video levels to full-range RGB, in 16.16 fixed point; bytes B G R (X), the
    // picture's top row last, as a DirectShow RGB camera sends it.
    const int bytesPerPixel = format_.subtype == VideoSubtype::RGB32 ? 4 : 3;
    const long stride = RowBytes(format_);
    for (int y = 0; y < format_.height; ++y) {
        const uint8_t* luma = frame_->data[0] + static_cast<size_t>(y) * frame_->linesize[0];
        const uint8_t* u = frame_->data[1] + static_cast<size_t>(y / 2) * frame_->linesize[1];
        const uint8_t* v = frame_->data[2] + static_cast<size_t>(y / 2) * frame_->linesize[2];
        BYTE* out = buffer + static_cast<size_t>(format_.height - 1 - y) * stride;
        for (int x = 0; x < format_.width; ++x) {
            const int c = (luma[x] - 16) * 76309; // 1.164
            const int d = u[x / 2] - 128;
            const int e = v[x / 2] - 128;
            out[0] = Clip((c + 132201 * d + 32768) >> 16);            // B: 2.017
            out[1] = Clip((c - 25675 * d - 53279 * e + 32768) >> 16); // G: 0.392, 0.813
            out[2] = Clip((c + 104597 * e + 32768) >> 16);            // R: 1.596
            if (bytesPerPixel == 4)
                out[3] = 0xFF;
            out += bytesPerPixel;
        }
        // The padding of an RGB24 row.
        memset(out, 0, static_cast<size_t>(buffer + (format_.height - y) * stride - out));
    }
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
