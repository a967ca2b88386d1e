#include "capture/PictureConversion.h"

#include <cstddef>
#include <cstring>
#include <limits>

namespace {

// One pair of rows: kept separate and free of aliasing so that the compiler
// turns it into SIMD shuffles (a stride-four gather per plane).
void ConvertRowPair(const uint8_t* __restrict upper, const uint8_t* __restrict lower,
                    uint8_t* __restrict yUpper, uint8_t* __restrict yLower, uint8_t* __restrict u,
                    uint8_t* __restrict v, int pairs) {
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

// value x scale / 255 + offset, rounded, in 16-bit arithmetic so that the
// loops below become SSE2 word operations. The largest intermediate,
// 255 x 224 + 4207, stays below 65535, where (t + 1 + (t >> 8)) >> 8 equals t / 255.
constexpr uint16_t kLumaScale = 219;   // 235 - 16
constexpr uint16_t kChromaScale = 224; // 240 - 16
constexpr uint16_t kRangeBias = 16 * 255 + 127;

inline uint8_t Squeeze(uint16_t value, uint16_t scale) {
    const uint16_t t = static_cast<uint16_t>(value * scale + kRangeBias);
    return static_cast<uint8_t>((t + 1 + (t >> 8)) >> 8);
}

void SqueezeRow(const uint8_t* __restrict source, uint8_t* __restrict target, int count,
                uint16_t scale) {
    for (int i = 0; i < count; ++i) {
        target[i] = Squeeze(source[i], scale);
    }
}

// One output chroma row from two source rows: the rounded-up average.
void AverageRows(const uint8_t* __restrict upper, const uint8_t* __restrict lower,
                 uint8_t* __restrict target, int count) {
    for (int i = 0; i < count; ++i) {
        target[i] = static_cast<uint8_t>((upper[i] + lower[i] + 1) >> 1);
    }
}

void AverageAndSqueezeRows(const uint8_t* __restrict upper, const uint8_t* __restrict lower,
                           uint8_t* __restrict target, int count) {
    for (int i = 0; i < count; ++i) {
        const uint16_t mean = static_cast<uint16_t>((upper[i] + lower[i] + 1) >> 1);
        target[i] = Squeeze(mean, kChromaScale);
    }
}

} // namespace

uint8_t FullToVideoLuma(uint8_t value) {
    return Squeeze(value, kLumaScale);
}

uint8_t FullToVideoChroma(uint8_t value) {
    return Squeeze(value, kChromaScale);
}

namespace {

// (value - low) x 255 / span, rounded and clamped to 0..255, for luma
// (16, 219) and, around the centre 128, for chroma (16, 224).
uint8_t Stretch(int value, int low, int span) {
    const int scaled = ((value - low) * 255 * 2 + span) / (2 * span);
    const int shifted = value < low ? 0 : scaled;
    return static_cast<uint8_t>(shifted > 255 ? 255 : shifted);
}

struct StretchTables {
    uint8_t luma[256];
    uint8_t chroma[256];
    StretchTables() {
        for (int v = 0; v < 256; ++v) {
            luma[v] = Stretch(v, 16, kLumaScale);
            chroma[v] = Stretch(v, 16, kChromaScale);
        }
    }
};

const StretchTables& Tables() {
    static const StretchTables tables;
    return tables;
}

void MapRow(const uint8_t* __restrict source, uint8_t* __restrict target, int count,
            const uint8_t* table) {
    for (int i = 0; i < count; ++i) {
        target[i] = table[source[i]];
    }
}

// A picture of some size with three source and three target planes.
bool ValidPlanes(const uint8_t* const source[3], const int sourceStrides[3], int width, int height,
                 uint8_t* const target[3], const int targetStrides[3]) {
    if (width <= 0 || height <= 0 || source == nullptr || target == nullptr ||
        sourceStrides == nullptr || targetStrides == nullptr) {
        return false;
    }
    for (int plane = 0; plane < 3; ++plane) {
        if (source[plane] == nullptr || target[plane] == nullptr) {
            return false;
        }
    }
    return true;
}

} // namespace

uint8_t VideoToFullLuma(uint8_t value) {
    return Tables().luma[value];
}

uint8_t VideoToFullChroma(uint8_t value) {
    return Tables().chroma[value];
}

bool I420VideoToFullRange(const uint8_t* const source[3], const int sourceStrides[3], int width,
                          int height, uint8_t* const target[3], const int targetStrides[3]) {
    if (!ValidPlanes(source, sourceStrides, width, height, target, targetStrides)) {
        return false;
    }
    const StretchTables& tables = Tables();
    for (int plane = 0; plane < 3; ++plane) {
        const int columns = plane == 0 ? width : (width + 1) / 2;
        const int rows = plane == 0 ? height : (height + 1) / 2;
        const uint8_t* table = plane == 0 ? tables.luma : tables.chroma;
        for (int row = 0; row < rows; ++row) {
            MapRow(source[plane] + static_cast<std::ptrdiff_t>(row) * sourceStrides[plane],
                   target[plane] + static_cast<std::ptrdiff_t>(row) * targetStrides[plane], columns,
                   table);
        }
    }
    return true;
}

bool PlanarYuvToI420(const uint8_t* const source[3], const int sourceStrides[3], int width,
                     int height, bool chroma422, bool fullRange, uint8_t* const target[3],
                     const int targetStrides[3]) {
    if (!ValidPlanes(source, sourceStrides, width, height, target, targetStrides)) {
        return false;
    }
    for (int row = 0; row < height; ++row) {
        const uint8_t* in = source[0] + static_cast<std::ptrdiff_t>(row) * sourceStrides[0];
        uint8_t* out = target[0] + static_cast<std::ptrdiff_t>(row) * targetStrides[0];
        if (fullRange) {
            SqueezeRow(in, out, width, kLumaScale);
        } else {
            std::memcpy(out, in, static_cast<std::size_t>(width));
        }
    }
    const int chromaWidth = (width + 1) / 2;
    const int chromaHeight = (height + 1) / 2;
    for (int plane = 1; plane < 3; ++plane) {
        for (int row = 0; row < chromaHeight; ++row) {
            uint8_t* out = target[plane] + static_cast<std::ptrdiff_t>(row) * targetStrides[plane];
            const int upperRow = chroma422 ? 2 * row : row;
            const uint8_t* upper =
                source[plane] + static_cast<std::ptrdiff_t>(upperRow) * sourceStrides[plane];
            // The last row of an odd-height 4:2:2 picture has no partner.
            const bool pair = chroma422 && upperRow + 1 < height;
            if (pair) {
                const uint8_t* lower = upper + sourceStrides[plane];
                if (fullRange) {
                    AverageAndSqueezeRows(upper, lower, out, chromaWidth);
                } else {
                    AverageRows(upper, lower, out, chromaWidth);
                }
            } else if (fullRange) {
                SqueezeRow(upper, out, chromaWidth, kChromaScale);
            } else {
                std::memcpy(out, upper, static_cast<std::size_t>(chromaWidth));
            }
        }
    }
    return true;
}

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
        ConvertRowPair(upper, upper + rowBytes, yPlane + static_cast<std::ptrdiff_t>(row) * yStride,
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
