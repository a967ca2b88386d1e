#include "bench/BenchSamples.h"

#include <mmsystem.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

#include "tools/testdevices/TestPicture.h"

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double ProcessorSeconds() {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        return 0.0;
    }
    auto seconds = [](const FILETIME& time) {
        return ((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

int PictureNoiseLevel() {
    static const int level = [] {
        const char* text = std::getenv("ORVANA_PICTURE_NOISE");
        return text != nullptr && *text != '\0'
                   ? std::clamp(std::atoi(text), 0, TestDevices::kMaxNoiseLevel)
                   : TestDevices::kWebcamNoiseLevel;
    }();
    return level;
}

void FillPicture(AVFrame* frame, int index) {
    static const TestDevices::SensorNoise noise(PictureNoiseLevel());
    const bool chroma422 = frame->format == AV_PIX_FMT_YUVJ422P;
    const bool fullRange = chroma422 || frame->format == AV_PIX_FMT_YUVJ420P;
    TestDevices::PlanarImage image{{frame->data[0], frame->data[1], frame->data[2]},
                                   {frame->linesize[0], frame->linesize[1], frame->linesize[2]},
                                   frame->width,
                                   frame->height,
                                   chroma422 ? 0 : 1};
    TestDevices::DrawCameraPicture(image, static_cast<uint64_t>(index), fullRange, noise);
}

std::vector<std::vector<uint8_t>> Encode(AVCodecID id, int width, int height) {
    std::vector<std::vector<uint8_t>> samples;
    const AVCodec* codec =
        id == AV_CODEC_ID_H264 ? avcodec_find_encoder_by_name("libx264") : avcodec_find_encoder(id);
    AVCodecContext* context = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (context == nullptr) {
        return samples;
    }
    context->width = width;
    context->height = height;
    context->time_base = AVRational{1, 30};
    context->framerate = AVRational{30, 1};
    if (id == AV_CODEC_ID_H264) {
        context->pix_fmt = AV_PIX_FMT_YUV420P;
        context->gop_size = kDistinctFrames;
        context->max_b_frames = 0;
        context->bit_rate = 4000000;
        av_opt_set(context->priv_data, "preset", "superfast", 0);
        av_opt_set(context->priv_data, "tune", "zerolatency", 0);
    } else {
        // Webcams send 4:2:2 JPEG pictures.
        context->pix_fmt = AV_PIX_FMT_YUVJ422P;
        context->flags |= AV_CODEC_FLAG_QSCALE;
        context->global_quality = FF_QP2LAMBDA * 4;
    }
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    if (avcodec_open2(context, codec, nullptr) < 0 || frame == nullptr || packet == nullptr) {
        avcodec_free_context(&context);
        av_frame_free(&frame);
        av_packet_free(&packet);
        return samples;
    }
    frame->width = width;
    frame->height = height;
    frame->format = context->pix_fmt;
    av_frame_get_buffer(frame, 0);
    auto drain = [&] {
        while (avcodec_receive_packet(context, packet) >= 0) {
            samples.emplace_back(packet->data, packet->data + packet->size);
            av_packet_unref(packet);
        }
    };
    for (int i = 0; i < kDistinctFrames; ++i) {
        av_frame_make_writable(frame);
        FillPicture(frame, i);
        frame->pts = i;
        avcodec_send_frame(context, frame);
        drain();
    }
    avcodec_send_frame(context, nullptr);
    drain();
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    return samples;
}

StreamFormat FormatOf(const char* name, int width, int height) {
    StreamFormat format{};
    format.width = width;
    format.height = height;
    std::memcpy(format.subtypeName, name, 4);
    const DWORD fourcc = MAKEFOURCC(name[0], name[1], name[2], name[3]);
    format.subtype = GUID{fourcc, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
    return format;
}
