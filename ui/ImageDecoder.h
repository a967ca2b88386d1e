// Decodes image file bytes (PNG and the other formats of stb_image) to
// 8-bit RGBA, rows top to bottom.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Ui {

// Largest width or height accepted; larger images are refused rather than
// allocated.
constexpr int kMaxImageDimension = 16384;

bool DecodeImage(const unsigned char* bytes, std::size_t size, std::vector<uint8_t>& rgba,
                 int& width, int& height);

} // namespace Ui
