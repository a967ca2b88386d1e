#include "ui/ImageSlicing.h"

#include <algorithm>
#include <cstdint>

namespace Ui {

namespace {

int ClampInt(int64_t value, int low, int high) {
    return static_cast<int>(std::min<int64_t>(std::max<int64_t>(value, low), high));
}

// Widths of the two borders along one axis, so that together they fit both
// the source and the destination extent; the far border gives way first.
// While the destination has room for a middle, the source keeps at least one
// pixel for it, or that part of the destination would stay unpainted.
void FitBorders(int& nearSide, int& farSide, int sourceLength, int destLength) {
    const int room = std::max(0, std::min(sourceLength, destLength));
    nearSide = ClampInt(nearSide, 0, room);
    farSide = ClampInt(farSide, 0, room - nearSide);
    if (nearSide + farSide < destLength && nearSide + farSide >= sourceLength && sourceLength > 0) {
        if (farSide > 0) {
            --farSide;
        } else {
            --nearSide;
        }
    }
}

// Three spans along one axis: near border, middle, far border.
struct Spans {
    int edges[4];
};

Spans MakeSpans(int start, int end, int nearSide, int farSide) {
    return Spans{{start, start + nearSide, end - farSide, end}};
}

} // namespace

UiRect ImageDestRect(const UiRect& control, const ImageDescription& description) {
    if (!description.hasDest) {
        return control;
    }
    UiRect moved;
    moved.left =
        ClampInt(static_cast<int64_t>(control.left) + description.dest.left, INT32_MIN, INT32_MAX);
    moved.top =
        ClampInt(static_cast<int64_t>(control.top) + description.dest.top, INT32_MIN, INT32_MAX);
    moved.right =
        ClampInt(static_cast<int64_t>(control.left) + description.dest.right, INT32_MIN, INT32_MAX);
    moved.bottom =
        ClampInt(static_cast<int64_t>(control.top) + description.dest.bottom, INT32_MIN, INT32_MAX);
    return IntersectRect(moved, control);
}

UiRect ImageSourceRect(const ImageDescription& description, int imageWidth, int imageHeight) {
    const UiRect whole{0, 0, std::max(0, imageWidth), std::max(0, imageHeight)};
    if (!description.hasSource) {
        return whole;
    }
    return IntersectRect(description.source, whole);
}

std::vector<ImagePiece> SliceImage(const UiRect& dest, const UiRect& source,
                                   const ImageDescription& description) {
    std::vector<ImagePiece> pieces;
    if (dest.empty() || source.empty()) {
        return pieces;
    }
    int left = description.corner.left;
    int right = description.corner.right;
    int top = description.corner.top;
    int bottom = description.corner.bottom;
    FitBorders(left, right, source.width(), dest.width());
    FitBorders(top, bottom, source.height(), dest.height());

    const Spans srcX = MakeSpans(source.left, source.right, left, right);
    const Spans srcY = MakeSpans(source.top, source.bottom, top, bottom);
    const Spans dstX = MakeSpans(dest.left, dest.right, left, right);
    const Spans dstY = MakeSpans(dest.top, dest.bottom, top, bottom);

    // Rows and columns 0 and 2 are borders, 1 the middle; the middle column
    // stretches horizontally and the middle row vertically.
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            if (row == 1 && column == 1 && description.hole) {
                continue;
            }
            ImagePiece piece;
            piece.source = {srcX.edges[column], srcY.edges[row], srcX.edges[column + 1],
                            srcY.edges[row + 1]};
            piece.dest = {dstX.edges[column], dstY.edges[row], dstX.edges[column + 1],
                          dstY.edges[row + 1]};
            if (piece.source.empty() || piece.dest.empty()) {
                continue;
            }
            piece.tileX = column == 1 && description.xtiled;
            piece.tileY = row == 1 && description.ytiled;
            pieces.push_back(piece);
        }
    }
    return pieces;
}

void ForEachTile(const ImagePiece& piece, const UiRect& clip,
                 const std::function<void(const UiRect& source, const UiRect& dest)>& copy) {
    const UiRect visible = IntersectRect(piece.dest, clip);
    if (visible.empty() || piece.source.empty()) {
        return;
    }
    if (!piece.tileX && !piece.tileY) {
        copy(piece.source, piece.dest);
        return;
    }
    const int stepX = piece.tileX ? piece.source.width() : piece.dest.width();
    const int stepY = piece.tileY ? piece.source.height() : piece.dest.height();
    // Start at the first repeat that reaches into the visible part, so a long
    // tiled run costs only what is painted.
    const int64_t firstX =
        piece.dest.left + (static_cast<int64_t>(visible.left) - piece.dest.left) / stepX * stepX;
    const int64_t firstY =
        piece.dest.top + (static_cast<int64_t>(visible.top) - piece.dest.top) / stepY * stepY;
    for (int64_t y = firstY; y < visible.bottom; y += stepY) {
        const int64_t tileBottom = std::min<int64_t>(y + stepY, piece.dest.bottom);
        for (int64_t x = firstX; x < visible.right; x += stepX) {
            const int64_t tileRight = std::min<int64_t>(x + stepX, piece.dest.right);
            UiRect dest{static_cast<int>(x), static_cast<int>(y), static_cast<int>(tileRight),
                        static_cast<int>(tileBottom)};
            UiRect source = piece.source;
            if (piece.tileX) {
                source.right = source.left + dest.width();
            }
            if (piece.tileY) {
                source.bottom = source.top + dest.height();
            }
            copy(source, dest);
        }
    }
}

} // namespace Ui
