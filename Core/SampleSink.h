// SampleSink: where a camera hands each captured sample, with the format the
// camera delivers it in. The device layer calls it; the capture engine is
// the sink: the capture wiring makes it the registry's sink, and the
// registry gives it to every camera it opens.
#pragma once

#include <cstdint>

#include "Core/StreamFormat.h"

class SampleSink {
public:
    // Runs on the camera's streaming thread; the bytes are valid only during
    // the call. Must not call back into the camera: its filter may hold its
    // lock in Stop while it waits for this thread.
    virtual void TakeSample(const StreamFormat& format, double sampleTime, const uint8_t* buffer,
                            int32_t length) = 0;

protected:
    ~SampleSink() = default;
};
