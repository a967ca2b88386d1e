// Geometry and position arithmetic of the vertical scroll bar: where its two
// end buttons, rail and thumb lie, how a position is rounded and limited, and
// how far a thumb drag scrolls.
#pragma once

#include "ui/UiGeometry.h"

namespace Ui {

struct ScrollBarGeometry {
    UiRect button1; // top end button (empty when hidden)
    UiRect button2; // bottom end button (empty when hidden)
    UiRect rail;    // between the buttons
    bool hasThumb = false;
    UiRect thumb;     // valid only with hasThumb
    UiRect railImage; // bar-wide square centred on the thumb's middle
};

// `bar` is the bar's rectangle, `range` and `position` its scroll state.
// Buttons are as high as the bar is wide. When the rail is longer than the bar
// is wide, the thumb is rail x height / (height + range) high, at least the
// bar's width, and moves along the rail with the position; with no range it
// fills the rail. Otherwise the buttons shrink to half the bar and there is no
// thumb.
ScrollBarGeometry VerticalScrollBarGeometry(const UiRect& bar, int range, int position,
                                            bool showButton1, bool showButton2);

// The position a bar takes when set: below 0 becomes 0; with a unit above 1 it
// is rounded to a multiple of the unit (a remainder of unit / 2 or more rounds
// up); then it is limited to the range. A negative range counts as 0.
int NormalizeScrollPosition(int position, int range, int unit);

// How far a thumb dragged by `mouseDelta` pixels scrolls: the delta scaled by
// range / (rail - thumb); 0 when the thumb fills the rail.
int ThumbDragOffset(int mouseDelta, int range, const ScrollBarGeometry& geometry);

enum class ScrollBarPart { None, Button1, Button2, Thumb, RailAbove, RailBelow };

// The part of the bar under a point (buttons only when shown).
ScrollBarPart HitTestScrollBar(const ScrollBarGeometry& geometry, UiPoint point);

// The scroll range of a container: how much its children's total length
// exceeds its inner length, 0 when they fit.
int ScrollRangeFor(int contentLength, int innerLength);

// One line step: the bar's line size when above 1, else the character height
// of the default font + 8.
int ScrollLineStep(int lineSize, int charHeight);

} // namespace Ui
