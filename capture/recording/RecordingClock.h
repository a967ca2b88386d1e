// Where pictures and sound go on a recording's timeline. Both are stamped by
// the wall clock (microseconds since the recording started), not by counting:
// a camera that delivers fewer pictures than it announces, or a microphone
// that stalls, still gives a file as long as the time it recorded, with
// picture and sound in step. Free of Windows and FFmpeg headers so that the
// arithmetic is tested natively.
#pragma once

#include <cstdint>
#include <deque>

// The frame rate the video encoder is told: the camera's nominal rate, or 30
// when the camera reports none (or an absurd one). It only guides the rate
// control; the time stamps come from the clock.
int RecordingFrameRate(int nominalRate);

// Presentation times of pictures in units of 1/timeScale seconds.
class VideoTimeline {
public:
    explicit VideoTimeline(int timeScale) : m_timeScale(timeScale) {}

    // The time of a picture that arrived sinceStartUs after the start. Every
    // picture gets a later time than the one before (two arriving within one
    // unit are spread apart). A picture that arrived before the start gets
    // -1: it belongs to the time before the recording.
    int64_t Stamp(int64_t sinceStartUs);
    // The time of the last picture stamped; -1 before the first.
    int64_t Last() const { return m_last; }

private:
    int m_timeScale;
    int64_t m_last = -1;
};

// Positions of sound samples, in samples at sampleRate. Sound is laid down
// contiguously while it keeps pace with the clock; when the clock has run
// ahead by more than the allowed slack (the microphone stalled or frames were
// lost), the timeline jumps forward so that what follows plays at its true
// time, leaving silence for the gap. It never goes back.
class AudioTimeline {
public:
    AudioTimeline(int sampleRate, int64_t slackUs);

    struct Placement {
        int skip = 0;        // leading samples of the frame to throw away
        bool jumped = false; // the waiting samples now start at a later position
    };

    // A frame of count samples whose last sample was captured at readUs
    // (since the start); waiting is how many samples already wait to be
    // encoded. Samples from before the start are skipped; the first sound
    // kept starts at its own time, not at 0.
    Placement Place(int count, int64_t readUs, int64_t waiting);

    // Position of the first waiting sample; advances as samples are encoded.
    int64_t Next() const { return m_next; }
    void Advance(int64_t samples) { m_next += samples; }
    // Whether any sound has been placed yet.
    bool Started() const { return m_started; }

private:
    int m_sampleRate;
    int64_t m_slackSamples;
    int64_t m_next = 0;
    bool m_started = false;
};

// When sound was captured, on the program's clock. A microphone stamps its
// packets by its own clock, which places them against each other (a burst
// delivered late after a stall keeps its places, a gap the device reports
// shows) but runs faster or slower than the program's clock. When a packet
// was read is on the program's clock but comes a varying delay late. The
// packet held up least in the last windowUs of the device's time ties the
// two together, so the estimate follows a drifting clock and is not moved
// by a burst that arrives late. Packets read together are best placed after
// all of them are observed: the last of a burst is the least held up.
class SoundCaptureClock {
public:
    static constexpr int64_t kNoStamp = INT64_MIN;

    explicit SoundCaptureClock(int64_t windowUs) : m_windowUs(windowUs) {}

    // A packet the device stamped deviceUs (kNoStamp when it gave none: it
    // then follows the one before), durationUs long, read at readUs. Answers
    // its place on the device's clock.
    int64_t Observe(int64_t deviceUs, int64_t durationUs, int64_t readUs);
    // When the sound at that place on the device's clock was captured, on
    // the read clock, by what has been observed so far.
    int64_t Captured(int64_t deviceUs) const;

private:
    struct Reading {
        int64_t deviceEndUs;
        int64_t lateness; // read time less device time of the packet's end
    };

    int64_t m_windowUs;
    std::deque<Reading> m_least; // lateness rising from the front: the least first
    int64_t m_nextDeviceUs = kNoStamp;
};
