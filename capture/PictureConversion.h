// Byte shuffling between the picture layouts of the capture path: packed
// YUY2 camera samples, FFmpeg's planar 4:2:0 frames and the tightly packed
// I420 buffer the preview uploads. Free of Windows
// and FFmpeg headers so that it is tested natively.
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes of a tightly packed I420 picture: W x H luma, two (W/2) x (H/2) chroma planes.
std::size_t PackedI420Size(int width, int height);

// Bytes a whole YUY2 picture of width x height occupies (two bytes per pixel),
// or 0 for a size that is not positive or does not fit in memory arithmetic.
std::size_t Yuy2PictureSize(int width, int height);

// Converts a packed 4:2:2 YUY2 picture (bytes Y0 U Y1 V, rows of width x 2
// bytes) into three planes. Each pair of rows gives two luma rows and one
// chroma row, the chroma taken from the upper row of the pair. With an odd
// width or height the last column or row is not written. Answers false and
// writes nothing when the sample is shorter than a whole picture or the size
// is not positive.
bool Yuy2ToI420(const uint8_t* sample, std::size_t sampleLength, int width, int height,
                uint8_t* yPlane, int yStride, uint8_t* uPlane, int uStride, uint8_t* vPlane,
                int vStride);

// Converts a planar 4:2:2 picture (chroma planes of (width+1)/2 x height) or a
// planar 4:2:0 one (chroma of (width+1)/2 x (height+1)/2) into planar 4:2:0
// with chroma of (width+1)/2 x (height+1)/2. From 4:2:2 each output chroma
// sample is the rounded-up average of the two source rows it covers (an odd
// last row stands alone). With fullRange the samples are squeezed from the
// 0..255 range of JPEG pictures into the video range (luma 16..235, chroma
// 16..240) that the encoders and the renderer expect. Answers false and
// writes nothing for a size that is not positive or a missing plane.
bool PlanarYuvToI420(const uint8_t* const source[3], const int sourceStrides[3], int width,
                     int height, bool chroma422, bool fullRange, uint8_t* const target[3],
                     const int targetStrides[3]);

// The full-to-video range squeeze of one sample, as PlanarYuvToI420 applies it.
uint8_t FullToVideoLuma(uint8_t value);
uint8_t FullToVideoChroma(uint8_t value);

// The reverse, for JPEG photos: stretches a planar 4:2:0 picture (chroma of
// (width+1)/2 x (height+1)/2) from video range to the full 0..255 range that
// JPEG viewers assume, so that black is 0 and white 255. Values outside the
// video range are clamped. Answers false and writes nothing for a size that
// is not positive or a missing plane.
bool I420VideoToFullRange(const uint8_t* const source[3], const int sourceStrides[3], int width,
                          int height, uint8_t* const target[3], const int targetStrides[3]);
uint8_t VideoToFullLuma(uint8_t value);
uint8_t VideoToFullChroma(uint8_t value);

// Copies three planes (read at their own line sizes) into a tightly packed
// I420 buffer of PackedI420Size(width, height) bytes: Y, then U, then V.
void PackI420(const uint8_t* const planes[3], const int lineSizes[3], int width, int height,
              uint8_t* packed);
