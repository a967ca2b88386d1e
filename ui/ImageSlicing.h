// Where the parts of an image description land: the destination inside a
// control, the source part of the image, and the pieces of a drawing with
// fixed corners, stretched or tiled edges and a stretched, tiled or omitted
// middle. The Windows renderer copies each piece; nothing here draws.
#pragma once

#include <functional>
#include <vector>

#include "ui/ImageDescription.h"
#include "ui/UiGeometry.h"

namespace Ui {

// One copy from the image to the device. A tiled piece repeats its source at
// its natural size along the marked axes (the last repeat cut off at the
// destination's edge); otherwise the source is stretched over the destination.
struct ImagePiece {
    UiRect source;
    UiRect dest;
    bool tileX = false;
    bool tileY = false;
};

// The control's rectangle, or "dest" moved by the control's top-left corner
// and clipped to the control. The result may be empty.
UiRect ImageDestRect(const UiRect& control, const ImageDescription& description);

// "source" clipped to the image, or the whole image without one.
UiRect ImageSourceRect(const ImageDescription& description, int imageWidth, int imageHeight);

// The pieces that draw `source` into `dest`. Corner widths are limited so that
// opposite corners never overlap in the source or the destination; empty
// pieces are left out. The top and bottom edges tile with "xtiled", the left
// and right edges with "ytiled", the middle with both; "hole" drops the middle.
std::vector<ImagePiece> SliceImage(const UiRect& dest, const UiRect& source,
                                   const ImageDescription& description);

// Calls `copy` (source, destination) for each repeat of a piece, or once for a
// stretched one, skipping repeats that fall wholly outside `clip`.
void ForEachTile(const ImagePiece& piece, const UiRect& clip,
                 const std::function<void(const UiRect& source, const UiRect& dest)>& copy);

} // namespace Ui
