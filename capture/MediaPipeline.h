// MediaPipeline: the FFmpeg state of the pictures (decoder, flip graph,
// photo). It turns one camera sample (MJPG, YUY2 or H264, or one of the
// uncompressed formats beyond the lists: NV12, I420/IYUV, YV12, UYVY,
// RGB24, RGB32) into a planar
// 4:2:0 picture, kept both as an FFmpeg frame (the current picture, which
// recordings and photos encode) and as a tightly packed I420 buffer (which
// the preview uploads), and it holds the pending photo (PhotoWriter). The
// recordings' FFmpeg state is the Recorder's.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Core/StreamFormat.h"
#include "capture/PhotoWriter.h"

struct AVBufferPool;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct AVFilterGraph;
struct AVFilterContext;
struct SwsContext;

class MediaPipeline {
public:
    MediaPipeline();
    ~MediaPipeline();
    MediaPipeline(const MediaPipeline&) = delete;
    MediaPipeline& operator=(const MediaPipeline&) = delete;

    // Bytes after an uncompressed sample that libswscale's row readers may
    // touch (they read in whole words); a sample's buffer holds this many
    // more than its length (the engine's queue makes it so).
    static constexpr std::size_t kSamplePadding = 64;

    // Decodes one sample of the given format; true when the current picture
    // and the packed picture hold the new picture. A new subtype or size
    // re-opens the decoder first. Never uses bytes past length; see
    // kSamplePadding.
    bool DecodeFrame(const StreamFormat& format, const uint8_t* sample, int32_t length);

    // The picture of the last successful DecodeFrame: W x H luma, then U,
    // then V, each (W/2) x (H/2), no gaps. Null before the first picture.
    const uint8_t* PackedPicture() const;
    std::size_t PackedPictureSize() const { return m_havePicture ? m_packedViewSize : 0; }
    // The FFmpeg frame holding that picture (not owned by the caller).
    AVFrame* CurrentPicture() const { return m_currentPicture; }
    bool DecoderReady() const { return m_decoderReady; }
    // The format the decoder was last opened for.
    const StreamFormat& RememberedFormat() const { return m_format; }

    // Every run on the FFmpeg contexts of this pipeline (decoding together
    // with the steps that use its picture: handing it to a recording,
    // writing a photo; preparing a photo) holds this lock, so no two of them
    // ever overlap.
    std::mutex& ContextLock() { return m_contextLock; }
    // The picture of the last successful DecodeFrame as an FFmpeg frame, or
    // null before the first (ContextLock held).
    const AVFrame* ShownPicture() const { return m_havePicture ? m_currentPicture : nullptr; }

    // Photos: the file is made now, on disk; the next picture goes into it.
    // *problem, when given, tells why it could not be.
    bool PreparePhoto(const std::string& path, std::shared_ptr<OutputDisk> disk,
                      OutputProblem* problem = nullptr);
    // Writes the current picture into the prepared photo (ContextLock held).
    bool WritePhotoFrame();
    // The photo's file and what kept it from being written (ContextLock held).
    const PhotoWriter& Photo() const { return m_photo; }

    // Pictures pass through the hflip graph while this is set (by the
    // user-interface thread; the worker reads it for every picture).
    std::atomic<bool> softwareMirror{false};

    // Number of times the decoder was (re)opened; lets callers see re-opens.
    unsigned OpenCount() const { return m_openCount; }

private:
    bool OpenDecoder(const StreamFormat& format);
    void CloseDecoder();
    bool BuildFlipGraph(int width, int height);
    bool DecodeCompressed(const uint8_t* sample, int32_t length);
    // Sends the sample and keeps the newest picture it completed in m_decodedFrame.
    bool DecodeNewest(const uint8_t* sample, int32_t length);
    // Converts a picture of the stream's size in sourceFormat (an
    // AVPixelFormat) into the converted frame with libswscale.
    bool ScaleToI420(const uint8_t* const planes[], const int strides[], int sourceFormat);
    // YUY2 by the program's own loop, which DecodeBenchmark finds faster
    // than libswscale's on camera-sized pictures.
    bool ConvertYuy2(const uint8_t* sample, int32_t length);
    // NV12, I420/IYUV, YV12, UYVY, RGB24 and RGB32 samples, right way up.
    bool ConvertUncompressed(const uint8_t* sample, int32_t length);
    bool MakeConvertedWritable();
    // The sample into the converted 4:2:0 frame, by the stream's subtype.
    bool ConvertSample(const uint8_t* sample, int32_t length);
    // The current picture flipped left to right by the filter graph; left
    // as it is when the graph fails.
    void MirrorPicture();
    // The current picture as one packed I420 block for the preview: the
    // converted frame's own pool where it has one, else a copy.
    bool PackPicture();

    std::mutex m_contextLock;
    StreamFormat m_format{};
    bool m_formatKnown = false;
    bool m_decoderReady = false;
    unsigned m_openCount = 0;

    AVCodecContext* m_decoder = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_decodedFrame = nullptr;
    AVFrame* m_convertedFrame = nullptr;
    SwsContext* m_scaler = nullptr;
    bool m_scalerNeedsInit = true;
    int m_scalerSource = -1; // pixel format the scaler was made for
    // Copy of a compressed sample followed by the decoder's zeroed padding.
    std::vector<uint8_t> m_input;
    AVFrame* m_currentPicture = nullptr;

    // Pictures converted here are written straight in the packed layout
    // (even sizes), from this pool, so the preview reads them without a copy.
    AVBufferPool* m_packedPool = nullptr;
    std::unique_ptr<uint8_t[]> m_packed; // other pictures are packed into this, made when needed
    std::size_t m_packedSize = 0;
    const uint8_t* m_packedView = nullptr;
    std::size_t m_packedViewSize = 0;
    bool m_havePicture = false;

    PhotoWriter m_photo;

    AVFilterGraph* m_flipGraph = nullptr;
    AVFilterContext* m_flipSource = nullptr;
    AVFilterContext* m_flipSink = nullptr;
    AVFrame* m_filteredFrame = nullptr;
};
