// Placement of the children of the two stacking containers. A child is fixed
// along the stacking axis when its size estimate there is not 0, otherwise it
// stretches and shares the free length; across the axis every child takes its
// fixed (else maximum) size within the inner area and is aligned. Where the
// fixed children do not fit, those that name a minimum below their size give
// way towards it (a panel on a low screen), the others keep theirs.
#pragma once

#include <functional>
#include <vector>

#include "ui/UiGeometry.h"

namespace Ui {

enum class LayoutDirection {
    Vertical,   // children stacked top to bottom
    Horizontal, // children side by side from the left
};

// Placement across the stacking axis: left/top, center/vcenter, right/bottom.
enum class ChildAlignment { Start, Center, End };

constexpr int kDefaultMaxExtent = 9999;

// One visible, non-floating child as the container sees it.
struct LayoutChild {
    UiSize fixed;   // 0 = not fixed
    UiSize minSize; // default 0: none; a fixed child gives way down to one it names
    UiSize maxSize{kDefaultMaxExtent, kDefaultMaxExtent};
    UiRect padding; // outer margins
    // The size the child asks for given the size on offer. Without one the
    // child asks for its fixed size.
    std::function<UiSize(UiSize available)> estimate;
};

struct StackLayout {
    std::vector<UiRect> rects; // one per child, in order
    // Length along the stacking axis taken by the children with their paddings
    // and the gaps between them (what a scroll range is measured against).
    int extent = 0;
};

StackLayout LayoutStack(LayoutDirection direction, const UiRect& inner, int childGap,
                        ChildAlignment alignment, const std::vector<LayoutChild>& children);

} // namespace Ui
