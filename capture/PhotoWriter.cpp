#include "capture/PhotoWriter.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avio.h>
}

#include "capture/PictureConversion.h"
#include "capture/recording/OutputFile.h"

namespace {

// JPEG quantiser scale: 2 keeps a camera picture close to what was seen.
constexpr int kPhotoQuality = 2;

// One picture as a JPEG in packet; false when the encoder refuses it.
bool EncodeJpeg(const AVFrame* picture, AVPacket* packet) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
    AVCodecContext* encoder = codec != nullptr ? avcodec_alloc_context3(codec) : nullptr;
    AVFrame* full = av_frame_alloc();
    bool encoded = false;
    if (encoder != nullptr && full != nullptr) {
        encoder->width = picture->width;
        encoder->height = picture->height;
        encoder->pix_fmt = AV_PIX_FMT_YUVJ420P;
        encoder->color_range = AVCOL_RANGE_JPEG;
        encoder->time_base = AVRational{1, 25};
        encoder->flags |= AV_CODEC_FLAG_QSCALE;
        encoder->global_quality = FF_QP2LAMBDA * kPhotoQuality;
        full->width = picture->width;
        full->height = picture->height;
        full->format = AV_PIX_FMT_YUVJ420P;
        full->color_range = AVCOL_RANGE_JPEG;
        full->quality = encoder->global_quality;
        const uint8_t* source[3] = {picture->data[0], picture->data[1], picture->data[2]};
        encoded = avcodec_open2(encoder, codec, nullptr) >= 0 &&
                  av_frame_get_buffer(full, 0) >= 0 &&
                  I420VideoToFullRange(source, picture->linesize, picture->width, picture->height,
                                       full->data, full->linesize) &&
                  avcodec_send_frame(encoder, full) >= 0 &&
                  avcodec_receive_packet(encoder, packet) >= 0 && packet->size > 0;
    }
    av_frame_free(&full);
    avcodec_free_context(&encoder);
    return encoded;
}

} // namespace

bool PhotoWriter::Prepare(const std::string& path, std::shared_ptr<OutputDisk> disk) {
    Cancel();
    std::string free = path;
    m_problem = OutputProblem::None;
    m_lastPath = path;
    if (!CanCreateOutputFile(free, &m_problem)) {
        return false;
    }
    m_path = free;
    m_disk = std::move(disk);
    m_lastPath = free;
    return true;
}

bool PhotoWriter::Write(const AVFrame* picture) {
    if (m_path.empty()) {
        return false;
    }
    std::string path = m_path;
    m_path.clear();
    m_lastPath = path;
    m_problem = OutputProblem::None;
    if (picture == nullptr || picture->width <= 0 || picture->height <= 0 ||
        picture->format != AV_PIX_FMT_YUV420P) {
        return false;
    }
    AVPacket* packet = av_packet_alloc();
    bool written = packet != nullptr && EncodeJpeg(picture, packet);
    if (written) {
        // Taken since it was tried (another copy of the program): the next free name.
        AVIOContext* file = CreateOutputFile(path, nullptr, *m_disk, &m_problem);
        written = file != nullptr;
        if (written) {
            m_lastPath = path;
            avio_write(file, packet->data, packet->size);
            // A full disk leaves no broken photo.
            if (!CloseOutputFile(&file, &m_problem)) {
                DeleteOutputFile(path);
                written = false;
            }
        }
    }
    av_packet_free(&packet);
    return written;
}
