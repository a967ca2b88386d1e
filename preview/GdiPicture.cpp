#include "preview/GdiPicture.h"

extern "C" {
#include <libavutil/mem.h>
}

#include "ui/GdiOwners.h"

void GdiPicture::Free::operator()(uint8_t* pixels) const {
    av_free(pixels);
}

bool GdiPicture::Upload(const uint8_t* packed, int width, int height, int clientWidth,
                        int clientHeight) {
    if (clientWidth <= 0 || clientHeight <= 0) {
        return false;
    }
    const std::size_t bytes =
        static_cast<std::size_t>(clientWidth) * static_cast<std::size_t>(clientHeight) * 4;
    if (bytes > m_capacity) {
        // Aligned as libswscale's vector code wants; grown, never shrunk.
        m_pixels.reset(static_cast<uint8_t*>(av_malloc(bytes)));
        m_capacity = m_pixels ? bytes : 0;
        if (!m_pixels) {
            m_width = m_height = 0;
            return false;
        }
    }
    if (!m_converter.Convert(packed, width, height, m_pixels.get(), clientWidth * 4, clientWidth,
                             clientHeight)) {
        m_width = m_height = 0;
        return false;
    }
    m_width = clientWidth;
    m_height = clientHeight;
    return true;
}

bool GdiPicture::Present(HWND window) {
    if (!m_pixels || m_width <= 0 || m_height <= 0) {
        return false;
    }
    const Ui::WindowDC dc(window);
    if (dc.Get() == nullptr) {
        return false;
    }
    BITMAPINFO bitmap{};
    bitmap.bmiHeader.biSize = sizeof bitmap.bmiHeader;
    bitmap.bmiHeader.biWidth = m_width;
    bitmap.bmiHeader.biHeight = -m_height; // top row first
    bitmap.bmiHeader.biPlanes = 1;
    bitmap.bmiHeader.biBitCount = 32;
    bitmap.bmiHeader.biCompression = BI_RGB;
    // Already the client's size: GDI copies rows and does not scale.
    const int rows = ::StretchDIBits(dc.Get(), 0, 0, m_width, m_height, 0, 0, m_width, m_height,
                                     m_pixels.get(), &bitmap, DIB_RGB_COLORS, SRCCOPY);
    return rows > 0;
}

void GdiPicture::Release() {
    m_converter.Release();
    m_pixels.reset();
    m_capacity = 0;
    m_width = m_height = 0;
}
