// The image description mini-language of image attributes: either a bare file
// name or key='value' pairs such as file='a.png' source='0,0,10,10'.
#pragma once

#include <cstdint>

#include "ui/UiGeometry.h"
#include "ui/UiString.h"

namespace Ui {

struct ImageDescription {
    CUiString file;    // archive or disk file name, resource name, or colour text
    CUiString resType; // resource type for "res"
    bool isColor = false;
    uint32_t color = 0;
    bool hasDest = false;
    UiRect dest{}; // relative to the control's top-left corner
    bool hasSource = false;
    UiRect source{};
    UiRect corner{}; // border widths left, top, right, bottom
    bool hasMask = false;
    uint32_t mask = 0;
    uint8_t fade = 255;
    bool hole = false, xtiled = false, ytiled = false, hsl = false;
};

// Never fails: reading stops silently at the first malformed pair and keeps
// what it has. The whole text is the file name unless "file", "res" or "color"
// names another.
ImageDescription ParseImageDescription(const char* text);

} // namespace Ui
