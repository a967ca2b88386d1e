// Where the drop-down window of a drop-down list opens, in screen coordinates.
#pragma once

#include "ui/UiGeometry.h"

namespace Ui {

// The window lies directly below `control`: as wide as the control, or as
// `dropBoxSize.cx` when that is above 0; as high as `entriesHeight` + 4, but
// at most `dropBoxSize.cy` when that is above 0. When its bottom would pass
// `workAreaBottom` it opens above the control instead, with the same size.
UiRect DropDownWindowRect(const UiRect& control, const UiSize& dropBoxSize, int entriesHeight,
                          int workAreaBottom);

} // namespace Ui
