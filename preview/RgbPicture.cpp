#include "preview/RgbPicture.h"

extern "C" {
#include <libswscale/swscale.h>
}

RgbPicture::~RgbPicture() {
    Release();
}

void RgbPicture::Release() {
    sws_freeContext(m_context);
    m_context = nullptr;
}

bool RgbPicture::Convert(const uint8_t* packed, int width, int height, uint8_t* target, int pitch,
                         int targetWidth, int targetHeight) {
    if (packed == nullptr || target == nullptr || width <= 1 || height <= 1 || targetWidth <= 0 ||
        targetHeight <= 0 || pitch / 4 < targetWidth) {
        return false;
    }
    // Scaled only for GDI, which gets the window's size; bilinear is enough
    // for a preview and far cheaper than the default bicubic.
    m_context = sws_getCachedContext(m_context, width, height, AV_PIX_FMT_YUV420P, targetWidth,
                                     targetHeight, AV_PIX_FMT_BGR0, SWS_BILINEAR, nullptr, nullptr,
                                     nullptr);
    if (m_context == nullptr) {
        return false;
    }
    const int chromaWidth = width / 2;
    const uint8_t* planes[4] = {packed, packed + width * height,
                                packed + width * height + chromaWidth * (height / 2), nullptr};
    const int strides[4] = {width, chromaWidth, chromaWidth, 0};
    uint8_t* targets[4] = {target, nullptr, nullptr, nullptr};
    const int targetStrides[4] = {pitch, 0, 0, 0};
    return sws_scale(m_context, planes, strides, 0, height, targets, targetStrides) == targetHeight;
}
