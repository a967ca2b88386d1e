#include "capture/MediaPipeline.h"

#include <cstdio>
#include <cstring>
#include <new>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/buffer.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

#include "Core/FormatRules.h"
#include "Core/MediaTypes.h"
#include "capture/PictureConversion.h"
#include "capture/UncompressedLayout.h"

namespace {

// Plane rows of the converted frame start on this boundary so that
// libswscale writes with aligned stores.
constexpr int kConvertedAlign = 32;

// How libswscale reads each uncompressed layout. DirectShow's RGB24 and
// RGB32 are B, G, R (and an unused byte) in memory; I420 and YV12 differ
// only in their plane order, which the layout sorts out.
AVPixelFormat SourcePixelFormat(SubtypeKind kind) {
    switch (kind) {
    case SubtypeKind::Yuy2:
        return AV_PIX_FMT_YUYV422;
    case SubtypeKind::Uyvy:
        return AV_PIX_FMT_UYVY422;
    case SubtypeKind::Nv12:
        return AV_PIX_FMT_NV12;
    case SubtypeKind::I420:
    case SubtypeKind::Yv12:
        return AV_PIX_FMT_YUV420P;
    case SubtypeKind::Rgb24:
        return AV_PIX_FMT_BGR24;
    case SubtypeKind::Rgb32:
        return AV_PIX_FMT_BGR0;
    default:
        return AV_PIX_FMT_NONE;
    }
}

} // namespace

MediaPipeline::MediaPipeline() = default;

MediaPipeline::~MediaPipeline() {
    std::lock_guard<std::mutex> lock(m_contextLock);
    m_photo.Cancel();
    CloseDecoder();
}

const uint8_t* MediaPipeline::PackedPicture() const {
    return m_havePicture ? m_packedView : nullptr;
}

void MediaPipeline::CloseDecoder() {
    avcodec_free_context(&m_decoder);
    sws_freeContext(m_scaler);
    m_scaler = nullptr;
    av_frame_free(&m_convertedFrame);
    av_frame_free(&m_decodedFrame);
    av_packet_free(&m_packet);
    avfilter_graph_free(&m_flipGraph);
    m_flipSource = nullptr;
    m_flipSink = nullptr;
    av_frame_free(&m_filteredFrame);
    // Buffers still held by a recording keep the pool alive until released.
    av_buffer_pool_uninit(&m_packedPool);
    m_packed.reset();
    m_packedSize = 0;
    m_packedView = nullptr;
    m_packedViewSize = 0;
    m_havePicture = false;
    m_currentPicture = nullptr;
    m_input.clear();
}

bool MediaPipeline::OpenDecoder(const StreamFormat& format) {
    m_scalerNeedsInit = true;
    m_decoderReady = false;
    CloseDecoder();
    ++m_openCount;

    const int width = format.width;
    const int height = format.height;
    if (width <= 0 || height <= 0 || PackedI420Size(width, height) == 0) {
        return false;
    }
    const SubtypeKind kind = SubtypeKindOf(format.subtype);
    AVCodecID codecId = AV_CODEC_ID_NONE;
    if (kind == SubtypeKind::H264) {
        codecId = AV_CODEC_ID_H264;
    } else if (kind == SubtypeKind::Mjpg) {
        codecId = AV_CODEC_ID_MJPEG;
    } else if (SourcePixelFormat(kind) == AV_PIX_FMT_NONE) {
        return false;
    }

    if (codecId != AV_CODEC_ID_NONE) {
        const AVCodec* codec = avcodec_find_decoder(codecId);
        if (codec == nullptr) {
            return false;
        }
        m_decoder = avcodec_alloc_context3(codec);
        if (m_decoder == nullptr) {
            return false;
        }
        m_decoder->codec_type = AVMEDIA_TYPE_VIDEO;
        if (avcodec_open2(m_decoder, codec, nullptr) < 0) {
            return false;
        }
        m_packet = av_packet_alloc();
        m_decodedFrame = av_frame_alloc();
        if (m_packet == nullptr || m_decodedFrame == nullptr) {
            return false;
        }
    }

    // Reference-counted, so that a recording takes the picture by reference
    // instead of copying it; a new buffer is made only while one is held.
    m_convertedFrame = av_frame_alloc();
    if (m_convertedFrame == nullptr) {
        return false;
    }
    if (width % 2 == 0 && height % 2 == 0) {
        m_packedPool = av_buffer_pool_init(
            static_cast<std::size_t>(PackedI420Size(width, height)) + kConvertedAlign, nullptr);
        if (m_packedPool == nullptr) {
            return false;
        }
    }
    if (!MakeConvertedWritable()) {
        return false;
    }

    if (!BuildFlipGraph(width, height)) {
        return false;
    }
    m_decoderReady = true;
    return true;
}

bool MediaPipeline::MakeConvertedWritable() {
    if (m_convertedFrame->buf[0] != nullptr && av_frame_is_writable(m_convertedFrame)) {
        return true;
    }
    const int width = m_format.width;
    const int height = m_format.height;
    if (m_havePicture && m_packedView == m_convertedFrame->data[0]) {
        // The preview's view goes with the buffer.
        m_havePicture = false;
        m_packedView = nullptr;
    }
    av_frame_unref(m_convertedFrame);
    m_convertedFrame->width = width;
    m_convertedFrame->height = height;
    m_convertedFrame->format = AV_PIX_FMT_YUV420P;
    if (m_packedPool == nullptr) {
        return av_frame_get_buffer(m_convertedFrame, kConvertedAlign) >= 0;
    }
    // Luma, then U, then V, rows without gaps: the packed picture itself.
    m_convertedFrame->buf[0] = av_buffer_pool_get(m_packedPool);
    if (m_convertedFrame->buf[0] == nullptr) {
        return false;
    }
    uint8_t* base = m_convertedFrame->buf[0]->data;
    const std::size_t luma = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    m_convertedFrame->data[0] = base;
    m_convertedFrame->data[1] = base + luma;
    m_convertedFrame->data[2] = base + luma + luma / 4;
    m_convertedFrame->linesize[0] = width;
    m_convertedFrame->linesize[1] = width / 2;
    m_convertedFrame->linesize[2] = width / 2;
    return true;
}

bool MediaPipeline::BuildFlipGraph(int width, int height) {
    m_flipGraph = avfilter_graph_alloc();
    AVFilterInOut* outputs = avfilter_inout_alloc();
    AVFilterInOut* inputs = avfilter_inout_alloc();
    m_filteredFrame = av_frame_alloc();
    bool built = false;
    const AVFilter* source = avfilter_get_by_name("buffer");
    const AVFilter* sink = avfilter_get_by_name("buffersink");
    if (m_flipGraph != nullptr && outputs != nullptr && inputs != nullptr &&
        m_filteredFrame != nullptr && source != nullptr && sink != nullptr) {
        char arguments[512] = {};
        std::snprintf(arguments, sizeof arguments,
                      "video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d", width,
                      height, static_cast<int>(AV_PIX_FMT_YUV420P), 1, 25, 1, 1);
        if (avfilter_graph_create_filter(&m_flipSource, source, "in", arguments, nullptr,
                                         m_flipGraph) >= 0 &&
            avfilter_graph_create_filter(&m_flipSink, sink, "out", nullptr, nullptr, m_flipGraph) >=
                0) {
            outputs->name = av_strdup("in");
            outputs->filter_ctx = m_flipSource;
            outputs->pad_idx = 0;
            outputs->next = nullptr;
            inputs->name = av_strdup("out");
            inputs->filter_ctx = m_flipSink;
            inputs->pad_idx = 0;
            inputs->next = nullptr;
            built =
                avfilter_graph_parse_ptr(m_flipGraph, "hflip", &inputs, &outputs, nullptr) >= 0 &&
                avfilter_graph_config(m_flipGraph, nullptr) >= 0;
        }
    }
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    return built;
}

bool MediaPipeline::DecodeCompressed(const uint8_t* sample, int32_t length) {
    if (!DecodeNewest(sample, length)) {
        return false;
    }
    AVFrame* latest = m_decodedFrame;
    // A picture of another size than the stream announced would be read past
    // its planes below; such a sample is dropped.
    if (latest->width != m_format.width || latest->height != m_format.height) {
        return false;
    }
    if (latest->format == AV_PIX_FMT_YUV420P && latest->color_range != AVCOL_RANGE_JPEG) {
        m_currentPicture = latest;
        return true;
    }
    const AVPixelFormat sourceFormat = static_cast<AVPixelFormat>(latest->format);
    // Camera JPEG pictures are planar 4:2:2 (sometimes 4:2:0) in full range:
    // our own pass is cheaper than libswscale for them.
    const bool fullRange = sourceFormat == AV_PIX_FMT_YUVJ422P ||
                           sourceFormat == AV_PIX_FMT_YUVJ420P ||
                           latest->color_range == AVCOL_RANGE_JPEG;
    const bool planar422 =
        sourceFormat == AV_PIX_FMT_YUVJ422P || sourceFormat == AV_PIX_FMT_YUV422P;
    const bool planar420 =
        sourceFormat == AV_PIX_FMT_YUVJ420P || sourceFormat == AV_PIX_FMT_YUV420P;
    if (planar422 || planar420) {
        const uint8_t* source[3] = {latest->data[0], latest->data[1], latest->data[2]};
        if (!MakeConvertedWritable() ||
            !PlanarYuvToI420(source, latest->linesize, m_format.width, m_format.height, planar422,
                             fullRange, m_convertedFrame->data, m_convertedFrame->linesize)) {
            return false;
        }
        m_currentPicture = m_convertedFrame;
        return true;
    }
    return ScaleToI420(latest->data, latest->linesize, latest->format);
}

bool MediaPipeline::DecodeNewest(const uint8_t* sample, int32_t length) {
    // Decoders read ahead in whole words: hand them a copy that ends in the
    // zeroed padding they may touch, never the camera's own buffer.
    const std::size_t size = static_cast<std::size_t>(length);
    if (m_input.size() < size + AV_INPUT_BUFFER_PADDING_SIZE) {
        m_input.resize(size + AV_INPUT_BUFFER_PADDING_SIZE);
    }
    std::memcpy(m_input.data(), sample, size);
    std::memset(m_input.data() + size, 0, AV_INPUT_BUFFER_PADDING_SIZE);

    av_packet_unref(m_packet);
    m_packet->data = m_input.data();
    m_packet->size = length;
    int sent = avcodec_send_packet(m_decoder, m_packet);
    bool got = false;
    AVFrame* latest = m_decodedFrame;
    av_frame_unref(latest);
    if (sent == AVERROR(EAGAIN)) {
        // Pictures the decoder still holds come out first; the sample follows.
        while (avcodec_receive_frame(m_decoder, latest) >= 0) {
            got = true;
        }
        sent = avcodec_send_packet(m_decoder, m_packet);
    }
    m_packet->data = nullptr;
    m_packet->size = 0;
    if (sent < 0 && !got) {
        return false;
    }
    // Keep only the newest picture the sample completed: the preview never lags.
    AVFrame* next = av_frame_alloc();
    if (next == nullptr) {
        return false;
    }
    while (avcodec_receive_frame(m_decoder, next) >= 0) {
        av_frame_unref(latest);
        av_frame_move_ref(latest, next);
        got = true;
    }
    av_frame_free(&next);
    return got && latest->linesize[0] != 0;
}

bool MediaPipeline::ScaleToI420(const uint8_t* const planes[], const int strides[],
                                int sourceFormat) {
    if (m_scalerNeedsInit || sourceFormat != m_scalerSource) {
        // Made once per open; a stream that changes its pixel layout midway
        // gets a scaler of its own instead of being read with the old one.
        sws_freeContext(m_scaler);
        m_scaler = sws_getContext(m_format.width, m_format.height,
                                  static_cast<AVPixelFormat>(sourceFormat), m_format.width,
                                  m_format.height, AV_PIX_FMT_YUV420P, SWS_FAST_BILINEAR, nullptr,
                                  nullptr, nullptr);
        if (m_scaler == nullptr) {
            return false;
        }
        m_scalerSource = sourceFormat;
        m_scalerNeedsInit = false;
    }
    if (!MakeConvertedWritable() ||
        sws_scale(m_scaler, planes, strides, 0, m_format.height, m_convertedFrame->data,
                  m_convertedFrame->linesize) <= 0) {
        return false;
    }
    m_currentPicture = m_convertedFrame;
    return true;
}

bool MediaPipeline::ConvertUncompressed(const uint8_t* sample, int32_t length) {
    const SubtypeKind kind = SubtypeKindOf(m_format.subtype);
    UncompressedPlanes planes;
    if (!LocateUncompressedPlanes(kind, m_format.width, m_format.height, m_format.bottomUp, sample,
                                  static_cast<std::size_t>(length), planes)) {
        return false;
    }
    return ScaleToI420(planes.data, planes.strides, SourcePixelFormat(kind));
}

bool MediaPipeline::ConvertYuy2(const uint8_t* sample, int32_t length) {
    if (!MakeConvertedWritable() ||
        !Yuy2ToI420(sample, static_cast<std::size_t>(length), m_format.width, m_format.height,
                    m_convertedFrame->data[0], m_convertedFrame->linesize[0],
                    m_convertedFrame->data[1], m_convertedFrame->linesize[1],
                    m_convertedFrame->data[2], m_convertedFrame->linesize[2])) {
        return false;
    }
    m_currentPicture = m_convertedFrame;
    return true;
}

bool MediaPipeline::DecodeFrame(const StreamFormat& format, const uint8_t* sample, int32_t length) {
    if (!m_formatKnown || !IsEqualGUID(format.subtype, m_format.subtype) ||
        format.width != m_format.width || format.height != m_format.height ||
        format.bottomUp != m_format.bottomUp) {
        m_format = format;
        m_formatKnown = true;
        if (!OpenDecoder(format)) {
            return false;
        }
    }
    if (!m_decoderReady || sample == nullptr || length <= 0) {
        return false;
    }

    if (!ConvertSample(sample, length)) {
        return false;
    }
    m_convertedFrame->width = m_format.width;
    m_convertedFrame->height = m_format.height;
    m_convertedFrame->format = AV_PIX_FMT_YUV420P;
    if (softwareMirror) {
        MirrorPicture();
    }
    if (!PackPicture()) {
        return false;
    }
    m_havePicture = true;
    return true;
}

bool MediaPipeline::ConvertSample(const uint8_t* sample, int32_t length) {
    switch (SubtypeKindOf(m_format.subtype)) {
    case SubtypeKind::Mjpg:
    case SubtypeKind::H264:
        return DecodeCompressed(sample, length);
    case SubtypeKind::Yuy2:
        return ConvertYuy2(sample, length);
    default:
        return ConvertUncompressed(sample, length);
    }
}

void MediaPipeline::MirrorPicture() {
    av_frame_unref(m_filteredFrame);
    // The source keeps its own reference: the converted frame's planes
    // stay ours for the next sample.
    if (av_buffersrc_add_frame_flags(m_flipSource, m_currentPicture, AV_BUFFERSRC_FLAG_KEEP_REF) >=
            0 &&
        av_buffersink_get_frame(m_flipSink, m_filteredFrame) >= 0) {
        m_currentPicture = m_filteredFrame;
    }
}

bool MediaPipeline::PackPicture() {
    AVFrame* picture = m_currentPicture;
    if (picture->data[0] == nullptr || picture->data[1] == nullptr || picture->data[2] == nullptr) {
        return false;
    }
    if (picture == m_convertedFrame && m_packedPool != nullptr) {
        m_packedView = picture->data[0];
        m_packedViewSize = PackedI420Size(m_format.width, m_format.height);
    } else {
        if (!m_packed) {
            // Made when first needed: pictures converted here never use it.
            // Two bytes per pixel, as the renderer has always been handed;
            // the picture itself takes one and a half.
            const std::size_t size = static_cast<std::size_t>(m_format.width) *
                                     static_cast<std::size_t>(m_format.height) * 2;
            m_packed.reset(new (std::nothrow) uint8_t[size]);
            if (!m_packed) {
                return false;
            }
            m_packedSize = size;
        }
        const uint8_t* planes[3] = {picture->data[0], picture->data[1], picture->data[2]};
        const int lineSizes[3] = {picture->linesize[0], picture->linesize[1], picture->linesize[2]};
        PackI420(planes, lineSizes, m_format.width, m_format.height, m_packed.get());
        m_packedView = m_packed.get();
        m_packedViewSize = m_packedSize;
    }
    return true;
}

bool MediaPipeline::PreparePhoto(const std::string& path, std::shared_ptr<OutputDisk> disk,
                                 OutputProblem* problem) {
    std::lock_guard<std::mutex> lock(m_contextLock);
    const bool prepared = m_photo.Prepare(path, std::move(disk));
    if (problem != nullptr) {
        *problem = m_photo.Problem();
    }
    return prepared;
}

bool MediaPipeline::WritePhotoFrame() {
    if (!m_decoderReady || m_currentPicture == nullptr) {
        return false;
    }
    return m_photo.Write(m_currentPicture);
}
