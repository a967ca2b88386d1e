#include "tools/testdevices/TestPicture.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

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
    const int shift = image.chromaRowShift;
    for (int y = y0 >> shift; y < (y1 + (1 << shift) - 1) >> shift; ++y) {
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

// Colour bars seen through a view moved by (dx, dy): the bars repeat beyond the edges, so a
// moved view is still covered wherever |dx| stays below a bar's width.
void DrawColourBars(const PlanarImage& image, bool fullRange, int dx, int dy) {
    static const int kBars[8][3] = {{191, 191, 191}, {191, 191, 0}, {0, 191, 191}, {0, 191, 0},
                                    {191, 0, 191},   {191, 0, 0},   {0, 0, 191},   {0, 0, 0}};
    for (int i = -1; i <= 8; ++i) {
        const int* rgb = kBars[(i + 8) % 8];
        FillRect(image, image.width * i / 8 + dx, 0, image.width * (i + 1) / 8 + dx, image.height,
                 FromRgb(rgb[0], rgb[1], rgb[2], fullRange));
    }
    // A dark band at the bottom carries the moving stripe.
    FillRect(image, 0, image.height * 3 / 4 + dy, image.width, image.height,
             FromRgb(32, 32, 32, fullRange));
}

// Where a hand-held view has drifted by picture frameNumber: two slow swings of a few pixels a
// picture, about 2 % of the picture's size at most.
void ViewDrift(const PlanarImage& image, uint64_t frameNumber, int& dx, int& dy) {
    const double kTurn = 6.283185307179586;
    const double t = static_cast<double>(frameNumber % 6300); // a whole number of both swings
    dx = static_cast<int>(std::lround(image.width / 48.0 * std::sin(t * kTurn / 90.0)));
    dy = static_cast<int>(std::lround(image.height / 40.0 * std::sin(t * kTurn / 70.0 + 1.0)));
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

// Rows of noise are cut from a field this long, in pieces of at most kNoiseRun values.
constexpr size_t kNoiseField = size_t{1} << 18;
constexpr int kNoiseRun = 4096;

std::vector<int8_t> NoiseField(double deviation, uint32_t seed) {
    std::vector<int8_t> field(kNoiseField);
    std::mt19937 generator(seed);
    std::normal_distribution<double> normal(0.0, deviation);
    for (auto& value : field) {
        value = static_cast<int8_t>(std::clamp<long>(std::lround(normal(generator)), -127, 127));
    }
    return field;
}

// A well-mixed 64-bit hash (the finaliser of SplitMix64).
uint64_t Mix(uint64_t value) {
    value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ULL;
    value = (value ^ (value >> 27)) * 0x94d049bb133111ebULL;
    return value ^ (value >> 31);
}

void AddToPlane(uint8_t* plane, int stride, int columns, int rows, const std::vector<int8_t>& field,
                uint64_t key) {
    for (int y = 0; y < rows; ++y) {
        uint8_t* row = plane + static_cast<size_t>(y) * stride;
        for (int x0 = 0; x0 < columns; x0 += kNoiseRun) {
            const int run = std::min(kNoiseRun, columns - x0);
            const uint64_t piece = Mix(key + static_cast<uint64_t>(y) * kNoiseRun + x0);
            const int8_t* noise = field.data() + piece % (kNoiseField - kNoiseRun + 1);
            uint8_t* out = row + x0;
            for (int x = 0; x < run; ++x) {
                const int value = out[x] + noise[x];
                out[x] = static_cast<uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
            }
        }
    }
}

} // namespace

SensorNoise::SensorNoise(int level) : level_(std::clamp(level, 0, kMaxNoiseLevel)) {
    if (level_ > 0) {
        luma_ = NoiseField(level_, 4711);
        chroma_ = NoiseField(level_ / 2.0, 815);
    }
}

void SensorNoise::Add(const PlanarImage& image, uint64_t frameNumber) const {
    if (level_ == 0)
        return;
    const int chromaColumns = (image.width + 1) / 2;
    const int shift = image.chromaRowShift;
    const int chromaRows = (image.height + (1 << shift) - 1) >> shift;
    for (int plane = 0; plane < 3; ++plane) {
        const uint64_t key = Mix(frameNumber * 3 + static_cast<uint64_t>(plane));
        if (plane == 0) {
            AddToPlane(image.planes[0], image.strides[0], image.width, image.height, luma_, key);
        } else {
            AddToPlane(image.planes[plane], image.strides[plane], chromaColumns, chromaRows,
                       chroma_, key);
        }
    }
}

void DrawCameraPicture(const PlanarImage& image, uint64_t frameNumber, bool fullRange,
                       const SensorNoise& noise) {
    int dx = 0, dy = 0;
    if (noise.Level() > 0)
        ViewDrift(image, frameNumber, dx, dy);
    DrawColourBars(image, fullRange, dx, dy);
    DrawFrameMarks(image, frameNumber, fullRange);
    noise.Add(image, frameNumber);
}

} // namespace TestDevices
