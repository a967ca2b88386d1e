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
    virtual void Stop() = 0;
};

} // namespace TestDevices
