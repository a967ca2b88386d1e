// CaptureItem: one unit of work for the capture engine's worker thread, a raw
// camera sample. The item owns its sample bytes; they go when the item goes.
#pragma once

#include <cstdint>
#include <memory>

#include "Core/StreamFormat.h"

struct CaptureItem {
    // The queue tells pictures from sound by kind; the engine queues pictures only.
    static constexpr int32_t kVideo = 1;

    int32_t kind = kVideo;
    StreamFormat format{};
    double sampleTime = 0.0;
    std::unique_ptr<uint8_t[]> data;
    int32_t length = 0;
    // MonotonicMicros when the sample reached the engine: its time in a recording.
    int64_t arrivalUs = 0;
};
