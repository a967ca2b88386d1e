#include "preview/SurfaceCopy.h"

#include <cstring>

void CopyI420ToYv12(const uint8_t* packed, int width, int height, uint8_t* surface, int pitch) {
    if (width <= 0 || height <= 0) {
        return;
    }
    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t h = static_cast<std::size_t>(height);
    const std::size_t p = static_cast<std::size_t>(pitch);
    const std::size_t chromaWidth = w / 2;
    const std::size_t chromaHeight = h / 2;
    const uint8_t* uSource = packed + w * h;
    const uint8_t* vSource = uSource + chromaWidth * chromaHeight;
    for (std::size_t r = 0; r < h; ++r) {
        std::memcpy(surface + r * p, packed + r * w, w);
    }
    uint8_t* vTarget = surface + h * p;
    uint8_t* uTarget = vTarget + (h * p) / 4;
    for (std::size_t r = 0; r < chromaHeight; ++r) {
        std::memcpy(vTarget + r * (p / 2), vSource + r * chromaWidth, chromaWidth);
        std::memcpy(uTarget + r * (p / 2), uSource + r * chromaWidth, chromaWidth);
    }
}

std::size_t Yv12SurfaceSize(int height, int pitch) {
    if (height <= 0 || pitch <= 0) {
        return 0;
    }
    const std::size_t h = static_cast<std::size_t>(height);
    const std::size_t p = static_cast<std::size_t>(pitch);
    return h * p + (h * p) / 4 + (h / 2) * (p / 2);
}
