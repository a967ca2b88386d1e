#include "tools/testdevices/TestPicture.h"

#include <algorithm>
#include <cstring>

namespace TestDevices {

namespace {

struct Yuv {
    uint8_t y, u, v;
};

uint8_t Clamp(double value) {
    return static_cast<uint8_t>(std::min(255.0, std::max(0.0, value + 0.5)));
}

Yuv FromRgb(int r, int g, int b, bool fullRange) {
    const double y = 0.299 * r + 0.587 * g + 0.114 * b;
    const double u = -0.168736 * r - 0.331264 * g + 0.5 * b;
    const double v = 0.5 * r - 0.418688 * g - 0.081312 * b;
    if (fullRange)
        return {Clamp(y), Clamp(128 + u), Clamp(128 + v)};
    return {Clamp(16 + y * 219.0 / 255.0), Clamp(128 + u * 224.0 / 255.0),
            Clamp(128 + v * 224.0 / 255.0)};
}

void FillRect(const PlanarImage& image, int x0, int y0, int x1, int y1, Yuv colour) {
    x0 = std::max(0, x0) & ~1;
    y0 = std::max(0, y0) & ~1;
    x1 = std::min(image.width, x1);
    y1 = std::min(image.height, y1);
    if (x1 <= x0 || y1 <= y0)
        return;
    for (int y = y0; y < y1; ++y) {
        memset(image.planes[0] + static_cast<size_t>(y) * image.strides[0] + x0, colour.y, x1 - x0);
    }
    const int cx0 = x0 / 2, cx1 = (x1 + 1) / 2;
    for (int y = y0 / 2; y < (y1 + 1) / 2; ++y) {
        memset(image.planes[1] + static_cast<size_t>(y) * image.strides[1] + cx0, colour.u,
               cx1 - cx0);
        memset(image.planes[2] + static_cast<size_t>(y) * image.strides[2] + cx0, colour.v,
               cx1 - cx0);
    }
}

// Segments a to g of a seven-segment digit, bit 0 = a.
const uint8_t kSegments[10] = {0x3f, 0x06, 0x5b, 0x4f, 0x66, 0x6d, 0x7d, 0x07, 0x7f, 0x6f};

void DrawDigit(const PlanarImage& image, int x, int y, int w, int h, int digit, Yuv on) {
    const int t = std::max(2, w / 5);
    const int half = h / 2;
    const uint8_t s = kSegments[digit];
    if (s & 0x01)
        FillRect(image, x, y, x + w, y + t, on);
    if (s & 0x02)
        FillRect(image, x + w - t, y, x + w, y + half, on);
    if (s & 0x04)
        FillRect(image, x + w - t, y + half, x + w, y + h, on);
    if (s & 0x08)
        FillRect(image, x, y + h - t, x + w, y + h, on);
    if (s & 0x10)
        FillRect(image, x, y + half, x + t, y + h, on);
    if (s & 0x20)
        FillRect(image, x, y, x + t, y + half, on);
    if (s & 0x40)
        FillRect(image, x, y + half - t / 2, x + w, y + half + t - t / 2, on);
}

} // namespace

void DrawColourBars(const PlanarImage& image, bool fullRange) {
    static const int kBars[8][3] = {{191, 191, 191}, {191, 191, 0}, {0, 191, 191}, {0, 191, 0},
                                    {191, 0, 191},   {191, 0, 0},   {0, 0, 191},   {0, 0, 0}};
    for (int i = 0; i < 8; ++i) {
        FillRect(image, image.width * i / 8, 0, image.width * (i + 1) / 8, image.height,
                 FromRgb(kBars[i][0], kBars[i][1], kBars[i][2], fullRange));
    }
    // A dark band at the bottom carries the moving stripe.
    FillRect(image, 0, image.height * 3 / 4, image.width, image.height,
             FromRgb(32, 32, 32, fullRange));
}

void DrawFrameMarks(const PlanarImage& image, uint64_t frameNumber, bool fullRange) {
    const Yuv white = FromRgb(255, 255, 255, fullRange);
    const Yuv black = FromRgb(0, 0, 0, fullRange);
    const int band = image.height * 3 / 4;
    const int stripe = std::max(2, image.width / 40);
    const int travel = std::max(1, image.width - stripe);
    const int x = static_cast<int>((frameNumber * 8) % static_cast<uint64_t>(travel));
    FillRect(image, x, band, x + stripe, image.height, white);

    char digits[24];
    int count = 0;
    do {
        digits[count++] = static_cast<char>(frameNumber % 10);
        frameNumber /= 10;
    } while (frameNumber != 0 && count < 20);
    const int h = std::max(8, image.height / 8);
    const int w = h / 2;
    const int gap = w / 3;
    const int margin = h / 4;
    FillRect(image, 0, 0, margin * 2 + count * (w + gap), h + margin * 2, black);
    for (int i = 0; i < count; ++i) {
        DrawDigit(image, margin + i * (w + gap), margin, w, h, digits[count - 1 - i], white);
    }
}

} // namespace TestDevices
