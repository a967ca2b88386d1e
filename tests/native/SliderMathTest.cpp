// Slider thumb placement and the value under the mouse.
#include <climits>

#include <gtest/gtest.h>

#include "ui/SliderMath.h"

using namespace Ui;

namespace {
const UiRect kTrack{20, 10, 220, 30}; // 200 wide, 20 high
const UiSize kThumb{10, 10};
} // namespace

TEST(SliderThumb, EndsOfTheRangeTouchTheEdges) {
    EXPECT_EQ(SliderThumbRect(kTrack, kThumb, 0, 99, 0, true), (UiRect{20, 15, 30, 25}));
    EXPECT_EQ(SliderThumbRect(kTrack, kThumb, 0, 99, 99, true), (UiRect{210, 15, 220, 25}));
    EXPECT_EQ(SliderThumbRect(kTrack, kThumb, 0, 99, 50, true).left, 20 + 50 * 190 / 99);
    EXPECT_EQ(SliderThumbRect(kTrack, kThumb, -10, 10, 0, true).left, 20 + 95);
}

TEST(SliderThumb, EmptyRangeAndOutOfRangeValues) {
    EXPECT_EQ(SliderThumbRect(kTrack, kThumb, 5, 5, 5, true).left, 20);
    EXPECT_EQ(SliderThumbRect(kTrack, kThumb, 9, 5, 7, true).left, 20);
    EXPECT_EQ(SliderThumbRect(kTrack, kThumb, 0, 99, 500, true).left, 210);
    EXPECT_EQ(SliderThumbRect(kTrack, kThumb, 0, 99, -5, true).left, 20);
    EXPECT_EQ(SliderThumbRect(kTrack, kThumb, INT_MIN, INT_MAX, INT_MAX, true).left, 210);
}

TEST(SliderThumb, VerticalGrowsUpwards) {
    const UiRect column{0, 0, 20, 110};
    EXPECT_EQ(SliderThumbRect(column, kThumb, 0, 10, 0, false), (UiRect{5, 100, 15, 110}));
    EXPECT_EQ(SliderThumbRect(column, kThumb, 0, 10, 10, false), (UiRect{5, 0, 15, 10}));
}

TEST(SliderValue, FromTheMousePosition) {
    auto at = [](int x) { return SliderValueFromPoint(kTrack, kThumb, 0, 99, {x, 0}, true); };
    EXPECT_EQ(at(0), 0);
    EXPECT_EQ(at(25), 0); // at L + T/2
    EXPECT_EQ(at(27), 1); // 99 * 2 / 190
    EXPECT_EQ(at(214), 98);
    EXPECT_EQ(at(215), 99); // at R - T/2

    // The value under the thumb's middle maps back to that thumb place.
    for (int value : {0, 13, 50, 98, 99}) {
        const UiRect thumb = SliderThumbRect(kTrack, kThumb, 0, 99, value, true);
        const int middle = thumb.left + kThumb.cx / 2;
        EXPECT_NEAR(SliderValueFromPoint(kTrack, kThumb, 0, 99, {middle, 0}, true), value, 1);
    }
}

TEST(SliderValue, DegenerateTracksStayInRange) {
    // Thumb as wide as the track, and wider: no division by zero.
    for (int width : {200, 201, 199, 400}) {
        for (int x = 0; x < 260; x += 3) {
            const int v = SliderValueFromPoint(kTrack, {width, 10}, 0, 99, {x, 0}, true);
            EXPECT_GE(v, 0);
            EXPECT_LE(v, 99);
        }
    }
    EXPECT_EQ(SliderValueFromPoint(kTrack, kThumb, 7, 7, {100, 0}, true), 7);
    EXPECT_EQ(SliderValueFromPoint(kTrack, kThumb, INT_MIN, INT_MAX, {214, 0}, true),
              static_cast<int>(INT_MIN + static_cast<long long>(UINT_MAX) * 189 / 190));
}

TEST(SliderValue, VerticalReadsFromTheBottom) {
    const UiRect column{0, 0, 20, 110};
    EXPECT_EQ(SliderValueFromPoint(column, kThumb, 0, 10, {0, 109}, false), 0);
    EXPECT_EQ(SliderValueFromPoint(column, kThumb, 0, 10, {0, 2}, false), 10);
    EXPECT_EQ(SliderValueFromPoint(column, kThumb, 0, 10, {0, 55}, false), 5);
}

TEST(SliderWheel, StepsAndClamps) {
    EXPECT_EQ(SliderWheelValue(50, 5, 0, 100, true), 55);
    EXPECT_EQ(SliderWheelValue(98, 5, 0, 100, true), 100);
    EXPECT_EQ(SliderWheelValue(INT_MAX, INT_MAX, INT_MIN, INT_MAX, true), INT_MAX);
    // The step is negated without overflow.
    EXPECT_EQ(SliderWheelValue(INT_MIN, INT_MIN, INT_MIN, INT_MAX, false), 0);
}

// A camera whose focus moves in steps of 5 refuses the values between them.
TEST(SliderStep, ValuesStayOnTheGridFromTheMinimum) {
    EXPECT_EQ(SliderSnapToStep(163, 5, 0, 250), 165);
    EXPECT_EQ(SliderSnapToStep(162, 5, 0, 250), 160);
    // The grid starts at the minimum, not at 0; its last point may lie below the maximum.
    EXPECT_EQ(SliderSnapToStep(0, 5, -64, 64), 1);
    EXPECT_EQ(SliderSnapToStep(64, 5, -64, 64), 61);
    EXPECT_EQ(SliderSnapToStep(-64, 5, -64, 64), -64);
    EXPECT_EQ(SliderSnapToStep(163, 1, 0, 250), 163);
    EXPECT_EQ(SliderSnapToStep(163, 0, 0, 250), 163);
    // A wheel step from the last grid point stays there.
    EXPECT_EQ(SliderSnapToStep(SliderWheelValue(61, 5, -64, 64, true), 5, -64, 64), 61);
}
