#include "tools/testdevices/ToneSampleSource.h"

#include <mmreg.h>

#include <cmath>

namespace TestDevices {

bool ToneSampleSource::Start(const AM_MEDIA_TYPE& type, long bufferSize) {
    if (type.formattype != FORMAT_WaveFormatEx || !type.pbFormat ||
        type.cbFormat < sizeof(WAVEFORMATEX)) {
        return false;
    }
    const auto* wave = reinterpret_cast<const WAVEFORMATEX*>(type.pbFormat);
    if (wave->wFormatTag != WAVE_FORMAT_PCM || wave->wBitsPerSample != 16 || wave->nChannels < 1 ||
        wave->nChannels > 2 || wave->nSamplesPerSec < 8000) {
        return false;
    }
    sampleRate_ = static_cast<int>(wave->nSamplesPerSec);
    channels_ = wave->nChannels;
    const long blockAlign = channels_ * 2;
    // Whole buffers of the negotiated length, as a sound card fills them.
    framesPerBuffer_ = bufferSize / blockAlign;
    if (framesPerBuffer_ <= 0)
        return false;
    interval_ = static_cast<REFERENCE_TIME>(framesPerBuffer_) * 10000000 / sampleRate_;
    return true;
}

long ToneSampleSource::Produce(uint64_t, BYTE* buffer, long capacity, bool& keyFrame) {
    const long bytes = framesPerBuffer_ * channels_ * 2;
    if (capacity < bytes)
        return -1;
    keyFrame = true;
    auto* out = reinterpret_cast<int16_t*>(buffer);
    const double step = 2.0 * 3.14159265358979323846 * toneHz_ / sampleRate_;
    for (long i = 0; i < framesPerBuffer_; ++i) {
        // The phase is taken modulo one period of the rate so it never loses precision.
        const uint64_t n = (position_ + i) % static_cast<uint64_t>(sampleRate_);
        const auto value = static_cast<int16_t>(std::lround(8192.0 * std::sin(step * n)));
        for (int c = 0; c < channels_; ++c)
            *out++ = value;
    }
    position_ += framesPerBuffer_;
    return bytes;
}

} // namespace TestDevices
