// Where the preview window goes inside the preview control: the largest
// rectangle of the picture's aspect ratio that fits inside the control's
// 2-pixel border, centred. Free of Windows headers so it is tested natively.
#pragma once

struct PreviewPlacement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The control's rectangle (left, top, right, bottom) and the picture size.
// A control too small for its border, or a picture without a size, gives an
// empty placement at the inner corner rather than a negative or endless one.
PreviewPlacement FitPreviewRect(int left, int top, int right, int bottom, int frameWidth,
                                int frameHeight);
