// Conversions between the framework's plain geometry and the Win32 types.
#pragma once

#include <windows.h>

#include "ui/UiGeometry.h"

namespace Ui {

inline RECT ToRECT(const UiRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}
inline UiRect ToUiRect(const RECT& r) {
    return UiRect{r.left, r.top, r.right, r.bottom};
}
inline SIZE ToSIZE(const UiSize& s) {
    return SIZE{s.cx, s.cy};
}
inline UiSize ToUiSize(const SIZE& s) {
    return UiSize{s.cx, s.cy};
}

} // namespace Ui
