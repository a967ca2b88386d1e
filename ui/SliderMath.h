// Slider arithmetic: where the thumb is drawn for a value, and which value a
// mouse point or a wheel step gives.
#pragma once

#include "ui/UiGeometry.h"

namespace Ui {

// The thumb's rectangle. Horizontal: left = control left + (value - min) x
// (control width - thumb width) / (max - min), vertically centred. Vertical
// sliders grow upwards: the minimum sits at the bottom, horizontally centred.
// The value is limited to the range first; an empty range (max <= min) puts
// the thumb at the minimum's end.
UiRect SliderThumbRect(const UiRect& control, const UiSize& thumb, int minimum, int maximum,
                       int value, bool horizontal);

// The value under a mouse point. Horizontal, with L and R the control's edges
// and T the thumb width: at or beyond R - T/2 the maximum, beyond L + T/2
// min + (max - min) x (x - T/2 - L) / (R - L - T), otherwise the minimum.
// Vertical sliders read the same way from the bottom edge upwards.
int SliderValueFromPoint(const UiRect& control, const UiSize& thumb, int minimum, int maximum,
                         UiPoint point, bool horizontal);

// One wheel step: `step` added when turned away from the user, subtracted when
// turned towards the user, limited to the range.
int SliderWheelValue(int value, int step, int minimum, int maximum, bool awayFromUser);

// The value on a step grid (minimum + k x step) nearest to `value`, never
// beyond the range: a device that moves in steps refuses the values between
// them. A step of 1 or less leaves the value as it is.
int SliderSnapToStep(int value, int step, int minimum, int maximum);

} // namespace Ui
