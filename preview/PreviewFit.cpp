#include "preview/PreviewFit.h"

#include <algorithm>

namespace {
constexpr int kBorder = 2;
}

PreviewPlacement FitPreviewRect(int left, int top, int right, int bottom, int frameWidth,
                                int frameHeight) {
    PreviewPlacement placement;
    placement.x = left + kBorder;
    placement.y = top + kBorder;
    const int availableWidth = right - left - 2 * kBorder;
    const int availableHeight = bottom - top - 2 * kBorder;
    if (availableWidth <= 0 || availableHeight <= 0 || frameWidth <= 0 || frameHeight <= 0) {
        return placement;
    }
    // Single precision, as the placement has always been computed.
    const float scale =
        std::min(static_cast<float>(availableHeight) / static_cast<float>(frameHeight),
                 static_cast<float>(availableWidth) / static_cast<float>(frameWidth));
    // Rounding in float can overshoot by one pixel; the window never leaves the border.
    placement.width =
        std::min(static_cast<int>(static_cast<float>(frameWidth) * scale), availableWidth);
    placement.height =
        std::min(static_cast<int>(static_cast<float>(frameHeight) * scale), availableHeight);
    placement.x += (availableWidth - placement.width) / 2;
    placement.y += (availableHeight - placement.height) / 2;
    return placement;
}
