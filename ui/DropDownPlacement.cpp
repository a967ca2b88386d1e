#include "ui/DropDownPlacement.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace Ui {

namespace {

int ToInt(int64_t value) {
    return static_cast<int>(std::min<int64_t>(std::max<int64_t>(value, INT_MIN), INT_MAX));
}

// Room around the entries: the list's 1-pixel inset and 1-pixel border.
constexpr int64_t kFrameHeight = 4;

} // namespace

UiRect DropDownWindowRect(const UiRect& control, const UiSize& dropBoxSize, int entriesHeight,
                          int workAreaBottom) {
    const int64_t width = dropBoxSize.cx > 0 ? dropBoxSize.cx : std::max(0, control.width());
    int64_t height = std::max<int64_t>(0, static_cast<int64_t>(entriesHeight) + kFrameHeight);
    // A drop box height of 0 (not set) would give a window nobody can see, so
    // only a positive height limits the window.
    if (dropBoxSize.cy > 0) {
        height = std::min<int64_t>(height, dropBoxSize.cy);
    }
    int64_t top = control.bottom;
    if (top + height > workAreaBottom) {
        top = static_cast<int64_t>(control.top) - height;
    }
    return UiRect{control.left, ToInt(top), ToInt(static_cast<int64_t>(control.left) + width),
                  ToInt(top + height)};
}

} // namespace Ui
