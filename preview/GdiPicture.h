// GdiPicture: the preview's last resort where no Direct3D 9 device can be
// made (no 3D driver, a remote session without it): the picture converted by
// libswscale to the window's client size and handed to GDI's StretchDIBits.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "preview/RgbPicture.h"

class GdiPicture {
public:
    // Converts a packed I420 picture to clientWidth x clientHeight; false
    // when it cannot (sizes, memory).
    bool Upload(const uint8_t* packed, int width, int height, int clientWidth, int clientHeight);
    // Draws the converted picture over the window's client area; false when
    // nothing was drawn.
    bool Present(HWND window);
    void Release();

private:
    struct Free {
        void operator()(uint8_t* pixels) const;
    };
    RgbPicture m_converter;
    std::unique_ptr<uint8_t, Free> m_pixels;
    std::size_t m_capacity = 0;
    int m_width = 0;
    int m_height = 0;
};
