// AudioInput: the microphone during a recording, read through FFmpeg's
// DirectShow input on a thread of its own. Each packet is decoded, scaled by
// the recording volume, converted to the encoder's sample format and handed
// to a callback with the time it was captured on the program's clock. The
// microphone's clock is not the program's: the resampler stretches or
// squeezes the sound a little so that it keeps to the capture times. Reads
// never block, so stopping takes no longer than one poll even while the
// microphone delivers nothing. The microphone is asked for short buffers, and
// at the end of a recording the sound still on its way is waited for, so the
// sound reaches the file up to the stop. A microphone lost during the
// recording (pulled out) is followed by silence, so the sound track lasts as
// long as the pictures.
#pragma once

#include <atomic>
#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "capture/recording/RecordingClock.h"
#include "capture/recording/RecordingFile.h"

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
    // Lets the thread hand over the sound captured up to stopUs
    // (MonotonicMicros), waiting for what is still in the device's buffer
    // (at most about one buffer's length more), and nothing after; then it
    // calls ended on its own thread and ends. Returns at once; Close joins.
    // Without a running thread ended is called at once.
    void EndAt(int64_t stopUs, std::function<void()> ended);
    // Whether the microphone stopped delivering for good during the recording
    // (pulled out, its driver failed); silence stands in for it since.
    bool Lost() const { return m_lost; }
    // Ends and joins the thread (at once, unless EndAt is still waiting for
    // sound), then closes the device. Safe to call twice.
    void Close();

private:
    bool BuildFilters(const SoundFormat& target, int volumePercent);
    void ReadLoop();
    void Decode(int64_t deviceUs, int64_t readUs);
    void DeliverWaiting();
    void FreeWaiting();
    // Hands a frame of filtered sound whose last sample was captured at
    // capturedUs to the callback, cut at the end's moment.
    void Deliver(AVFrame* frame, int64_t capturedUs);
    // Silence from where the sound stopped up to now (or the end's moment).
    void DeliverSilence();
    // Whether the end asked for by EndAt has been reached.
    bool EndReached();

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
    SoundFormat m_target; // of the frames handed over
    // Reading thread only: where the sound handed over ends (capture time of
    // its last sample, or kNothingYet), and the longest packet read.
    static constexpr int64_t kNothingYet = INT64_MIN;
    int64_t m_deliveredUntilUs = kNothingYet;
    int64_t m_longestPacketUs = 0;
    int64_t m_endDeadlineUs = kNothingYet;
    // Silence for a lost microphone: from when, and how many samples so far.
    int64_t m_silenceSinceUs = kNothingYet;
    int64_t m_silenceSamples = 0;
    std::atomic<bool> m_lost{false};
    // Set by EndAt (the callback first): the moment to end at, or kNothingYet.
    std::function<void()> m_ended;
    std::atomic<int64_t> m_endAtUs{kNothingYet};
};
