// Vertical scroll bar geometry, position rounding and thumb dragging.
#include <climits>

#include <gtest/gtest.h>

#include "ui/ScrollMath.h"

using namespace Ui;

namespace {
const UiRect kBar{100, 20, 116, 170}; // 16 wide, 150 high
}

TEST(ScrollBarGeometry, ThumbSizeAndPositionFollowRange) {
    ScrollBarGeometry g = VerticalScrollBarGeometry(kBar, 300, 0, true, true);
    EXPECT_EQ(g.button1, (UiRect{100, 20, 116, 36}));
    EXPECT_EQ(g.button2, (UiRect{100, 154, 116, 170}));
    EXPECT_EQ(g.rail.height(), 118);
    ASSERT_TRUE(g.hasThumb);
    EXPECT_EQ(g.thumb.height(), 39);
    EXPECT_EQ(g.thumb.top, 36);

    g = VerticalScrollBarGeometry(kBar, 300, 150, true, true);
    EXPECT_EQ(g.thumb.top - kBar.top, 55);
    EXPECT_EQ(g.thumb.left, 100);
    EXPECT_EQ(g.thumb.right, 116);
    // The rail image is a bar-wide square centred on the thumb.
    EXPECT_EQ(g.railImage.height(), 16);
    EXPECT_EQ(g.railImage.top, g.thumb.top + 39 / 2 - 8);

    g = VerticalScrollBarGeometry(kBar, 300, 300, true, true);
    EXPECT_EQ(g.thumb.bottom, g.button2.top);

    // A hidden button gives its room to the rail.
    g = VerticalScrollBarGeometry(kBar, 300, 0, false, true);
    EXPECT_TRUE(g.button1.empty());
    EXPECT_EQ(g.rail, (UiRect{100, 20, 116, 154}));
}

TEST(ScrollBarGeometry, ThumbIsAtLeastAsHighAsTheBarIsWide) {
    const ScrollBarGeometry g = VerticalScrollBarGeometry(kBar, 100000, 100000, true, true);
    ASSERT_TRUE(g.hasThumb);
    EXPECT_EQ(g.thumb.height(), 16);
    EXPECT_EQ(g.thumb.bottom, 154);
}

TEST(ScrollBarGeometry, NoRangeFillsTheRail) {
    for (int range : {0, -5}) {
        const ScrollBarGeometry g = VerticalScrollBarGeometry(kBar, range, 40, true, true);
        ASSERT_TRUE(g.hasThumb);
        EXPECT_EQ(g.thumb, g.rail);
    }
}

TEST(ScrollBarGeometry, ShortBarShrinksButtonsAndHasNoThumb) {
    ScrollBarGeometry g = VerticalScrollBarGeometry({0, 0, 16, 40}, 100, 0, true, true);
    EXPECT_FALSE(g.hasThumb);
    EXPECT_EQ(g.button1, (UiRect{0, 0, 16, 16}));
    EXPECT_EQ(g.button2, (UiRect{0, 24, 16, 40}));

    g = VerticalScrollBarGeometry({0, 0, 16, 20}, 100, 0, true, true);
    EXPECT_EQ(g.button1.height(), 10);
    EXPECT_EQ(g.button2.height(), 10);

    g = VerticalScrollBarGeometry({0, 50, 16, 10}, 100, 0, true, true); // upside down
    EXPECT_FALSE(g.hasThumb);
    EXPECT_TRUE(g.button1.empty() && g.button2.empty());
}

TEST(ScrollBarGeometry, HitTestFindsEachPart) {
    const ScrollBarGeometry g = VerticalScrollBarGeometry(kBar, 300, 150, true, true);
    EXPECT_EQ(HitTestScrollBar(g, {105, 25}), ScrollBarPart::Button1);
    EXPECT_EQ(HitTestScrollBar(g, {105, 160}), ScrollBarPart::Button2);
    EXPECT_EQ(HitTestScrollBar(g, {105, 40}), ScrollBarPart::RailAbove);
    EXPECT_EQ(HitTestScrollBar(g, {105, 80}), ScrollBarPart::Thumb);
    EXPECT_EQ(HitTestScrollBar(g, {105, 150}), ScrollBarPart::RailBelow);
    EXPECT_EQ(HitTestScrollBar(g, {99, 80}), ScrollBarPart::None);
}

TEST(ScrollPosition, RoundsToTheUnitAndLimits) {
    EXPECT_EQ(NormalizeScrollPosition(6, 100, 5), 5);
    EXPECT_EQ(NormalizeScrollPosition(7, 100, 5), 10);
    EXPECT_EQ(NormalizeScrollPosition(-3, 100, 1), 0);
    EXPECT_EQ(NormalizeScrollPosition(150, 100, 1), 100);
    EXPECT_EQ(NormalizeScrollPosition(98, 100, 5), 100); // rounded up past the range
    EXPECT_EQ(NormalizeScrollPosition(INT_MAX, INT_MAX, 10), INT_MAX);
    // A negative range must not produce a negative position.
    EXPECT_EQ(NormalizeScrollPosition(10, -20, 1), 0);
}

TEST(ScrollPosition, ThumbDragScalesByFreeRail) {
    const ScrollBarGeometry g = VerticalScrollBarGeometry(kBar, 300, 0, true, true);
    // Rail 118, thumb 39: 79 pixels of travel cover the range of 300.
    EXPECT_EQ(ThumbDragOffset(79, 300, g), 300);
    EXPECT_EQ(ThumbDragOffset(-10, 300, g), -10 * 300 / 79);

    const ScrollBarGeometry full = VerticalScrollBarGeometry(kBar, 0, 0, true, true);
    EXPECT_EQ(ThumbDragOffset(50, 0, full), 0);
    EXPECT_EQ(ThumbDragOffset(INT_MAX, INT_MAX, g), INT_MAX);
}
