// The size a control asks its container for. Plain controls and containers ask
// for their fixed size; labels measure their text where a fixed size is
// missing; buttons and options take their font's height.
#pragma once

#include <functional>

#include "ui/UiGeometry.h"

namespace Ui {

// Extra height around a line of text in labels, buttons and list entries.
constexpr int kTextLineMargin = 8;

struct LabelTextMetrics {
    int charHeight = 0; // the font's character height
    bool multiline = false;
    // Measures the text: on one line when `wrapWidth` is negative, otherwise
    // wrapped to that width.
    std::function<UiSize(int wrapWidth)> measure;
};

// Labels and what derives from them (progress bars, sliders). Single-line: a
// missing height is the vertical text padding + character height + 8, a
// missing width the horizontal text padding + the width of the text on one
// line. Multi-line: the width is the fixed (else offered) width and a missing
// height the wrapped text's height + the vertical text padding.
UiSize EstimateLabelSize(const UiSize& fixed, const UiSize& available, const UiRect& textPadding,
                         const LabelTextMetrics& text);

// Buttons and options: without a fixed height, the fixed width and the
// character height + 8; otherwise the fixed size.
UiSize EstimateButtonSize(const UiSize& fixed, int charHeight);

} // namespace Ui
