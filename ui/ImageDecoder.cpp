#include "ui/ImageDecoder.h"

#include <climits>
#include <cstring>

#define STBI_MAX_DIMENSIONS 16384
#define STBI_NO_STDIO
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace Ui {

bool DecodeImage(const unsigned char* bytes, std::size_t size, std::vector<uint8_t>& rgba,
                 int& width, int& height) {
    rgba.clear();
    width = height = 0;
    if (bytes == nullptr || size == 0 || size > static_cast<std::size_t>(INT_MAX)) {
        return false;
    }
    int w = 0;
    int h = 0;
    int channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(bytes, static_cast<int>(size), &w, &h, &channels, 4);
    if (pixels == nullptr) {
        return false;
    }
    if (w <= 0 || h <= 0 || w > kMaxImageDimension || h > kMaxImageDimension) {
        stbi_image_free(pixels);
        return false;
    }
    rgba.assign(pixels, pixels + static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
    stbi_image_free(pixels);
    width = w;
    height = h;
    return true;
}

} // namespace Ui
