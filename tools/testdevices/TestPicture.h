// The moving test picture: colour bars, a stripe that travels across the lower part and the
// frame number in large digits, drawn into planar 4:2:0 images.
#pragma once

#include <cstdint>

namespace TestDevices {

struct PlanarImage {
    uint8_t* planes[3];
    int strides[3];
    int width;
    int height;
};

// fullRange: JPEG levels (0-255) instead of video levels (16-235).
void DrawColourBars(const PlanarImage& image, bool fullRange);
void DrawFrameMarks(const PlanarImage& image, uint64_t frameNumber, bool fullRange);

} // namespace TestDevices
