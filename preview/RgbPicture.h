// RgbPicture: converts the preview's packed I420 pictures into 32-bit BGRX
// rows (Direct3D's X8R8G8B8, a 32-bit GDI bitmap) with libswscale, scaling on
// the way when asked. The picture is BT.601 at video levels, libswscale's
// default. The conversion context is kept while the sizes stay.
#pragma once

#include <cstdint>

struct SwsContext;

class RgbPicture {
public:
    RgbPicture() = default;
    ~RgbPicture();
    RgbPicture(const RgbPicture&) = delete;
    RgbPicture& operator=(const RgbPicture&) = delete;

    // Writes the width x height picture into targetWidth x targetHeight rows
    // of 4 x targetWidth bytes, pitch bytes apart. False for sizes that are
    // not positive, a pitch too short, or a conversion libswscale refuses.
    bool Convert(const uint8_t* packed, int width, int height, uint8_t* target, int pitch,
                 int targetWidth, int targetHeight);
    void Release();

private:
    SwsContext* m_context = nullptr;
};
