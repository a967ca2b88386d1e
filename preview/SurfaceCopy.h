// Copies between the tightly packed I420 picture the pipeline hands over and
// Direct3D's YV12 surfaces. Free of Windows headers so that it is tested
// natively.
#pragma once

#include <cstddef>
#include <cstdint>

// Writes a packed I420 picture into a locked YV12 surface whose rows are
// pitch bytes apart: the Y rows first, then the V plane, then the U plane,
// each chroma row pitch/2 bytes apart.
void CopyI420ToYv12(const uint8_t* packed, int width, int height, uint8_t* surface, int pitch);

// Bytes a YV12 surface of height rows with the given pitch spans.
std::size_t Yv12SurfaceSize(int height, int pitch);
