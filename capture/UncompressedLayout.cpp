#include "capture/UncompressedLayout.h"

#include <limits>

namespace {

// Bytes of one row of the first plane; 0 when the kind is not uncompressed.
std::size_t RowBytes(SubtypeKind kind, std::size_t width) {
    switch (kind) {
    case SubtypeKind::Yuy2:
    case SubtypeKind::Uyvy:
        return width * 2;
    case SubtypeKind::Nv12:
    case SubtypeKind::I420:
    case SubtypeKind::Yv12:
        return width;
    case SubtypeKind::Rgb24:
        return (width * 3 + 3) & ~static_cast<std::size_t>(3); // DIB rows end on four bytes
    case SubtypeKind::Rgb32:
        return width * 4;
    default:
        return 0;
    }
}

bool IsRgb(SubtypeKind kind) {
    return kind == SubtypeKind::Rgb24 || kind == SubtypeKind::Rgb32;
}

bool IsFourTwoZero(SubtypeKind kind) {
    return kind == SubtypeKind::Nv12 || kind == SubtypeKind::I420 || kind == SubtypeKind::Yv12;
}

} // namespace

std::size_t UncompressedPictureSize(SubtypeKind kind, int width, int height) {
    // Kept well inside int, which strides and libswscale's sizes are.
    constexpr int kLargest = 1 << 14;
    if (width <= 0 || height <= 0 || width > kLargest || height > kLargest) {
        return 0;
    }
    if (!IsRgb(kind) && (width % 2 != 0 || height % 2 != 0)) {
        return 0;
    }
    const std::size_t row = RowBytes(kind, static_cast<std::size_t>(width));
    const std::size_t rows = static_cast<std::size_t>(height);
    if (row == 0 || rows > std::numeric_limits<std::size_t>::max() / 2 / row) {
        return 0;
    }
    // The 4:2:0 layouts add half as much again for their chroma.
    return IsFourTwoZero(kind) ? row * rows + row * rows / 2 : row * rows;
}

bool LocateUncompressedPlanes(SubtypeKind kind, int width, int height, bool bottomUp,
                              const uint8_t* sample, std::size_t length,
                              UncompressedPlanes& planes) {
    const std::size_t size = UncompressedPictureSize(kind, width, height);
    if (sample == nullptr || size == 0 || length < size) {
        return false;
    }
    UncompressedPlanes located;
    const int row = static_cast<int>(RowBytes(kind, static_cast<std::size_t>(width)));
    const std::size_t luma = static_cast<std::size_t>(row) * static_cast<std::size_t>(height);
    located.data[0] = sample;
    located.strides[0] = row;
    if (kind == SubtypeKind::Nv12) {
        located.data[1] = sample + luma;
        located.strides[1] = row;
    } else if (kind == SubtypeKind::I420 || kind == SubtypeKind::Yv12) {
        const uint8_t* first = sample + luma;
        const uint8_t* second = first + luma / 4;
        located.data[1] = kind == SubtypeKind::I420 ? first : second;
        located.data[2] = kind == SubtypeKind::I420 ? second : first;
        located.strides[1] = row / 2;
        located.strides[2] = row / 2;
    }
    if (bottomUp) {
        // Only the one-plane layouts come bottom-up (RGB): start at the last row.
        if (located.data[1] != nullptr) {
            return false;
        }
        located.data[0] = sample + luma - static_cast<std::size_t>(row);
        located.strides[0] = -row;
    }
    planes = located;
    return true;
}
