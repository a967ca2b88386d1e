// Placing the children of vertical and horizontal stacks: fixed and
// stretching children, limits, paddings, gaps and alignment.
#include <climits>
#include <vector>

#include <gtest/gtest.h>

#include "ui/LayoutMath.h"

using namespace Ui;

namespace {

LayoutChild Fixed(int width, int height) {
    LayoutChild child;
    child.fixed = {width, height};
    return child;
}

LayoutChild Stretching() {
    return LayoutChild{};
}

StackLayout Column(const std::vector<LayoutChild>& children, int gap = 0,
                   ChildAlignment align = ChildAlignment::Start, UiRect inner = {0, 0, 200, 100}) {
    return LayoutStack(LayoutDirection::Vertical, inner, gap, align, children);
}

std::vector<int> Heights(const StackLayout& layout) {
    std::vector<int> heights;
    for (const UiRect& rect : layout.rects) {
        heights.push_back(rect.height());
    }
    return heights;
}

} // namespace

TEST(VerticalLayout, StretchingChildrenShareTheFreeHeight) {
    const std::vector<LayoutChild> children = {Fixed(0, 30), Stretching(), Stretching()};
    StackLayout layout = Column(children);
    EXPECT_EQ(Heights(layout), (std::vector<int>{30, 35, 35}));
    EXPECT_EQ(layout.rects[2], (UiRect{0, 65, 200, 100}));
    EXPECT_EQ(layout.extent, 100);

    layout = Column(children, 10);
    EXPECT_EQ(Heights(layout), (std::vector<int>{30, 25, 25}));
    EXPECT_EQ(layout.rects[2].top, 75);

    // Uneven shares: the last stretching child takes the odd pixel.
    EXPECT_EQ(Heights(Column({Stretching(), Stretching(), Stretching()})),
              (std::vector<int>{33, 33, 34}));
}

TEST(VerticalLayout, LimitsOnStretchingAndFixedChildren) {
    LayoutChild limited = Stretching();
    limited.maxSize.cy = 20;
    EXPECT_EQ(Heights(Column({Fixed(0, 30), limited, Stretching()})),
              (std::vector<int>{30, 20, 50}));

    LayoutChild small = Fixed(0, 5);
    small.minSize.cy = 12;
    LayoutChild big = Fixed(0, 500);
    big.maxSize.cy = 40;
    EXPECT_EQ(Heights(Column({small, big})), (std::vector<int>{12, 40}));
}

TEST(VerticalLayout, OverfullColumnNeverGivesNegativeHeights) {
    LayoutChild greedy = Stretching();
    greedy.minSize.cy = 80;
    const StackLayout layout = Column({Fixed(0, 60), greedy, Stretching()});
    EXPECT_EQ(Heights(layout), (std::vector<int>{60, 80, 0}));
    EXPECT_EQ(layout.extent, 140);
}

// Rows of a panel on a screen too low for it: those that name a minimum give
// way in proportion to how far they can; a column that fits stays as designed.
TEST(VerticalLayout, FixedChildrenWithAMinimumGiveWayWhenTheColumnOverflows) {
    LayoutChild spacer = Fixed(0, 55);
    spacer.minSize.cy = 5;
    LayoutChild row = Fixed(0, 35);
    row.minSize.cy = 25;
    const std::vector<LayoutChild> column = {spacer, row, Fixed(0, 20), row};
    EXPECT_EQ(Heights(Column(column, 0, ChildAlignment::Start, {0, 0, 200, 145})),
              (std::vector<int>{55, 35, 20, 35}));
    // 35 too many: the spacer can give 50 of the 70, each row 10.
    const StackLayout tight = Column(column, 0, ChildAlignment::Start, {0, 0, 200, 110});
    EXPECT_EQ(Heights(tight), (std::vector<int>{30, 30, 20, 30}));
    EXPECT_EQ(tight.extent, 110);
    // Rounding: 7 too many over shares of 50, 10 and 10.
    EXPECT_EQ(Heights(Column(column, 0, ChildAlignment::Start, {0, 0, 200, 138})),
              (std::vector<int>{50, 34, 20, 34}));
    // Beyond every minimum the column overflows, with nothing below them.
    const StackLayout overfull = Column(column, 5, ChildAlignment::Start, {0, 0, 200, 40});
    EXPECT_EQ(Heights(overfull), (std::vector<int>{5, 25, 20, 25}));
    EXPECT_EQ(overfull.extent, 90);
    // A stretching child gets nothing while the fixed ones give way.
    EXPECT_EQ(
        Heights(Column({spacer, Stretching(), row}, 0, ChildAlignment::Start, {0, 0, 200, 80})),
        (std::vector<int>{46, 0, 34}));
}

TEST(VerticalLayout, PaddingCountsInTheColumnButNotInTheSize) {
    LayoutChild padded = Fixed(0, 50);
    padded.padding = {25, 20, 0, 15};
    const StackLayout layout =
        Column({padded, Fixed(0, 10)}, 0, ChildAlignment::Start, {10, 10, 210, 300});
    EXPECT_EQ(layout.rects[0], (UiRect{35, 30, 210, 80}));
    EXPECT_EQ(layout.rects[1].top, 10 + 85);
}

TEST(VerticalLayout, WidthsAndAlignment) {
    const UiRect inner{0, 0, 520, 400};
    LayoutChild narrow = Fixed(50, 10);
    EXPECT_EQ(Column({narrow}, 0, ChildAlignment::Center, inner).rects[0].left, 235);
    narrow.padding = {0, 0, 20, 0};
    EXPECT_EQ(Column({narrow}, 0, ChildAlignment::End, inner).rects[0], (UiRect{450, 0, 500, 10}));

    // No fixed width: the inner width minus padding, within min and max.
    LayoutChild wide = Fixed(0, 10);
    wide.padding = {30, 0, 40, 0};
    EXPECT_EQ(Column({wide}, 0, ChildAlignment::Start, inner).rects[0], (UiRect{30, 0, 480, 10}));
    wide.maxSize.cx = 100;
    EXPECT_EQ(Column({wide}, 0, ChildAlignment::Start, inner).rects[0].width(), 100);
    wide.padding = {300, 0, 300, 0};
    wide.minSize.cx = 7;
    EXPECT_EQ(Column({wide}, 0, ChildAlignment::Start, inner).rects[0].width(), 7);
}

TEST(VerticalLayout, EstimateSeesTheOfferedSize) {
    LayoutChild label;
    label.padding = {10, 0, 10, 0};
    UiSize offered{-1, -1};
    label.estimate = [&](UiSize available) {
        offered = available;
        return UiSize{0, 23};
    };
    EXPECT_EQ(Heights(Column({label, Stretching()})), (std::vector<int>{23, 77}));
    EXPECT_EQ(offered, (UiSize{180, 100}));
    // Paddings wider than the area never offer a negative width.
    label.padding = {150, 0, 150, 0};
    Column({label});
    EXPECT_EQ(offered.cx, 0);
}

TEST(HorizontalLayout, SpringsCentreAFixedChild) {
    const UiRect bar{0, 10, 300, 50};
    LayoutChild title = Fixed(100, 20);
    title.padding = {0, 5, 0, 0};
    const StackLayout layout =
        LayoutStack(LayoutDirection::Horizontal, bar, 0, ChildAlignment::Start,
                    {Stretching(), title, Stretching()});
    EXPECT_EQ(layout.rects[0], (UiRect{0, 10, 100, 50}));
    EXPECT_EQ(layout.rects[1], (UiRect{100, 15, 200, 35}));
    EXPECT_EQ(layout.rects[2], (UiRect{200, 10, 300, 50}));
    EXPECT_EQ(
        LayoutStack(LayoutDirection::Horizontal, bar, 0, ChildAlignment::End, {title}).rects[0],
        (UiRect{0, 30, 100, 50}));
}

TEST(HorizontalLayout, GapsAndLimitsAlongTheRow) {
    LayoutChild capped = Stretching();
    capped.maxSize.cx = 20;
    const StackLayout layout =
        LayoutStack(LayoutDirection::Horizontal, {0, 0, 100, 10}, 10, ChildAlignment::Start,
                    {capped, Stretching(), Fixed(30, 0)});
    EXPECT_EQ(layout.rects[0], (UiRect{0, 0, 20, 10}));
    EXPECT_EQ(layout.rects[1], (UiRect{30, 0, 60, 10}));
    EXPECT_EQ(layout.rects[2], (UiRect{70, 0, 100, 10}));
}

TEST(StackLayout, HostileSizesDoNotOverflow) {
    LayoutChild huge = Fixed(INT_MAX, INT_MAX);
    huge.maxSize = {INT_MAX, INT_MAX};
    huge.padding = {INT_MAX, INT_MAX, INT_MAX, INT_MAX};
    const StackLayout layout =
        LayoutStack(LayoutDirection::Vertical, {INT_MIN, 0, INT_MAX, 10}, INT_MAX,
                    ChildAlignment::Center, {huge, huge, Stretching()});
    ASSERT_EQ(layout.rects.size(), 3u);
    for (const UiRect& rect : layout.rects) {
        EXPECT_LE(rect.top, rect.bottom);
    }
}
