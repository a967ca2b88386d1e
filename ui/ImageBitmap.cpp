#include "ui/ImageBitmap.h"

#include <cstring>
#include <utility>

namespace Ui {

std::unique_ptr<TImageInfo> MakeImageBitmap(const uint32_t* pixels, int width, int height,
                                            bool alpha, DWORD mask) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap == nullptr || bits == nullptr) {
        return nullptr;
    }
    std::memcpy(bits, pixels, static_cast<std::size_t>(width) * height * 4);
    auto image = std::make_unique<TImageInfo>();
    image->bitmap = std::move(bitmap);
    image->width = width;
    image->height = height;
    image->alpha = alpha;
    image->mask = mask;
    return image;
}

} // namespace Ui
