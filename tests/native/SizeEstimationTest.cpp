// What labels and buttons ask their container for.
#include <gtest/gtest.h>

#include "ui/SizeEstimation.h"

using namespace Ui;

namespace {
LabelTextMetrics Text(int charHeight, bool multiline, int* lastWrap = nullptr) {
    LabelTextMetrics text;
    text.charHeight = charHeight;
    text.multiline = multiline;
    // A text of 120 pixels on one line that wraps into 20-pixel lines.
    text.measure = [lastWrap](int wrapWidth) {
        if (lastWrap != nullptr) {
            *lastWrap = wrapWidth;
        }
        if (wrapWidth < 0) {
            return UiSize{120, 20};
        }
        const int lines = wrapWidth > 0 ? (120 + wrapWidth - 1) / wrapWidth : 120;
        return UiSize{wrapWidth, lines * 20};
    };
    return text;
}
} // namespace

TEST(LabelSize, SingleLineFillsMissingSides) {
    const UiRect padding{3, 4, 5, 6};
    EXPECT_EQ(EstimateLabelSize({0, 0}, {500, 500}, padding, Text(17, false)),
              (UiSize{3 + 5 + 120, 4 + 6 + 17 + 8}));
    EXPECT_EQ(EstimateLabelSize({60, 0}, {500, 500}, {}, Text(17, false)), (UiSize{60, 25}));
    EXPECT_EQ(EstimateLabelSize({0, 40}, {500, 500}, {}, Text(17, false)), (UiSize{120, 40}));
    EXPECT_EQ(EstimateLabelSize({70, 40}, {500, 500}, {}, Text(17, false)), (UiSize{70, 40}));
}

TEST(LabelSize, MultiLineWrapsToTheWidthInsideThePadding) {
    int wrap = 0;
    EXPECT_EQ(EstimateLabelSize({0, 0}, {70, 500}, {5, 1, 5, 2}, Text(17, true, &wrap)),
              (UiSize{70, 2 * 20 + 3}));
    EXPECT_EQ(wrap, 60);
    EXPECT_EQ(EstimateLabelSize({40, 0}, {500, 500}, {}, Text(17, true, &wrap)),
              (UiSize{40, 3 * 20}));
    EXPECT_EQ(wrap, 40);
    // Padding wider than the label wraps at 0 rather than a negative width.
    EstimateLabelSize({10, 0}, {500, 500}, {20, 0, 20, 0}, Text(17, true, &wrap));
    EXPECT_EQ(wrap, 0);
}

TEST(ButtonSize, FontHeightUnlessFixed) {
    EXPECT_EQ(EstimateButtonSize({0, 0}, 20), (UiSize{0, 28}));
    EXPECT_EQ(EstimateButtonSize({45, 0}, 20), (UiSize{45, 28}));
    EXPECT_EQ(EstimateButtonSize({45, 30}, 20), (UiSize{45, 30}));
}
