#include "ui/ScrollMath.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace Ui {

namespace {

int ToInt(int64_t value) {
    return static_cast<int>(std::min<int64_t>(std::max<int64_t>(value, INT_MIN), INT_MAX));
}

UiRect Band(const UiRect& bar, int64_t top, int64_t bottom) {
    return UiRect{bar.left, ToInt(top), bar.right, ToInt(bottom)};
}

} // namespace

ScrollBarGeometry VerticalScrollBarGeometry(const UiRect& bar, int range, int position,
                                            bool showButton1, bool showButton2) {
    ScrollBarGeometry geometry;
    const int64_t width = std::max(0, bar.width());
    const int64_t height = std::max(0, bar.height());
    const int64_t top = bar.top;
    const int64_t bottom = top + height;

    int64_t button1 = showButton1 ? width : 0;
    int64_t button2 = showButton2 ? width : 0;
    const int64_t rail = height - button1 - button2;
    if (width < rail) {
        geometry.hasThumb = true;
        int64_t thumb = rail;
        int64_t thumbTop = top + button1;
        if (range > 0) {
            thumb = std::max(rail * height / (height + range), width);
            const int64_t clampedPosition = std::min<int64_t>(std::max(position, 0), range);
            thumbTop += (rail - thumb) * clampedPosition / range;
            thumbTop = std::min(thumbTop, top + button1 + rail - thumb);
        }
        geometry.thumb = Band(bar, thumbTop, thumbTop + thumb);
        const int64_t middle = thumbTop + thumb / 2;
        geometry.railImage = UiRect{bar.left, ToInt(middle - width / 2), bar.right,
                                    ToInt(middle - width / 2 + width)};
    } else {
        const int64_t shrunk = std::min(width, height / 2);
        button1 = showButton1 ? shrunk : 0;
        button2 = showButton2 ? shrunk : 0;
    }
    geometry.button1 = Band(bar, top, top + button1);
    geometry.button2 = Band(bar, bottom - button2, bottom);
    geometry.rail = Band(bar, top + button1, bottom - button2);
    return geometry;
}

int NormalizeScrollPosition(int position, int range, int unit) {
    int64_t value = std::max(position, 0);
    if (unit > 1) {
        const int64_t remainder = value % unit;
        value -= remainder;
        if (remainder >= unit / 2) {
            value += unit;
        }
    }
    return ToInt(std::min<int64_t>(value, std::max(range, 0)));
}

int ThumbDragOffset(int mouseDelta, int range, const ScrollBarGeometry& geometry) {
    if (!geometry.hasThumb) {
        return 0;
    }
    const int64_t travel = static_cast<int64_t>(geometry.rail.height()) - geometry.thumb.height();
    if (travel <= 0) {
        return 0;
    }
    return ToInt(static_cast<int64_t>(mouseDelta) * range / travel);
}

ScrollBarPart HitTestScrollBar(const ScrollBarGeometry& geometry, UiPoint point) {
    if (geometry.button1.contains(point)) {
        return ScrollBarPart::Button1;
    }
    if (geometry.button2.contains(point)) {
        return ScrollBarPart::Button2;
    }
    if (!geometry.rail.contains(point)) {
        return ScrollBarPart::None;
    }
    if (!geometry.hasThumb) {
        return ScrollBarPart::None;
    }
    if (geometry.thumb.contains(point)) {
        return ScrollBarPart::Thumb;
    }
    return point.y < geometry.thumb.top ? ScrollBarPart::RailAbove : ScrollBarPart::RailBelow;
}

int ScrollRangeFor(int contentLength, int innerLength) {
    return ToInt(std::max<int64_t>(0, static_cast<int64_t>(contentLength) - innerLength));
}

int ScrollLineStep(int lineSize, int charHeight) {
    if (lineSize > 1) {
        return lineSize;
    }
    return ToInt(static_cast<int64_t>(charHeight) + 8);
}

} // namespace Ui
