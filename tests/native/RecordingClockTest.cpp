// Wall-clock time stamps of recorded pictures and sound.
#include <algorithm>

#include <gtest/gtest.h>

#include "capture/recording/RecordingClock.h"

TEST(RecordingClock, FrameRateFallsBackWhenTheCameraReportsNone) {
    EXPECT_EQ(RecordingFrameRate(15), 15);
    EXPECT_EQ(RecordingFrameRate(0), 30);
    EXPECT_EQ(RecordingFrameRate(-5), 30);
    EXPECT_EQ(RecordingFrameRate(1000), 30);
}

TEST(RecordingClock, PicturesAreStampedByArrivalAndNeverShareATime) {
    VideoTimeline timeline(90000);
    EXPECT_EQ(timeline.Stamp(-1), -1); // arrived before the start
    EXPECT_EQ(timeline.Stamp(0), 0);
    // A camera at half its nominal rate: 66.7 ms apart, not 33.3 ms.
    EXPECT_EQ(timeline.Stamp(66667), 6000);
    EXPECT_EQ(timeline.Stamp(133333), 12000);
    // Two pictures taken from the queue in one burst with the same arrival.
    EXPECT_EQ(timeline.Stamp(133333), 12001);
    EXPECT_EQ(timeline.Stamp(133000), 12002);
    EXPECT_EQ(timeline.Stamp(10000000), 900000);
}

TEST(RecordingClock, SoundStartsAtItsOwnTimeAndSkipsWhatCameBeforeTheStart) {
    AudioTimeline late(48000, 40000);
    // 20 ms frames (960 samples); the first one read 50 ms after the start.
    AudioTimeline::Placement first = late.Place(960, 50000, 0);
    EXPECT_EQ(first.skip, 0);
    EXPECT_EQ(late.Next(), 2400 - 960);

    AudioTimeline early(48000, 40000);
    // Read 5 ms after the start: the first 15 ms were captured before it.
    first = early.Place(960, 5000, 0);
    EXPECT_EQ(first.skip, 720);
    EXPECT_EQ(early.Next(), 0);
    // Entirely before the start: nothing kept, nothing moves.
    AudioTimeline before(48000, 40000);
    EXPECT_EQ(before.Place(960, -1000, 0).skip, 960);
    EXPECT_EQ(before.Place(960, 20000, 0).skip, 0);
    EXPECT_EQ(before.Next(), 0);
}

TEST(RecordingClock, SoundStaysContiguousThroughJitterAndJumpsAfterAStall) {
    AudioTimeline timeline(48000, 40000);
    timeline.Place(960, 20000, 0);
    timeline.Advance(960 - 100); // 100 samples wait for the next encoder frame
    // Read 30 ms late: within the slack, the sound just follows on.
    AudioTimeline::Placement next = timeline.Place(960, 70000, 100);
    EXPECT_FALSE(next.jumped);
    EXPECT_EQ(timeline.Next(), 860);
    // A 1 s stall: the frame after it belongs one second later, and the
    // waiting samples move with it.
    timeline.Advance(960);
    next = timeline.Place(960, 1080000, 100);
    EXPECT_TRUE(next.jumped);
    EXPECT_EQ(timeline.Next(), 1080000 * 48 / 1000 - 960 - 100);
    // A frame read early (the clock behind the sound) never moves it back.
    const int64_t at = timeline.Next();
    EXPECT_FALSE(timeline.Place(960, 500000, 0).jumped);
    EXPECT_EQ(timeline.Next(), at);
}

// A microphone 1 % fast, read every 20 ms of its own clock 2 to 9 ms late,
// held up once for 300 ms (its buffer then delivers the backlog at once),
// later losing 200 ms that its stamps report: the estimated capture time of
// every packet stays within the delivery jitter of the truth.
TEST(RecordingClock, SoundCaptureTimeFollowsADriftingClockThroughStallsAndGaps) {
    SoundCaptureClock clock(1000000);
    const double fast = 1.01;
    const int64_t startUs = 5000000;
    int64_t stalledUntil = 0;
    int64_t worst = 0;
    for (int packet = 0; packet < 1000; ++packet) {
        // Device time of the packet; after packet 600 the device skipped 200 ms.
        const int64_t deviceUs = 20000LL * packet + (packet >= 600 ? 200000 : 0);
        const int64_t truthUs = startUs + static_cast<int64_t>(deviceUs / fast);
        int64_t readUs = truthUs + static_cast<int64_t>(20000 / fast) + 2000 + (packet * 37) % 7000;
        if (packet == 300) {
            stalledUntil = readUs + 300000;
        }
        if (readUs < stalledUntil) {
            readUs = stalledUntil;
        }
        // Every stamp, and none at all for a stretch: then counted on.
        const int64_t stamp =
            packet >= 800 && packet < 820 ? SoundCaptureClock::kNoStamp : deviceUs;
        const int64_t error = clock.Captured(clock.Observe(stamp, 20000, readUs)) - truthUs;
        if (packet > 0) {
            worst = std::max<int64_t>(worst, error < 0 ? -error : error);
        }
    }
    EXPECT_LT(worst, 17000);
}
