// CaptureItem: one unit of work for the capture engine's worker thread,
// either a raw camera sample or a decoded audio frame. The item owns its
// sample bytes and its audio frame; both go when the item goes.
#pragma once

#include <cstdint>
#include <memory>

#include "Core/StreamFormat.h"

struct AVFrame;
struct AVStream;

struct AudioFrameDeleter {
    void operator()(AVFrame* frame) const;
};
using AudioFramePtr = std::unique_ptr<AVFrame, AudioFrameDeleter>;

struct CaptureItem {
    static constexpr int32_t kVideo = 1;
    static constexpr int32_t kAudio = 2;

    int32_t kind = 0;
    StreamFormat format{};
    double sampleTime = 0.0;
    std::unique_ptr<uint8_t[]> data;
    int32_t length = 0;
    // MonotonicMicros when the sample reached the engine: its time in a recording.
    int64_t arrivalUs = 0;
    AVStream* audioStream = nullptr;
    AudioFramePtr audioFrame;
    // MonotonicMicros when the microphone's frame was read.
    int64_t audioTime = 0;
};
