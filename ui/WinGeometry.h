// Conversions between the framework's plain geometry and the Win32 types.
#pragma once

#include <windows.h>

#include "ui/LayoutMath.h"
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

// DrawText's alignment flags and the framework's placements.
inline ChildAlignment HorizontalAlignOf(UINT style) {
    return (style & DT_RIGHT) != 0    ? ChildAlignment::End
           : (style & DT_CENTER) != 0 ? ChildAlignment::Center
                                      : ChildAlignment::Start;
}
inline ChildAlignment VerticalAlignOf(UINT style) {
    return (style & DT_BOTTOM) != 0    ? ChildAlignment::End
           : (style & DT_VCENTER) != 0 ? ChildAlignment::Center
                                       : ChildAlignment::Start;
}
inline UINT WithHorizontalAlign(UINT style, ChildAlignment align) {
    const UINT flag = align == ChildAlignment::End      ? DT_RIGHT
                      : align == ChildAlignment::Center ? DT_CENTER
                                                        : DT_LEFT;
    return (style & ~static_cast<UINT>(DT_LEFT | DT_CENTER | DT_RIGHT)) | flag;
}
inline UINT WithVerticalAlign(UINT style, ChildAlignment align) {
    const UINT flag = align == ChildAlignment::End      ? DT_BOTTOM
                      : align == ChildAlignment::Center ? DT_VCENTER
                                                        : DT_TOP;
    return (style & ~static_cast<UINT>(DT_TOP | DT_VCENTER | DT_BOTTOM)) | flag;
}

} // namespace Ui
