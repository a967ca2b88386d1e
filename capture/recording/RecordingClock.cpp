#include "capture/recording/RecordingClock.h"

namespace {

constexpr int kFallbackFrameRate = 30;
constexpr int kHighestFrameRate = 240;
constexpr int64_t kMicrosPerSecond = 1000000;

// a x b / c rounded to nearest, for non-negative a and positive b, c.
int64_t ScaleRounded(int64_t a, int64_t b, int64_t c) {
    return (a * b + c / 2) / c;
}

} // namespace

int RecordingFrameRate(int nominalRate) {
    return nominalRate > 0 && nominalRate <= kHighestFrameRate ? nominalRate : kFallbackFrameRate;
}

int64_t VideoTimeline::Stamp(int64_t sinceStartUs) {
    if (sinceStartUs < 0) {
        return -1;
    }
    int64_t time = ScaleRounded(sinceStartUs, m_timeScale, kMicrosPerSecond);
    if (time <= m_last) {
        time = m_last + 1;
    }
    m_last = time;
    return time;
}

AudioTimeline::AudioTimeline(int sampleRate, int64_t slackUs)
    : m_sampleRate(sampleRate),
      m_slackSamples(ScaleRounded(slackUs, sampleRate, kMicrosPerSecond)) {}

AudioTimeline::Placement AudioTimeline::Place(int count, int64_t readUs, int64_t waiting) {
    Placement placement;
    if (count <= 0) {
        return placement;
    }
    // Where the frame's first sample belongs by the clock.
    int64_t first = (readUs < 0 ? -ScaleRounded(-readUs, m_sampleRate, kMicrosPerSecond)
                                : ScaleRounded(readUs, m_sampleRate, kMicrosPerSecond)) -
                    count;
    if (first < 0) {
        placement.skip = static_cast<int>(-first < count ? -first : count);
        first = 0;
    }
    if (placement.skip == count) {
        return placement;
    }
    // The waiting samples move along with the frame that follows them.
    const int64_t head = first - waiting;
    if (!m_started) {
        m_started = true;
        m_next = head;
    } else if (head - m_next > m_slackSamples) {
        m_next = head;
        placement.jumped = true;
    }
    return placement;
}

int64_t SoundCaptureClock::Observe(int64_t deviceUs, int64_t durationUs, int64_t readUs) {
    if (durationUs < 0) {
        durationUs = 0;
    }
    if (deviceUs == kNoStamp) {
        deviceUs = m_nextDeviceUs != kNoStamp ? m_nextDeviceUs : readUs - durationUs;
    } else if (m_nextDeviceUs != kNoStamp && deviceUs < m_nextDeviceUs - durationUs) {
        // Stamps that went back (the device started over) say nothing about
        // the packets before them.
        m_least.clear();
    }
    const int64_t endUs = deviceUs + durationUs;
    m_nextDeviceUs = endUs;
    const Reading reading{endUs, readUs - endUs};
    while (!m_least.empty() && m_least.back().lateness >= reading.lateness) {
        m_least.pop_back();
    }
    m_least.push_back(reading);
    while (m_least.front().deviceEndUs < endUs - m_windowUs) {
        m_least.pop_front();
    }
    return deviceUs;
}

int64_t SoundCaptureClock::Captured(int64_t deviceUs) const {
    return m_least.empty() ? deviceUs : deviceUs + m_least.front().lateness;
}
