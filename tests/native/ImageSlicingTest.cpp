// Cutting an image description's drawing into pieces: destination and source
// rectangles, nine-part corners, tiling and clipping.
#include <vector>

#include <gtest/gtest.h>

#include "ui/ImageSlicing.h"

using namespace Ui;

namespace {

ImageDescription WithCorner(UiRect corner) {
    ImageDescription d;
    d.corner = corner;
    return d;
}

// Marks every destination pixel of the copies and fails on overlaps; returns
// how many pixels of `area` were covered.
int CoveredPixels(const std::vector<UiRect>& dests, const UiRect& area) {
    std::vector<int> hits(static_cast<size_t>(area.width() * area.height()), 0);
    for (const UiRect& d : dests) {
        for (int y = d.top; y < d.bottom; ++y) {
            for (int x = d.left; x < d.right; ++x) {
                EXPECT_TRUE(area.contains({x, y}));
                if (area.contains({x, y})) {
                    EXPECT_EQ(++hits[static_cast<size_t>((y - area.top) * area.width() +
                                                         (x - area.left))],
                              1);
                }
            }
        }
    }
    int covered = 0;
    for (int hit : hits) {
        covered += hit > 0;
    }
    return covered;
}

std::vector<UiRect> Dests(const std::vector<ImagePiece>& pieces) {
    std::vector<UiRect> dests;
    for (const ImagePiece& piece : pieces) {
        dests.push_back(piece.dest);
    }
    return dests;
}

} // namespace

TEST(ImageDestRect, OffsetFromControlAndClipped) {
    const UiRect control{100, 50, 200, 90};
    ImageDescription d;
    EXPECT_EQ(ImageDestRect(control, d), control);
    d.hasDest = true;
    d.dest = {10, 5, 30, 25};
    EXPECT_EQ(ImageDestRect(control, d), (UiRect{110, 55, 130, 75}));
    d.dest = {90, -10, 150, 20};
    EXPECT_EQ(ImageDestRect(control, d), (UiRect{190, 50, 200, 70}));
    d.dest = {200, 0, 300, 10};
    EXPECT_TRUE(ImageDestRect(control, d).empty());
}

TEST(ImageSourceRect, DefaultsToWholeImageAndClips) {
    ImageDescription d;
    EXPECT_EQ(ImageSourceRect(d, 64, 32), (UiRect{0, 0, 64, 32}));
    d.hasSource = true;
    d.source = {478, 0, 523, 45};
    EXPECT_EQ(ImageSourceRect(d, 500, 40), (UiRect{478, 0, 500, 40}));
    d.source = {-5, -5, 10, 10};
    EXPECT_EQ(ImageSourceRect(d, 64, 32), (UiRect{0, 0, 10, 10}));
    d.source = {600, 0, 700, 10};
    EXPECT_TRUE(ImageSourceRect(d, 500, 40).empty());
}

TEST(SliceImage, WithoutCornersStretchesTheWholeSource) {
    const auto pieces = SliceImage({0, 0, 100, 30}, {10, 0, 20, 10}, ImageDescription{});
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].source, (UiRect{10, 0, 20, 10}));
    EXPECT_EQ(pieces[0].dest, (UiRect{0, 0, 100, 30}));
    EXPECT_FALSE(pieces[0].tileX || pieces[0].tileY);
}

TEST(SliceImage, CornersKeepTheirSizeAndPiecesCoverTheDestination) {
    const UiRect dest{10, 20, 110, 80};
    const UiRect source{0, 0, 30, 30};
    const auto pieces = SliceImage(dest, source, WithCorner({4, 5, 6, 7}));
    ASSERT_EQ(pieces.size(), 9u);
    EXPECT_EQ(CoveredPixels(Dests(pieces), dest), dest.width() * dest.height());
    // Top-left and bottom-right corners are copied one to one.
    EXPECT_EQ(pieces[0].source, (UiRect{0, 0, 4, 5}));
    EXPECT_EQ(pieces[0].dest, (UiRect{10, 20, 14, 25}));
    EXPECT_EQ(pieces[8].source, (UiRect{24, 23, 30, 30}));
    EXPECT_EQ(pieces[8].dest, (UiRect{104, 73, 110, 80}));
    // The top edge keeps its height and stretches across.
    EXPECT_EQ(pieces[1].source, (UiRect{4, 0, 24, 5}));
    EXPECT_EQ(pieces[1].dest, (UiRect{14, 20, 104, 25}));
    // The middle takes what is left.
    EXPECT_EQ(pieces[4].source, (UiRect{4, 5, 24, 23}));
    EXPECT_EQ(pieces[4].dest, (UiRect{14, 25, 104, 73}));
}

TEST(SliceImage, HoleLeavesOutOnlyTheMiddle) {
    ImageDescription d = WithCorner({2, 2, 2, 2});
    d.hole = true;
    const UiRect dest{0, 0, 20, 20};
    const auto pieces = SliceImage(dest, {0, 0, 8, 8}, d);
    EXPECT_EQ(pieces.size(), 8u);
    EXPECT_EQ(CoveredPixels(Dests(pieces), dest), 20 * 20 - 16 * 16);
}

TEST(SliceImage, OversizedCornersNeverOverlap) {
    // Corners wider than the destination and the source, and negative ones.
    const UiRect dest{0, 0, 10, 6};
    const auto pieces = SliceImage(dest, {0, 0, 8, 40}, WithCorner({7, -3, 9, 100}));
    EXPECT_EQ(CoveredPixels(Dests(pieces), dest), 10 * 6);
    for (const ImagePiece& piece : pieces) {
        EXPECT_FALSE(piece.source.empty());
        EXPECT_GE(piece.source.left, 0);
        EXPECT_LE(piece.source.right, 8);
    }
}

TEST(SliceImage, TilingFlagsFollowTheAxisOfEachPart) {
    ImageDescription d = WithCorner({2, 2, 2, 2});
    d.xtiled = true;
    const auto pieces = SliceImage({0, 0, 50, 50}, {0, 0, 10, 10}, d);
    ASSERT_EQ(pieces.size(), 9u);
    EXPECT_TRUE(pieces[1].tileX);  // top edge runs horizontally
    EXPECT_FALSE(pieces[3].tileX); // left edge runs vertically
    EXPECT_TRUE(pieces[4].tileX && !pieces[4].tileY);
    EXPECT_TRUE(SliceImage({0, 0, 0, 10}, {0, 0, 10, 10}, d).empty());
}

TEST(ForEachTile, RepeatsAtNaturalSizeAndCutsTheLastTile) {
    ImagePiece piece;
    piece.source = {5, 5, 15, 13}; // 10 x 8
    piece.dest = {0, 0, 25, 20};
    piece.tileX = true;
    piece.tileY = true;
    std::vector<UiRect> dests;
    std::vector<UiRect> sources;
    ForEachTile(piece, piece.dest, [&](const UiRect& s, const UiRect& d) {
        sources.push_back(s);
        dests.push_back(d);
        EXPECT_EQ(s.width(), d.width());
        EXPECT_EQ(s.height(), d.height());
    });
    ASSERT_EQ(dests.size(), 9u);
    EXPECT_EQ(CoveredPixels(dests, piece.dest), 25 * 20);
    EXPECT_EQ(sources.back(), (UiRect{5, 5, 10, 9}));
}

TEST(ForEachTile, OneAxisTilesAndTheOtherStretches) {
    ImagePiece piece;
    piece.source = {0, 0, 4, 3};
    piece.dest = {0, 0, 10, 30};
    piece.tileY = true;
    int calls = 0;
    ForEachTile(piece, piece.dest, [&](const UiRect& s, const UiRect& d) {
        ++calls;
        EXPECT_EQ(s.width(), 4);
        EXPECT_EQ(d.width(), 10);
        EXPECT_EQ(s.height(), d.height());
    });
    EXPECT_EQ(calls, 10);
}

TEST(ForEachTile, SkipsTilesOutsideTheClip) {
    ImagePiece piece;
    piece.source = {0, 0, 1, 1};
    piece.dest = {0, 0, 100000, 100000};
    piece.tileX = piece.tileY = true;
    std::vector<UiRect> dests;
    ForEachTile(piece, {500, 700, 503, 702},
                [&](const UiRect&, const UiRect& d) { dests.push_back(d); });
    ASSERT_EQ(dests.size(), 6u);
    EXPECT_EQ(dests.front(), (UiRect{500, 700, 501, 701}));

    int stretched = 0;
    piece.tileX = piece.tileY = false;
    ForEachTile(piece, {500, 700, 503, 702}, [&](const UiRect&, const UiRect&) { ++stretched; });
    ForEachTile(piece, {-10, -10, -1, -1}, [&](const UiRect&, const UiRect&) { ++stretched; });
    EXPECT_EQ(stretched, 1);
}
