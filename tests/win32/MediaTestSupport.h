// Helpers of the capture and preview tests: what the screen shows, flat-colour
// pictures as YUY2 bytes, and MJPG/H264 samples made with FFmpeg's encoders.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
}

namespace MediaTest {

// The colour on screen at a point of the window's client area.
inline COLORREF ScreenPixel(HWND window, int x, int y) {
    POINT point{x, y};
    ::ClientToScreen(window, &point);
    HDC screen = ::GetDC(nullptr);
    COLORREF colour = ::GetPixel(screen, point.x, point.y);
    ::ReleaseDC(nullptr, screen);
    return colour;
}

// What the screen shows over a window's client area, read in one go so that
// every point belongs to the same moment.
class ScreenShot {
public:
    explicit ScreenShot(HWND window) {
        RECT client{};
        ::GetClientRect(window, &client);
        width_ = client.right;
        height_ = client.bottom;
        if (width_ <= 0 || height_ <= 0) {
            width_ = height_ = 0;
            return;
        }
        POINT origin{0, 0};
        ::ClientToScreen(window, &origin);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        HDC screen = ::GetDC(nullptr);
        HDC memory = ::CreateCompatibleDC(screen);
        void* bits = nullptr;
        HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap != nullptr && bits != nullptr) {
            HGDIOBJ previous = ::SelectObject(memory, bitmap);
            ::BitBlt(memory, 0, 0, width_, height_, screen, origin.x, origin.y, SRCCOPY);
            ::GdiFlush();
            const auto* first = static_cast<const uint32_t*>(bits);
            pixels_.assign(first, first + static_cast<size_t>(width_) * height_);
            ::SelectObject(memory, previous);
        }
        if (bitmap != nullptr) {
            ::DeleteObject(bitmap);
        }
        ::DeleteDC(memory);
        ::ReleaseDC(nullptr, screen);
    }

    bool Empty() const { return pixels_.empty(); }

    // Client coordinates; a point outside the window reads as 0xFFFFFFFF.
    COLORREF At(int x, int y) const {
        if (pixels_.empty() || x < 0 || y < 0 || x >= width_ || y >= height_) {
            return 0xFFFFFFFF;
        }
        const uint32_t p = pixels_[static_cast<size_t>(y) * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

    // The pixels of a rectangle, row by row, for comparing two moments.
    std::vector<uint32_t> Region(const RECT& rect) const {
        std::vector<uint32_t> region;
        for (int y = rect.top; y < rect.bottom; ++y) {
            for (int x = rect.left; x < rect.right; ++x) {
                region.push_back(At(x, y));
            }
        }
        return region;
    }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

struct Yuv {
    uint8_t y, u, v;
};

// Left half one colour, right half another.
inline std::vector<uint8_t> Yuy2Halves(int width, int height, Yuv left, Yuv right) {
    std::vector<uint8_t> sample(static_cast<size_t>(width) * height * 2);
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; x += 2) {
            const Yuv& c = x < width / 2 ? left : right;
            uint8_t* p = &sample[(static_cast<size_t>(row) * width + x) * 2];
            p[0] = c.y;
            p[1] = c.u;
            p[2] = c.y;
            p[3] = c.v;
        }
    }
    return sample;
}

// count samples of a flat picture whose luma is baseLuma + 4 x index,
// encoded as MJPG (in pixelFormat) or H264 (libx264, zero latency).
inline std::vector<std::vector<uint8_t>> Encode(AVCodecID id, int width, int height, int count,
                                                int baseLuma = 60,
                                                AVPixelFormat pixelFormat = AV_PIX_FMT_YUVJ420P) {
    std::vector<std::vector<uint8_t>> samples;
    const AVCodec* codec =
        id == AV_CODEC_ID_H264 ? avcodec_find_encoder_by_name("libx264") : avcodec_find_encoder(id);
    AVCodecContext* context = codec != nullptr ? avcodec_alloc_context3(codec) : nullptr;
    if (context == nullptr) {
        return samples;
    }
    context->width = width;
    context->height = height;
    context->time_base = AVRational{1, 30};
    context->pix_fmt = id == AV_CODEC_ID_H264 ? AV_PIX_FMT_YUV420P : pixelFormat;
    if (id == AV_CODEC_ID_H264) {
        context->max_b_frames = 0;
        context->gop_size = 10;
        av_opt_set(context->priv_data, "preset", "ultrafast", 0);
        av_opt_set(context->priv_data, "tune", "zerolatency", 0);
    } else {
        context->flags |= AV_CODEC_FLAG_QSCALE;
        context->global_quality = FF_QP2LAMBDA * 2;
    }
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    if (avcodec_open2(context, codec, nullptr) >= 0 && frame != nullptr && packet != nullptr) {
        frame->width = width;
        frame->height = height;
        frame->format = context->pix_fmt;
        av_frame_get_buffer(frame, 0);
        const int chromaRows = pixelFormat == AV_PIX_FMT_YUVJ422P && id != AV_CODEC_ID_H264
                                   ? height
                                   : (height + 1) / 2;
        for (int i = 0; i < count; ++i) {
            av_frame_make_writable(frame);
            for (int row = 0; row < height; ++row) {
                std::memset(frame->data[0] + row * frame->linesize[0], baseLuma + 4 * i, width);
            }
            for (int plane = 1; plane < 3; ++plane) {
                for (int row = 0; row < chromaRows; ++row) {
                    std::memset(frame->data[plane] + row * frame->linesize[plane], 128,
                                (width + 1) / 2);
                }
            }
            frame->pts = i;
            avcodec_send_frame(context, frame);
            while (avcodec_receive_packet(context, packet) >= 0) {
                samples.emplace_back(packet->data, packet->data + packet->size);
                av_packet_unref(packet);
            }
        }
        avcodec_send_frame(context, nullptr);
        while (avcodec_receive_packet(context, packet) >= 0) {
            samples.emplace_back(packet->data, packet->data + packet->size);
            av_packet_unref(packet);
        }
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    return samples;
}

} // namespace MediaTest
