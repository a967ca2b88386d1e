// AudioInput: the microphone during a recording, read through FFmpeg's
// DirectShow input on a thread of its own. Each packet is decoded, scaled by
// the recording volume, converted to the encoder's sample format and handed
// to a callback with the time it was captured on the program's clock. The
// microphone's clock is not the program's: the resampler stretches or
// squeezes the sound a little so that it keeps to the capture times. Reads
// never block, so stopping takes no longer than one poll even while the
// microphone delivers nothing.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "capture/RecordingClock.h"
#include "capture/RecordingFile.h"

struct AVCodecContext;
struct AVFilterContext;
struct AVFilterGraph;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;

class AudioInput {
public:
    // Receives the input's stream, a frame it now owns, and the MonotonicMicros
    // at which the frame's last sample was captured. Frames follow each other
    // without gaps or overlaps. Called on the input's thread.
    using FrameCallback = std::function<void(AVStream*, AVFrame*, int64_t)>;

    AudioInput() = default;
    ~AudioInput();
    AudioInput(const AudioInput&) = delete;
    AudioInput& operator=(const AudioInput&) = delete;

    // Opens the microphone of that friendly name. False (nothing open) when
    // the name is empty or no such device opens.
    bool Open(const std::wstring& microphoneName);
    // Rate, channels and sample format the microphone delivers.
    SoundFormat Format() const { return m_format; }

    // Builds the volume and conversion filters for target (the encoder's
    // format) and starts the reading thread. volumePercent 100 leaves the
    // sound as it is.
    bool Start(const SoundFormat& target, int volumePercent, FrameCallback callback);
    // Ends and joins the thread, then closes the device. Safe to call twice.
    void Close();

private:
    bool BuildFilters(const SoundFormat& target, int volumePercent);
    void ReadLoop();
    void Decode(int64_t deviceUs, int64_t readUs);
    void DeliverWaiting();
    void FreeWaiting();

    AVFormatContext* m_input = nullptr;
    AVCodecContext* m_decoder = nullptr;
    AVStream* m_stream = nullptr;
    int m_streamIndex = -1;
    SoundFormat m_format;
    AVFilterGraph* m_graph = nullptr;
    AVFilterContext* m_source = nullptr;
    AVFilterContext* m_sink = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_decoded = nullptr;
    SoundCaptureClock m_clock{0};
    // Decoded frames read in one go, with their places on the device's
    // clock; placed on ours once the device has nothing more waiting.
    struct Waiting {
        AVFrame* frame;
        int64_t deviceUs;
    };
    std::vector<Waiting> m_waiting;
    FrameCallback m_callback;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
};
