// Where the planes of an uncompressed camera picture lie in its sample, by
// the layouts DirectShow defines for them: packed 4:2:2 (YUY2, UYVY), NV12,
// planar I420/IYUV and YV12, and RGB24/RGB32 with rows padded to four bytes.
// Kept free of Windows and FFmpeg headers so that it is tested natively.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Core/FormatRules.h"

// Up to three planes, each with the distance from one row to the next. The
// planes of I420 and YV12 come in the order Y, U, V whatever their order in
// the sample; NV12 gives Y and its plane of U V pairs; packed formats give one.
struct UncompressedPlanes {
    const uint8_t* data[3] = {};
    int strides[3] = {};
};

// Bytes of one whole picture of the kind, or 0 when the kind is not an
// uncompressed one or the size cannot be (not positive, odd for the YUV
// layouts, which sample chroma in pairs, or too large for the arithmetic).
std::size_t UncompressedPictureSize(SubtypeKind kind, int width, int height);

// Points the planes into a sample of length bytes. A bottom-up picture (RGB
// with a positive biHeight) is read from its last row with negative strides,
// so that it comes out right way up. False, with nothing set, when the sample
// is shorter than a whole picture or the size or kind does not fit.
bool LocateUncompressedPlanes(SubtypeKind kind, int width, int height, bool bottomUp,
                              const uint8_t* sample, std::size_t length,
                              UncompressedPlanes& planes);
