// Plain rectangle, size and point types of the framework. They carry no
// platform types so that layout and image arithmetic builds everywhere; the
// Windows side converts to RECT, SIZE and POINT at its boundary.
#pragma once

#include <climits>
#include <cstdint>

namespace Ui {

namespace detail {
// Differences of hostile coordinates may not fit an int; saturate instead of
// overflowing.
inline int SaturatedDifference(int high, int low) {
    const int64_t difference = static_cast<int64_t>(high) - low;
    if (difference > INT_MAX) {
        return INT_MAX;
    }
    if (difference < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(difference);
}
} // namespace detail

struct UiPoint {
    int x = 0;
    int y = 0;
};

struct UiSize {
    int cx = 0;
    int cy = 0;
};

struct UiRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return detail::SaturatedDifference(right, left); }
    int height() const { return detail::SaturatedDifference(bottom, top); }
    // True when the rectangle covers no pixel.
    bool empty() const { return right <= left || bottom <= top; }
    bool contains(UiPoint point) const {
        return point.x >= left && point.x < right && point.y >= top && point.y < bottom;
    }
};

inline bool operator==(const UiPoint& a, const UiPoint& b) {
    return a.x == b.x && a.y == b.y;
}
inline bool operator!=(const UiPoint& a, const UiPoint& b) {
    return !(a == b);
}
inline bool operator==(const UiSize& a, const UiSize& b) {
    return a.cx == b.cx && a.cy == b.cy;
}
inline bool operator!=(const UiSize& a, const UiSize& b) {
    return !(a == b);
}
inline bool operator==(const UiRect& a, const UiRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const UiRect& a, const UiRect& b) {
    return !(a == b);
}

// The common part of two rectangles; an empty result has right == left or
// bottom == top (never a negative extent).
inline UiRect IntersectRect(const UiRect& a, const UiRect& b) {
    UiRect result;
    result.left = a.left > b.left ? a.left : b.left;
    result.top = a.top > b.top ? a.top : b.top;
    result.right = a.right < b.right ? a.right : b.right;
    result.bottom = a.bottom < b.bottom ? a.bottom : b.bottom;
    if (result.right < result.left) {
        result.right = result.left;
    }
    if (result.bottom < result.top) {
        result.bottom = result.top;
    }
    return result;
}

} // namespace Ui
