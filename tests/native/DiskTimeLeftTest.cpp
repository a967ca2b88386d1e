// The warning of a disk about to fill during a recording: the rate measured
// from the file's growth, the minutes told and when the warning comes and goes.
#include <gtest/gtest.h>

#include "capture/recording/DiskTimeLeft.h"

namespace {

constexpr int64_t kSecond = 1000000;
constexpr int64_t kRate = 500000; // a 4 Mbit/s recording
constexpr int64_t kReserve = 64LL * 1024 * 1024;

// A recording at kRate looked at four times a second for `seconds`, its
// volume with `spareSeconds` of it left above the reserve at the end.
void Record(DiskTimeLeft& left, int64_t seconds, int64_t spareSeconds) {
    for (int64_t quarter = 0; quarter <= seconds * 4; ++quarter) {
        const int64_t us = quarter * kSecond / 4;
        const int64_t written = kRate * us / kSecond;
        const int64_t free = kReserve + kRate * spareSeconds + kRate * seconds - written;
        left.Observe(us, written, free, kReserve);
    }
}

TEST(DiskTimeLeftTest, CountsTheMinutesDownOnlyWhenFewerThanFiveAreLeft) {
    DiskTimeLeft plenty;
    Record(plenty, 30, 20 * 60);
    EXPECT_EQ(plenty.BytesPerSecond(), kRate);
    EXPECT_EQ(plenty.SecondsLeft(), 20 * 60);
    EXPECT_EQ(plenty.MinutesToShow(), 0);

    DiskTimeLeft few;
    Record(few, 30, 4 * 60 + 10);
    EXPECT_EQ(few.MinutesToShow(), 4);

    // Below the reserve the recording is about to end: still a minute, never 0.
    DiskTimeLeft none;
    Record(none, 30, -10);
    EXPECT_EQ(none.SecondsLeft(), 0);
    EXPECT_EQ(none.MinutesToShow(), 1);
}

// The file grows in bursts (a fragment, a flush a second); a look between two
// of them must not tell a rate of nothing or of a burst.
TEST(DiskTimeLeftTest, BurstsOfGrowthGiveTheAverageRate) {
    DiskTimeLeft left;
    int64_t written = 0;
    for (int64_t quarter = 0; quarter <= 4 * 40; ++quarter) {
        if (quarter % 4 == 0) {
            written += kRate; // one flush a second
        }
        left.Observe(quarter * kSecond / 4, written, kReserve + 200 * kRate, kReserve);
        if (quarter >= 4 * 5) {
            EXPECT_NEAR(left.BytesPerSecond(), kRate, kRate / 4) << quarter;
            EXPECT_GT(left.MinutesToShow(), 0) << quarter;
        }
    }
}

TEST(DiskTimeLeftTest, NoWarningWithoutAKnownRateOrFreeSpace) {
    DiskTimeLeft start;
    // The first second of a recording on a nearly full disk tells no rate yet.
    start.Observe(0, 0, kReserve + kRate, kReserve);
    start.Observe(kSecond, kRate, kReserve, kReserve);
    EXPECT_EQ(start.BytesPerSecond(), 0);
    EXPECT_EQ(start.MinutesToShow(), 0);

    DiskTimeLeft unknown;
    for (int64_t second = 0; second <= 10; ++second) {
        unknown.Observe(second * kSecond, second * kRate, -1, kReserve);
    }
    EXPECT_EQ(unknown.SecondsLeft(), -1);
    EXPECT_EQ(unknown.MinutesToShow(), 0);

    // A camera that stopped delivering: the file stays as it is, the disk lasts.
    DiskTimeLeft stalled;
    Record(stalled, 30, 60);
    ASSERT_GT(stalled.MinutesToShow(), 0);
    for (int64_t second = 31; second <= 60; ++second) {
        stalled.Observe(second * kSecond, 30 * kRate, kReserve + 60 * kRate, kReserve);
    }
    EXPECT_EQ(stalled.MinutesToShow(), 0);
}

TEST(DiskTimeLeftTest, TheWarningHoldsNearTheMarkAndEndsWhenSpaceIsFreed) {
    DiskTimeLeft left;
    Record(left, 30, 290);
    EXPECT_EQ(left.MinutesToShow(), 5);
    // A little more room (another recording's file deleted): still shown.
    const int64_t written = 30 * kRate;
    left.Observe(31 * kSecond, written + kRate, kReserve + 330 * kRate, kReserve);
    EXPECT_EQ(left.MinutesToShow(), 6);
    // Much more room: gone.
    left.Observe(32 * kSecond, written + 2 * kRate, kReserve + 600 * kRate, kReserve);
    EXPECT_EQ(left.MinutesToShow(), 0);
    // And not back at 5:30 left.
    left.Observe(33 * kSecond, written + 3 * kRate, kReserve + 330 * kRate, kReserve);
    EXPECT_EQ(left.MinutesToShow(), 0);
}

// The next recording's file starts from nothing: its growth is measured anew,
// not as a drop that makes the rate negative or the time left endless.
TEST(DiskTimeLeftTest, ANewRecordingIsMeasuredAnew) {
    DiskTimeLeft left;
    Record(left, 30, 100);
    ASSERT_GT(left.MinutesToShow(), 0);
    left.Observe(31 * kSecond, 0, kReserve + 100 * kRate, kReserve);
    EXPECT_EQ(left.BytesPerSecond(), 0);
    EXPECT_EQ(left.MinutesToShow(), 0);
    for (int64_t second = 32; second <= 40; ++second) {
        left.Observe(second * kSecond, (second - 31) * 2 * kRate, kReserve + 100 * kRate, kReserve);
    }
    EXPECT_EQ(left.BytesPerSecond(), 2 * kRate);
    EXPECT_EQ(left.SecondsLeft(), 50);
}

} // namespace
