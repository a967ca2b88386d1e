// Turns decoded 8-bit RGBA pixels into the top-down 32-bit bitmap that the
// renderer blends: blue, green, red, alpha in memory, colours premultiplied by
// alpha, and the mask colour made fully transparent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Ui {

struct ConvertedPixels {
    // One value per pixel, 0xAARRGGBB, so that a little-endian store gives the
    // byte order B, G, R, A of a 32-bit device-independent bitmap.
    std::vector<uint32_t> pixels;
    bool hasTransparency = false;
};

// `rgba` holds width x height pixels, 4 bytes each, rows top to bottom.
// A converted pixel equal to `mask` becomes 0 (pass 0 for no mask colour:
// a converted 0 is transparent black already). Returns false and leaves `out`
// empty when the dimensions are not positive or too large to address.
bool ConvertRgbaToPremultipliedBgra(const uint8_t* rgba, int width, int height, uint32_t mask,
                                    ConvertedPixels& out);

} // namespace Ui
