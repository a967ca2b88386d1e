// Placement of the preview window inside the preview control.
#include <gtest/gtest.h>

#include "preview/PreviewFit.h"

static bool operator==(const PreviewPlacement& a, const PreviewPlacement& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}
static ::std::ostream& operator<<(::std::ostream& out, const PreviewPlacement& p) {
    return out << p.x << "," << p.y << " " << p.width << "x" << p.height;
}

TEST(FitPreview, TallControlGetsFullWidthAndEqualStripsAboveAndBelow) {
    // Inside 2-pixel borders: 644 x 604 available for a 16:9 picture.
    PreviewPlacement p = FitPreviewRect(100, 50, 748, 658, 1280, 720);
    EXPECT_EQ(p.width, 644);
    EXPECT_EQ(p.height, 362);
    EXPECT_EQ(p.x, 102);
    EXPECT_EQ(p.y, 52 + (604 - 362) / 2);
}

TEST(FitPreview, WideControlGetsFullHeightAndStripsLeftAndRight) {
    PreviewPlacement p = FitPreviewRect(0, 0, 1004, 484, 640, 480);
    EXPECT_EQ(p, (PreviewPlacement{2 + (1000 - 640) / 2, 2, 640, 480}));
}

TEST(FitPreview, InitialFrameSizeGivesAThreeToTwoPicture) {
    PreviewPlacement p = FitPreviewRect(10, 10, 914, 914, 1080, 720);
    EXPECT_EQ(p.width, 900);
    EXPECT_EQ(p.height, 600);
    EXPECT_EQ(p.x, 12);
    EXPECT_EQ(p.y, 12 + 150);
}

TEST(FitPreview, StaysInsideTheBorderForAwkwardRatios) {
    for (int w = 5; w < 400; w += 37) {
        for (int h = 5; h < 300; h += 29) {
            PreviewPlacement p = FitPreviewRect(3, 7, 3 + w, 7 + h, 1919, 1079);
            ASSERT_GE(p.x, 5);
            ASSERT_GE(p.y, 9);
            ASSERT_LE(p.x + p.width, 3 + w - 2) << w << "x" << h;
            ASSERT_LE(p.y + p.height, 7 + h - 2) << w << "x" << h;
            // One side fills the available space (within the float's truncation).
            ASSERT_TRUE(p.width >= w - 5 || p.height >= h - 5) << w << "x" << h;
        }
    }
}

TEST(FitPreview, DegenerateControlsAndFramesGiveAnEmptyPlacement) {
    // A control smaller than its border, and pictures without a size.
    EXPECT_EQ(FitPreviewRect(10, 10, 13, 100, 640, 480), (PreviewPlacement{12, 12, 0, 0}));
    EXPECT_EQ(FitPreviewRect(10, 10, 100, 10, 640, 480), (PreviewPlacement{12, 12, 0, 0}));
    EXPECT_EQ(FitPreviewRect(0, 0, 100, 100, 0, 480), (PreviewPlacement{2, 2, 0, 0}));
    EXPECT_EQ(FitPreviewRect(0, 0, 100, 100, 640, -1), (PreviewPlacement{2, 2, 0, 0}));
}
