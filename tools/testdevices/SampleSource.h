// What a capture pin's streaming thread asks of the data it delivers.
#pragma once

#include <windows.h>

#include <dshow.h>

#include <cstdint>

namespace TestDevices {

class SampleSource {
public:
    virtual ~SampleSource() = default;
    // Prepares to produce samples of the connected media type into buffers of bufferSize
    // bytes; false when that is impossible.
    virtual bool Start(const AM_MEDIA_TYPE& type, long bufferSize) = 0;
    // Writes sample number index into buffer; answers its length, or -1 when nothing could be
    // made. keyFrame tells whether the sample can be decoded on its own.
    virtual long Produce(uint64_t index, BYTE* buffer, long capacity, bool& keyFrame) = 0;
    // Nominal time between two samples, in 100 ns units; valid after Start.
    virtual REFERENCE_TIME Interval() const = 0;
    // How far the device's own clock runs from the system's, in parts per million: samples
    // come that much faster (or slower), while their time stamps still count Interval().
    virtual int ClockPpm() const { return 0; }
    // Whether samples held up (a stall, a slow reader) are delivered late, as a sound card's
    // buffer keeps them, rather than lost, as a camera's pictures are.
    virtual bool KeepsBacklog() const { return false; }
    // Whether each sample is handed over once it is complete, one Interval() after its
    // capture began, as a sound card's buffer is, rather than the moment it is captured.
    virtual bool HandsOverWhenFull() const { return false; }
    virtual void Stop() = 0;
};

} // namespace TestDevices
