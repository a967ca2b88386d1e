// DiskTimeLeft: how long the disk still takes a running recording, so that
// the window can warn while there is time to free space, not only after the
// recording ended on a full disk. The rate is measured from the file's
// growth over the last seconds (a camera's real rate and the encoder's
// output vary too much for a figure known in advance); the recording ends by
// itself once the free space falls to what it keeps in hand, so that is
// where the time runs out. Free of Windows headers so that the arithmetic is
// tested natively.
#pragma once

#include <cstdint>
#include <deque>

class DiskTimeLeft {
public:
    // A warning starts below this many seconds left and ends above
    // kClearSeconds, so that a rate that wobbles around the mark does not
    // make it blink.
    static constexpr int64_t kWarnSeconds = 5 * 60;
    static constexpr int64_t kClearSeconds = 6 * 60;

    // Forgets everything measured: a new recording.
    void Reset();
    // One look at nowUs (any steady microsecond clock): the bytes the
    // recording has written so far, the free bytes of its volume (negative:
    // not known) and the free bytes at which it ends by itself. Bytes that
    // went down belong to a new recording: the measurement starts again.
    void Observe(int64_t nowUs, int64_t recordedBytes, int64_t freeBytes, int64_t reserveBytes);

    // Bytes a second the recording grew by lately; 0 until a few seconds
    // of growth have been seen.
    int64_t BytesPerSecond() const;
    // Seconds until the free space reaches the reserve at that rate
    // (0 when it has); -1 when not known (no rate yet, no growth, free
    // space unknown).
    int64_t SecondsLeft() const;
    // The whole minutes to tell the user (at least 1), or 0 while no
    // warning is due.
    int MinutesToShow() const;

private:
    struct Look {
        int64_t us;
        int64_t bytes;
    };
    std::deque<Look> m_looks; // oldest first, at most kWindowUs apart
    int64_t m_freeBytes = -1;
    int64_t m_reserveBytes = 0;
    bool m_warning = false;
};
