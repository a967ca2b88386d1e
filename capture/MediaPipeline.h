// MediaPipeline: all FFmpeg state of the program. It turns one camera sample
// (MJPG, YUY2 or H264) into a planar 4:2:0 picture, kept both as an FFmpeg
// frame (the current picture, which recording and photos encode) and as a
// tightly packed I420 buffer (which the preview renderer uploads), and it
// holds the running recording (RecordingThread, AudioInput) and the pending
// photo (PhotoWriter).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Core/StreamFormat.h"
#include "capture/AudioInput.h"
#include "capture/PhotoWriter.h"
#include "capture/RecordingFile.h"
#include "capture/RecordingThread.h"

struct AVBufferPool;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct AVFilterGraph;
struct AVFilterContext;
struct SwsContext;

class MediaPipeline {
public:
    MediaPipeline();
    ~MediaPipeline();
    MediaPipeline(const MediaPipeline&) = delete;
    MediaPipeline& operator=(const MediaPipeline&) = delete;

    // Decodes one sample of the given format; true when the current picture
    // and the packed picture hold the new picture. A new subtype or size
    // re-opens the decoder first. Never reads past length bytes.
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
    // with the encode and photo steps that use its picture, starting and
    // stopping a recording, preparing a photo) holds this lock, so no two of
    // them ever overlap.
    std::mutex& ContextLock() { return m_contextLock; }

    // Recording. Start and stop run on the UI thread and take ContextLock
    // themselves; the encode steps run on the worker thread, which holds
    // ContextLock around them, so no encode step overlaps a start or stop.
    // The encode steps only hand the picture or sound to the recording's own
    // thread: the preview never waits for the encoder.
    //
    // Opens the file for a width x height recording (the size of the last
    // picture) with the microphone of that name; without a microphone, or
    // when it does not open, the file has no sound. False, with nothing left
    // open, before the first picture or when the file cannot be made. A
    // running recording is finished first.
    bool StartRecording(const std::string& path, int width, int height, int frameRate,
                        const std::wstring& microphoneName, AudioInput::FrameCallback onSound);
    // Hands the current picture, which arrived at arrivalUs (MonotonicMicros),
    // to the recording (ContextLock held).
    bool EncodeVideoFrame(int64_t arrivalUs);
    // Hands a frame from the microphone, read at readUs, to the recording
    // (ContextLock held). Frames are described by their own fields; stream
    // only names their source and is not read.
    bool EncodeAudioFrame(AVStream* stream, const AVFrame* frame, int64_t readUs);
    // Ends the microphone's thread and lets the recording's own thread drain
    // the encoders, write the trailer and finish the file in place; returns
    // without waiting for that (a new recording, a photo, a camera switch
    // may start meanwhile). Always true.
    bool StopRecording();
    // Waits up to timeoutMs for the files of stopped recordings to be
    // finished, and joins their threads; true when none is left finishing.
    bool WaitForFinishedRecordings(unsigned timeoutMs);
    bool RecordingActive();
    // Whether the running recording ended without a stop (a write failed or
    // the disk is nearly full); StopRecording still has to be called.
    bool RecordingEndedByItself();
    // Of the recording whose file was finished last (see
    // WaitForFinishedRecordings): the pictures it holds, those its encoder
    // dropped because it was behind, and what its finish left.
    uint64_t LastRecordingPictures() const { return m_lastPictures; }
    uint64_t LastRecordingDropped() const { return m_lastDropped; }
    FinishedRecording LastRecordingFinished();
    // Microseconds from the stop to the finished file, of that recording.
    int64_t LastRecordingFinishMicros() const { return m_lastFinishUs; }

    // Photos: the file is made now, the next picture goes into it.
    bool PreparePhoto(const std::string& path);
    // Writes the current picture into the prepared photo (ContextLock held).
    bool WritePhotoFrame();

    // Pictures pass through the hflip graph while this is set (by the
    // user-interface thread; the worker reads it for every picture).
    std::atomic<bool> softwareMirror{false};
    // Volume in percent applied to the sound of the next recording.
    std::atomic<int32_t> recordingVolume{100};

    // Number of times the decoder was (re)opened; lets callers see re-opens.
    unsigned OpenCount() const { return m_openCount; }

private:
    bool OpenDecoder(const StreamFormat& format);
    void CloseDecoder();
    bool BuildFlipGraph(int width, int height);
    bool DecodeCompressed(const uint8_t* sample, int32_t length);
    bool ConvertYuy2(const uint8_t* sample, int32_t length);
    bool MakeConvertedWritable();

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

    // Joins the threads of stopped recordings that have finished their files.
    void CollectFinished(std::unique_lock<std::mutex>& finishingLock);

    std::unique_ptr<RecordingThread> m_recording;
    std::mutex m_finishingLock; // guards the four below
    // Stopped recordings whose threads still finish their files, oldest first.
    std::vector<std::unique_ptr<RecordingThread>> m_finishing;
    FinishedRecording m_lastFinished;
    std::atomic<uint64_t> m_lastPictures{0};
    std::atomic<uint64_t> m_lastDropped{0};
    std::atomic<int64_t> m_lastFinishUs{0};
    std::unique_ptr<AudioInput> m_microphone;
    PhotoWriter m_photo;

    AVFilterGraph* m_flipGraph = nullptr;
    AVFilterContext* m_flipSource = nullptr;
    AVFilterContext* m_flipSink = nullptr;
    AVFrame* m_filteredFrame = nullptr;
};
