#include "ui/PixelConversion.h"

#include <cstdint>
#include <limits>

namespace Ui {

bool ConvertRgbaToPremultipliedBgra(const uint8_t* rgba, int width, int height, uint32_t mask,
                                    ConvertedPixels& out) {
    out.pixels.clear();
    out.hasTransparency = false;
    if (rgba == nullptr || width <= 0 || height <= 0) {
        return false;
    }
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    // Both the pixel count and the source byte count must be addressable.
    if (count / static_cast<std::size_t>(width) != static_cast<std::size_t>(height) ||
        count > std::numeric_limits<std::size_t>::max() / 4) {
        return false;
    }
    out.pixels.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t* in = rgba + i * 4;
        uint32_t red = in[0];
        uint32_t green = in[1];
        uint32_t blue = in[2];
        const uint32_t alpha = in[3];
        if (alpha != 255) {
            red = red * alpha / 255;
            green = green * alpha / 255;
            blue = blue * alpha / 255;
            out.hasTransparency = true;
        }
        uint32_t pixel = (alpha << 24) | (red << 16) | (green << 8) | blue;
        if (pixel == mask) {
            pixel = 0;
            out.hasTransparency = true;
        }
        out.pixels[i] = pixel;
    }
    return true;
}

} // namespace Ui
