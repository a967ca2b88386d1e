#include "capture/PictureConversion.h"

#include <cstring>
#include <limits>

namespace {

// One pair of rows: kept separate and free of aliasing so that the compiler
// turns it into SIMD shuffles (a stride-four gather per plane).
void ConvertRowPair(const uint8_t* __restrict upper, const uint8_t* __restrict lower,
                    uint8_t* __restrict yUpper, uint8_t* __restrict yLower,
                    uint8_t* __restrict u, uint8_t* __restrict v, int pairs) {
    for (int i = 0; i < pairs; ++i) {
        yUpper[2 * i] = upper[4 * i];
        u[i] = upper[4 * i + 1];
        yUpper[2 * i + 1] = upper[4 * i + 2];
        v[i] = upper[4 * i + 3];
    }
    for (int i = 0; i < pairs; ++i) {
        yLower[2 * i] = lower[4 * i];
        yLower[2 * i + 1] = lower[4 * i + 2];
    }
}

} // namespace

std::size_t PackedI420Size(int width, int height) {
    if (width <= 0 || height <= 0) {
        return 0;
    }
    const std::size_t luma = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    const std::size_t chroma =
        static_cast<std::size_t>(width / 2) * static_cast<std::size_t>(height / 2);
    return luma + 2 * chroma;
}

std::size_t Yuy2PictureSize(int width, int height) {
    if (width <= 0 || height <= 0) {
        return 0;
    }
    const std::size_t row = static_cast<std::size_t>(width) * 2;
    if (static_cast<std::size_t>(height) > std::numeric_limits<std::size_t>::max() / row) {
        return 0;
    }
    return row * static_cast<std::size_t>(height);
}

bool Yuy2ToI420(const uint8_t* sample, std::size_t sampleLength, int width, int height,
                uint8_t* yPlane, int yStride, uint8_t* uPlane, int uStride, uint8_t* vPlane,
                int vStride) {
    const std::size_t needed = Yuy2PictureSize(width, height);
    if (sample == nullptr || needed == 0 || sampleLength < needed) {
        return false;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 2;
    const int pairs = width / 2;
    for (int row = 0; row + 1 < height; row += 2) {
        const uint8_t* upper = sample + static_cast<std::size_t>(row) * rowBytes;
        ConvertRowPair(upper, upper + rowBytes,
                       yPlane + static_cast<std::ptrdiff_t>(row) * yStride,
                       yPlane + static_cast<std::ptrdiff_t>(row + 1) * yStride,
                       uPlane + static_cast<std::ptrdiff_t>(row / 2) * uStride,
                       vPlane + static_cast<std::ptrdiff_t>(row / 2) * vStride, pairs);
    }
    return true;
}

void PackI420(const uint8_t* const planes[3], const int lineSizes[3], int width, int height,
              uint8_t* packed) {
    if (width <= 0 || height <= 0) {
        return;
    }
    uint8_t* out = packed;
    for (int row = 0; row < height; ++row) {
        std::memcpy(out, planes[0] + static_cast<std::ptrdiff_t>(row) * lineSizes[0],
                    static_cast<std::size_t>(width));
        out += width;
    }
    const int chromaWidth = width >> 1;
    const int chromaHeight = height >> 1;
    for (int plane = 1; plane < 3; ++plane) {
        for (int row = 0; row < chromaHeight; ++row) {
            std::memcpy(out, planes[plane] + static_cast<std::ptrdiff_t>(row) * lineSizes[plane],
                        static_cast<std::size_t>(chromaWidth));
            out += chromaWidth;
        }
    }
}

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
