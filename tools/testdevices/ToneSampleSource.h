// Audio samples of the microphone: a continuous sine tone in 16-bit PCM, in buffers of the
// length the pin negotiated.
#pragma once

#include "tools/testdevices/SampleSource.h"

namespace TestDevices {

class ToneSampleSource : public SampleSource {
public:
    ToneSampleSource(int toneHz, int clockPpm) : toneHz_(toneHz), clockPpm_(clockPpm) {}

    bool Start(const AM_MEDIA_TYPE& type, long bufferSize) override;
    long Produce(uint64_t index, BYTE* buffer, long capacity, bool& keyFrame) override;
    REFERENCE_TIME Interval() const override { return interval_; }
    int ClockPpm() const override { return clockPpm_; }
    bool KeepsBacklog() const override { return true; }
    bool HandsOverWhenFull() const override { return true; }
    void Stop() override {}

private:
    int toneHz_;
    int clockPpm_;
    int sampleRate_ = 48000;
    int channels_ = 2;
    long framesPerBuffer_ = 960;
    REFERENCE_TIME interval_ = 200000;
    uint64_t position_ = 0; // frames produced so far, so the tone stays continuous
};

} // namespace TestDevices
