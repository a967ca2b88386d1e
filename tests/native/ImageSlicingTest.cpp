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

// Counts the pixels of `area` that the copies cover, failing on overlaps and
// on pixels outside the area.
int CoveredPixels(const std::vector<UiRect>& dests, const UiRect& area) {
    std::vector<int> hits(static_cast<size_t>(area.width() * area.height()), 0);
    int covered = 0;
    for (const UiRect& d : dests) {
        for (int y = d.top; y < d.bottom; ++y) {
            for (int x = d.left; x < d.right; ++x) {
                if (!area.contains({x, y})) {
                    ADD_FAILURE() << "outside at " << x << "," << y;
                    continue;
                }
                int& hit = hits[static_cast<size_t>((y - area.top) * area.width() + x - area.left)];
                EXPECT_EQ(++hit, 1) << "overlap at " << x << "," << y;
                covered += hit == 1;
            }
        }
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

TEST(ImageRects, DestOffsetFromControlAndClipped) {
    const UiRect control{100, 50, 200, 90};
    ImageDescription d;
    EXPECT_EQ(ImageDestRect(control, d), control);
    d.hasDest = true;
    d.dest = {90, -10, 150, 20};
    EXPECT_EQ(ImageDestRect(control, d), (UiRect{190, 50, 200, 70}));
    d.dest = {200, 0, 300, 10};
    EXPECT_TRUE(ImageDestRect(control, d).empty());
}

TEST(ImageRects, SourceDefaultsToWholeImageAndIsClipped) {
    ImageDescription d;
    EXPECT_EQ(ImageSourceRect(d, 64, 32), (UiRect{0, 0, 64, 32}));
    d.hasSource = true;
    d.source = {478, -5, 523, 45};
    EXPECT_EQ(ImageSourceRect(d, 500, 40), (UiRect{478, 0, 500, 40}));
}

TEST(SliceImage, CornersKeepTheirSizeAndPiecesCoverTheDestination) {
    const UiRect dest{10, 20, 110, 80};
    const auto pieces = SliceImage(dest, {0, 0, 30, 30}, WithCorner({4, 5, 6, 7}));
    ASSERT_EQ(pieces.size(), 9u);
    EXPECT_EQ(CoveredPixels(Dests(pieces), dest), 100 * 60);
    EXPECT_EQ(pieces[0].source, (UiRect{0, 0, 4, 5}));
    EXPECT_EQ(pieces[0].dest, (UiRect{10, 20, 14, 25}));
    EXPECT_EQ(pieces[8].source, (UiRect{24, 23, 30, 30}));
    EXPECT_EQ(pieces[8].dest, (UiRect{104, 73, 110, 80}));
    // The top edge keeps its height and stretches across.
    EXPECT_EQ(pieces[1].source, (UiRect{4, 0, 24, 5}));
    EXPECT_EQ(pieces[1].dest, (UiRect{14, 20, 104, 25}));
}

TEST(SliceImage, OversizedCornersNeitherOverlapNorLeaveGaps) {
    // Corners wider than the destination and the source, and negative ones.
    const UiRect dest{0, 0, 10, 6};
    const auto pieces = SliceImage(dest, {0, 0, 8, 40}, WithCorner({7, -3, 9, 100}));
    EXPECT_EQ(CoveredPixels(Dests(pieces), dest), 10 * 6);
    for (const ImagePiece& piece : pieces) {
        EXPECT_GE(piece.source.left, 0);
        EXPECT_LE(piece.source.right, 8);
    }
}

TEST(SliceImage, HoleAndTilingFlags) {
    ImageDescription d = WithCorner({2, 2, 2, 2});
    d.xtiled = true;
    auto pieces = SliceImage({0, 0, 20, 20}, {0, 0, 8, 8}, d);
    ASSERT_EQ(pieces.size(), 9u);
    EXPECT_TRUE(pieces[1].tileX);  // the top edge runs across
    EXPECT_FALSE(pieces[3].tileX); // the left edge runs down
    EXPECT_TRUE(pieces[4].tileX && !pieces[4].tileY);

    d.hole = true;
    pieces = SliceImage({0, 0, 20, 20}, {0, 0, 8, 8}, d);
    EXPECT_EQ(CoveredPixels(Dests(pieces), {0, 0, 20, 20}), 20 * 20 - 16 * 16);
}

TEST(ForEachTile, RepeatsAtNaturalSizeAndCutsTheLastTile) {
    ImagePiece piece;
    piece.source = {5, 5, 15, 13}; // 10 x 8
    piece.dest = {0, 0, 25, 20};
    piece.tileX = piece.tileY = true;
    std::vector<UiRect> dests;
    UiRect lastSource;
    ForEachTile(piece, piece.dest, [&](const UiRect& s, const UiRect& d) {
        EXPECT_EQ(s.width(), d.width());
        EXPECT_EQ(s.height(), d.height());
        dests.push_back(d);
        lastSource = s;
    });
    EXPECT_EQ(dests.size(), 9u);
    EXPECT_EQ(CoveredPixels(dests, piece.dest), 25 * 20);
    EXPECT_EQ(lastSource, (UiRect{5, 5, 10, 9}));
}

TEST(ForEachTile, OnlyVisibleTilesAreCopied) {
    ImagePiece piece;
    piece.source = {0, 0, 1, 1};
    piece.dest = {0, 0, 100000, 100000};
    piece.tileX = piece.tileY = true;
    std::vector<UiRect> dests;
    ForEachTile(piece, {500, 700, 503, 702},
                [&](const UiRect&, const UiRect& d) { dests.push_back(d); });
    ASSERT_EQ(dests.size(), 6u);
    EXPECT_EQ(dests.front(), (UiRect{500, 700, 501, 701}));

    piece.tileX = false; // stretched across, tiled down
    dests.clear();
    ForEachTile(piece, {500, 700, 503, 702},
                [&](const UiRect&, const UiRect& d) { dests.push_back(d); });
    ASSERT_EQ(dests.size(), 2u);
    EXPECT_EQ(dests.front(), (UiRect{0, 700, 100000, 701}));
}
