// TImageInfo: a decoded image held as a top-down 32-bit DIB section with
// premultiplied alpha, ready for BitBlt and AlphaBlend.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "ui/GdiOwners.h"

namespace Ui {

struct TImageInfo {
    UniqueBitmap bitmap;
    int width = 0;
    int height = 0;
    bool alpha = false;
    DWORD mask = 0;
};

// Copies width x height premultiplied BGRA pixels into a new bitmap; null when
// the bitmap cannot be made.
std::unique_ptr<TImageInfo> MakeImageBitmap(const uint32_t* pixels, int width, int height,
                                            bool alpha, DWORD mask);

} // namespace Ui
