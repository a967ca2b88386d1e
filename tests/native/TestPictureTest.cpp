// The synthetic camera's picture with sensor noise: noise of the asked strength that an encoder
// cannot predict from the picture before or the row above, clipped instead of wrapped, within
// the planes of any size and chroma layout; and a drifting view that leaves nothing undrawn.
#include "tools/testdevices/TestPicture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

using namespace TestDevices;

namespace {

constexpr uint8_t kPadding = 0xAA;

// Planes of a width x height picture with rows padded beyond their width, filled with value.
struct Picture {
    Picture(int width, int height, int chromaRowShift, uint8_t value)
        : width(width), height(height), chromaWidth((width + 1) / 2),
          chromaHeight((height + (1 << chromaRowShift) - 1) >> chromaRowShift),
          shift(chromaRowShift) {
        for (int p = 0; p < 3; ++p) {
            const int w = p == 0 ? width : chromaWidth;
            const int h = p == 0 ? height : chromaHeight;
            strides[p] = w + 16;
            planes[p].assign(static_cast<size_t>(strides[p]) * h, kPadding);
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x)
                    At(p, x, y) = value;
            }
        }
    }
    PlanarImage Image() {
        return {{planes[0].data(), planes[1].data(), planes[2].data()},
                {strides[0], strides[1], strides[2]},
                width,
                height,
                shift};
    }
    uint8_t& At(int plane, int x, int y) {
        return planes[plane][static_cast<size_t>(y) * strides[plane] + x];
    }
    int Width(int plane) const { return plane == 0 ? width : chromaWidth; }
    int Height(int plane) const { return plane == 0 ? height : chromaHeight; }

    int width, height, chromaWidth, chromaHeight, shift;
    int strides[3];
    std::vector<uint8_t> planes[3];
};

struct Moments {
    double mean = 0;
    double deviation = 0;
};

template <typename Value> Moments MomentsOf(int width, int height, Value value) {
    double sum = 0, squares = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double v = value(x, y);
            sum += v;
            squares += v * v;
        }
    }
    const double count = static_cast<double>(width) * height;
    const double mean = sum / count;
    return {mean, std::sqrt(squares / count - mean * mean)};
}

// Correlation of each row with the row below it, over the plane.
double RowCorrelation(Picture& picture, int plane) {
    double sum = 0, squares = 0, products = 0, count = 0;
    for (int y = 0; y + 1 < picture.Height(plane); ++y) {
        for (int x = 0; x < picture.Width(plane); ++x) {
            const double a = picture.At(plane, x, y) - 128.0;
            const double b = picture.At(plane, x, y + 1) - 128.0;
            sum += a;
            squares += a * a;
            products += a * b;
            count += 1;
        }
    }
    const double mean = sum / count;
    return (products / count - mean * mean) / (squares / count - mean * mean);
}

} // namespace

TEST(SensorNoise, HasItsStrengthAndIsNewInEveryPictureAndEveryRow) {
    const int level = 3;
    const SensorNoise noise(level);
    Picture first(640, 480, 1, 128), second(640, 480, 1, 128);
    noise.Add(first.Image(), 7);
    noise.Add(second.Image(), 8);

    for (int plane = 0; plane < 3; ++plane) {
        const double wanted = plane == 0 ? level : level / 2.0;
        const Moments moments = MomentsOf(first.Width(plane), first.Height(plane),
                                          [&](int x, int y) { return first.At(plane, x, y); });
        EXPECT_NEAR(moments.mean, 128.0, 0.05) << "plane " << plane;
        EXPECT_NEAR(moments.deviation, wanted, wanted * 0.1) << "plane " << plane;
        // Noise the encoder could take from the picture before or the row above would cost it
        // nothing: the next picture's noise is independent of this one's ...
        const Moments change =
            MomentsOf(first.Width(plane), first.Height(plane),
                      [&](int x, int y) { return first.At(plane, x, y) - second.At(plane, x, y); });
        EXPECT_NEAR(change.deviation, wanted * std::sqrt(2.0), wanted * 0.15) << "plane " << plane;
        // ... and each row's of the row above.
        EXPECT_LT(std::fabs(RowCorrelation(first, plane)), 0.05) << "plane " << plane;
    }
}

TEST(SensorNoise, ClipsAtBlackAndWhiteAndStaysWithinOddAnd422Planes) {
    const SensorNoise noise(kMaxNoiseLevel);
    for (const uint8_t value : {uint8_t{2}, uint8_t{253}}) {
        // Odd sizes, 4:2:2 chroma (as many chroma rows as luma rows), padded rows.
        Picture picture(37, 21, 0, value);
        noise.Add(picture.Image(), 3);
        for (int plane = 0; plane < 3; ++plane) {
            int darkest = 255, brightest = 0;
            for (int y = 0; y < picture.Height(plane); ++y) {
                for (int x = 0; x < picture.Width(plane); ++x) {
                    darkest = std::min<int>(darkest, picture.At(plane, x, y));
                    brightest = std::max<int>(brightest, picture.At(plane, x, y));
                }
                for (int x = picture.Width(plane); x < picture.strides[plane]; ++x)
                    ASSERT_EQ(picture.At(plane, x, y), kPadding) << "plane " << plane;
            }
            // A sum that wrapped around would turn white pixels black and black ones white.
            if (value < 128)
                EXPECT_LE(brightest, value + 127) << "plane " << plane;
            else
                EXPECT_GE(darkest, value - 127) << "plane " << plane;
            // The last row of 4:2:2 chroma is noisy too.
            bool lastRowChanged = false;
            for (int x = 0; x < picture.Width(plane); ++x)
                lastRowChanged =
                    lastRowChanged || picture.At(plane, x, picture.Height(plane) - 1) != value;
            EXPECT_TRUE(lastRowChanged) << "plane " << plane;
        }
    }
}

TEST(CameraPicture, DriftingViewMovesTheBarsAndLeavesNothingUndrawn) {
    const SensorNoise noise(kWebcamNoiseLevel);
    const int width = 384, height = 216;
    // Where the first two bars meet (grey, then yellow: lower luma), from the column averages
    // below the frame number and above the dark band.
    auto firstEdge = [&](Picture& picture) {
        const int top = height / 4, bottom = height / 2;
        for (int x = 1; x < width / 4; ++x) {
            double before = 0, after = 0;
            for (int y = top; y < bottom; ++y) {
                before += picture.At(0, x - 1, y);
                after += picture.At(0, x, y);
            }
            if ((before - after) / (bottom - top) > 10)
                return x;
        }
        return -1;
    };
    int leftmost = width, rightmost = 0;
    for (uint64_t frame = 0; frame < 100; ++frame) {
        // Drawn over black and over white: any pixel the view does not cover differs.
        Picture black(width, height, 1, 0), white(width, height, 1, 255);
        DrawCameraPicture(black.Image(), frame, false, noise);
        DrawCameraPicture(white.Image(), frame, false, noise);
        for (int plane = 0; plane < 3; ++plane)
            ASSERT_EQ(black.planes[plane], white.planes[plane]) << "picture " << frame;
        const int edge = firstEdge(black);
        ASSERT_GT(edge, 0) << "picture " << frame;
        leftmost = std::min(leftmost, edge);
        rightmost = std::max(rightmost, edge);
    }
    // The bars swing by a few pixels each way.
    EXPECT_GE(rightmost - leftmost, 8);
}
