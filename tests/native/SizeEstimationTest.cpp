// What labels and buttons ask their container for.
#include <gtest/gtest.h>

#include "ui/SizeEstimation.h"

using namespace Ui;

namespace {
// A text 120 pixels long on one line, wrapping into 20-pixel lines.
LabelTextMetrics Text(bool multiline, int* lastWrap) {
    LabelTextMetrics text;
    text.charHeight = 17;
    text.multiline = multiline;
    text.measure = [lastWrap](int wrapWidth) {
        *lastWrap = wrapWidth;
        if (wrapWidth < 0) {
            return UiSize{120, 20};
        }
        return UiSize{wrapWidth, wrapWidth > 0 ? (120 + wrapWidth - 1) / wrapWidth * 20 : 2400};
    };
    return text;
}
} // namespace

TEST(LabelSize, SingleLineFillsOnlyMissingSides) {
    int wrap = 0;
    EXPECT_EQ(EstimateLabelSize({0, 0}, {500, 500}, {3, 4, 5, 6}, Text(false, &wrap)),
              (UiSize{3 + 5 + 120, 4 + 6 + 17 + 8}));
    EXPECT_EQ(wrap, -1);
    EXPECT_EQ(EstimateLabelSize({60, 0}, {500, 500}, {}, Text(false, &wrap)), (UiSize{60, 25}));
    EXPECT_EQ(EstimateLabelSize({0, 40}, {500, 500}, {}, Text(false, &wrap)), (UiSize{120, 40}));
}

TEST(LabelSize, MultiLineWrapsInsideThePadding) {
    int wrap = 0;
    EXPECT_EQ(EstimateLabelSize({0, 0}, {70, 500}, {5, 1, 5, 2}, Text(true, &wrap)),
              (UiSize{70, 2 * 20 + 3}));
    EXPECT_EQ(wrap, 60);
    // Padding wider than the label wraps at 0, not at a negative width.
    EstimateLabelSize({10, 0}, {500, 500}, {20, 0, 20, 0}, Text(true, &wrap));
    EXPECT_EQ(wrap, 0);
}

TEST(ButtonSize, FontHeightUnlessFixed) {
    EXPECT_EQ(EstimateButtonSize({45, 0}, 20), (UiSize{45, 28}));
    EXPECT_EQ(EstimateButtonSize({45, 30}, 20), (UiSize{45, 30}));
}
