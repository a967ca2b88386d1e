#include "ui/SliderMath.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace Ui {

namespace {

int ToInt(int64_t value) {
    return static_cast<int>(std::min<int64_t>(std::max<int64_t>(value, INT_MIN), INT_MAX));
}

// Offset of the thumb along a track of `travel` pixels for a value in the
// range, in integer arithmetic; 0 for an empty range, which would otherwise
// divide by zero.
int64_t TrackOffset(int64_t travel, int minimum, int maximum, int value) {
    const int64_t span = static_cast<int64_t>(maximum) - minimum;
    if (span <= 0) {
        return 0;
    }
    const int64_t clamped = std::min<int64_t>(std::max(value, minimum), maximum);
    return (clamped - minimum) * travel / span;
}

// The value for a coordinate measured from the minimum's edge of a track of
// `length` pixels with a thumb of `thumb` pixels.
int ValueAlongTrack(int64_t offset, int64_t length, int64_t thumb, int minimum, int maximum) {
    const int64_t span = static_cast<int64_t>(maximum) - minimum;
    if (span <= 0) {
        return minimum;
    }
    if (offset >= length - thumb / 2) {
        return maximum;
    }
    const int64_t travel = length - thumb;
    if (offset > thumb / 2 && travel > 0) {
        // Odd or hostile thumb sizes must not carry the result past the range.
        const int64_t value = minimum + span * (offset - thumb / 2) / travel;
        return ToInt(std::min<int64_t>(std::max<int64_t>(value, minimum), maximum));
    }
    return minimum;
}

} // namespace

UiRect SliderThumbRect(const UiRect& control, const UiSize& thumb, int minimum, int maximum,
                       int value, bool horizontal) {
    const int64_t left = control.left;
    const int64_t top = control.top;
    const int64_t right = control.right;
    const int64_t bottom = control.bottom;
    if (horizontal) {
        const int64_t x = left + TrackOffset((right - left) - thumb.cx, minimum, maximum, value);
        const int64_t y = (top + bottom - thumb.cy) / 2;
        return UiRect{ToInt(x), ToInt(y), ToInt(x + thumb.cx), ToInt(y + thumb.cy)};
    }
    const int64_t x = (left + right - thumb.cx) / 2;
    const int64_t y =
        bottom - thumb.cy - TrackOffset((bottom - top) - thumb.cy, minimum, maximum, value);
    return UiRect{ToInt(x), ToInt(y), ToInt(x + thumb.cx), ToInt(y + thumb.cy)};
}

int SliderValueFromPoint(const UiRect& control, const UiSize& thumb, int minimum, int maximum,
                         UiPoint point, bool horizontal) {
    if (horizontal) {
        return ValueAlongTrack(static_cast<int64_t>(point.x) - control.left,
                               static_cast<int64_t>(control.right) - control.left, thumb.cx,
                               minimum, maximum);
    }
    return ValueAlongTrack(static_cast<int64_t>(control.bottom) - point.y,
                           static_cast<int64_t>(control.bottom) - control.top, thumb.cy, minimum,
                           maximum);
}

int SliderWheelValue(int value, int step, int minimum, int maximum, bool awayFromUser) {
    int64_t next =
        static_cast<int64_t>(value) + (awayFromUser ? step : -static_cast<int64_t>(step));
    // Limit to the range; with max below min the minimum wins, as for SetValue.
    next = std::min<int64_t>(next, maximum);
    next = std::max<int64_t>(next, minimum);
    return static_cast<int>(next);
}

int SliderSnapToStep(int value, int step, int minimum, int maximum) {
    if (step <= 1 || maximum <= minimum) {
        return value;
    }
    const int64_t offset = std::min<int64_t>(std::max(value, minimum), maximum) - minimum;
    int64_t snapped = minimum + (offset + step / 2) / step * step;
    if (snapped > maximum) {
        snapped -= step;
    }
    return static_cast<int>(snapped);
}

} // namespace Ui
