#include "ui/SizeEstimation.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace Ui {

namespace {

int Sum(std::initializer_list<int> parts) {
    int64_t total = 0;
    for (int part : parts) {
        total += part;
    }
    return static_cast<int>(std::min<int64_t>(std::max<int64_t>(total, INT_MIN), INT_MAX));
}

UiSize Measure(const LabelTextMetrics& text, int wrapWidth) {
    return text.measure ? text.measure(wrapWidth) : UiSize{};
}

} // namespace

UiSize EstimateLabelSize(const UiSize& fixed, const UiSize& available, const UiRect& textPadding,
                         const LabelTextMetrics& text) {
    if (fixed.cx != 0 && fixed.cy != 0) {
        return fixed;
    }
    UiSize size = fixed;
    if (text.multiline) {
        if (size.cx == 0) {
            size.cx = available.cx;
        }
        if (size.cy == 0) {
            const int wrapWidth =
                std::max(0, Sum({size.cx, -textPadding.left, -textPadding.right}));
            size.cy = Sum({Measure(text, wrapWidth).cy, textPadding.top, textPadding.bottom});
        }
        return size;
    }
    if (size.cy == 0) {
        size.cy = Sum({textPadding.top, textPadding.bottom, text.charHeight, kTextLineMargin});
    }
    if (size.cx == 0) {
        size.cx = Sum({textPadding.left, textPadding.right, Measure(text, -1).cx});
    }
    return size;
}

UiSize EstimateButtonSize(const UiSize& fixed, int charHeight) {
    if (fixed.cy != 0) {
        return fixed;
    }
    return UiSize{fixed.cx, Sum({charHeight, kTextLineMargin})};
}

} // namespace Ui
