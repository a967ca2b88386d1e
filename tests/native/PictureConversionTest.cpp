// Picture layouts of the capture path: YUY2 to planar 4:2:0, plane packing,
// and the packed I420 picture written into a pitched YV12 surface.
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "capture/PictureConversion.h"

namespace {

// A YUY2 picture whose every byte tells where it came from: luma of (x, y) is
// (x + 7y) & 0x7F, chroma is 0x80 | row-dependent value (U even, V odd).
std::vector<uint8_t> MakeYuy2(int width, int height) {
    std::vector<uint8_t> sample(static_cast<size_t>(width) * height * 2);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &sample[(static_cast<size_t>(y) * width + x) * 2];
            p[0] = static_cast<uint8_t>((x + 7 * y) & 0x7F);
            // Byte 1 of an even pixel is U, of an odd pixel V.
            p[1] = static_cast<uint8_t>(0x80 | (((x / 2) * 3 + y * 11 + (x & 1) * 40) & 0x7F));
        }
    }
    return sample;
}

uint8_t Luma(int x, int y) { return static_cast<uint8_t>((x + 7 * y) & 0x7F); }
uint8_t ChromaU(int pair, int y) { return static_cast<uint8_t>(0x80 | ((pair * 3 + y * 11) & 0x7F)); }
uint8_t ChromaV(int pair, int y) {
    return static_cast<uint8_t>(0x80 | ((pair * 3 + y * 11 + 40) & 0x7F));
}

struct Planes {
    int yStride, cStride, height;
    std::vector<uint8_t> y, u, v;
    Planes(int ys, int cs, int h)
        : yStride(ys), cStride(cs), height(h), y(static_cast<size_t>(ys) * h, 0xEE),
          u(static_cast<size_t>(cs) * ((h + 1) / 2), 0xEE),
          v(static_cast<size_t>(cs) * ((h + 1) / 2), 0xEE) {}
    bool Convert(const std::vector<uint8_t>& sample, int w, int h, size_t length) {
        return Yuy2ToI420(sample.data(), length, w, h, y.data(), yStride, u.data(), cStride,
                          v.data(), cStride);
    }
};

void ExpectConverted(const Planes& planes, int width, int height) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < planes.yStride; ++x) {
            const bool written = y < height / 2 * 2 && x < width / 2 * 2;
            ASSERT_EQ(planes.y[y * planes.yStride + x], written ? Luma(x, y) : 0xEE)
                << "luma " << x << "," << y;
        }
    }
    for (int r = 0; r < (height + 1) / 2; ++r) {
        for (int c = 0; c < planes.cStride; ++c) {
            const bool written = r < height / 2 && c < width / 2;
            // Chroma comes from the upper row of each pair, never averaged.
            ASSERT_EQ(planes.u[r * planes.cStride + c], written ? ChromaU(c, 2 * r) : 0xEE)
                << "u " << c << "," << r;
            ASSERT_EQ(planes.v[r * planes.cStride + c], written ? ChromaV(c, 2 * r) : 0xEE)
                << "v " << c << "," << r;
        }
    }
}

} // namespace

TEST(Yuy2ToI420, EvenSizeFillsEveryPlaneWithUpperRowChroma) {
    for (int width : {2, 16, 38, 64}) { // both shorter and longer than one SIMD block
        const int height = 6;
        std::vector<uint8_t> sample = MakeYuy2(width, height);
        Planes planes(width, width / 2, height);
        ASSERT_TRUE(planes.Convert(sample, width, height, sample.size()));
        ExpectConverted(planes, width, height);
    }
}

TEST(Yuy2ToI420, StridesWiderThanThePictureLeavePaddingAlone) {
    const int width = 34, height = 4;
    std::vector<uint8_t> sample = MakeYuy2(width, height);
    Planes planes(width + 14, width / 2 + 9, height);
    ASSERT_TRUE(planes.Convert(sample, width, height, sample.size()));
    ExpectConverted(planes, width, height);
}

TEST(Yuy2ToI420, OddSizesLeaveTheLastRowAndColumnUnwritten) {
    // A row of an odd-width YUY2 picture is still width x 2 bytes long.
    for (auto size : {std::pair<int, int>{5, 4}, {6, 5}, {7, 3}, {33, 9}}) {
        const int width = size.first, height = size.second;
        std::vector<uint8_t> sample = MakeYuy2(width, height);
        Planes planes(width, (width + 1) / 2, height);
        ASSERT_TRUE(planes.Convert(sample, width, height, sample.size())) << width << "x" << height;
        ExpectConverted(planes, width, height);
    }
}

TEST(Yuy2ToI420, ShortSamplesAndBadSizesAreRefusedWithoutWriting) {
    const int width = 8, height = 4;
    std::vector<uint8_t> sample = MakeYuy2(width, height);
    Planes planes(width, width / 2, height);
    EXPECT_FALSE(planes.Convert(sample, width, height, sample.size() - 1));
    EXPECT_FALSE(planes.Convert(sample, width, height, 0));
    EXPECT_FALSE(planes.Convert(sample, 0, height, sample.size()));
    EXPECT_FALSE(planes.Convert(sample, width, -2, sample.size()));
    EXPECT_FALSE(Yuy2ToI420(nullptr, 64, width, height, planes.y.data(), width, planes.u.data(),
                            width / 2, planes.v.data(), width / 2));
    for (uint8_t b : planes.y) {
        ASSERT_EQ(b, 0xEE);
    }
    // Sizes whose byte count overflows are refused, not wrapped around.
    EXPECT_EQ(Yuy2PictureSize(0x7FFFFFFF, 0x7FFFFFFF) == 0,
              sizeof(size_t) < 8); // 32-bit size_t cannot hold it
    EXPECT_EQ(Yuy2PictureSize(4, 2), 16u);
}

TEST(PackI420, ReadsEachPlaneAtItsLineSizeAndPacksWithoutGaps) {
    const int width = 6, height = 4;
    // Planes with line sizes wider than the picture, padding full of 0xEE.
    std::vector<uint8_t> y(10 * height, 0xEE), u(8 * 2, 0xEE), v(8 * 2, 0xEE);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) y[r * 10 + c] = static_cast<uint8_t>(r * 10 + c);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c) {
            u[r * 8 + c] = static_cast<uint8_t>(100 + r * 10 + c);
            v[r * 8 + c] = static_cast<uint8_t>(200 + r * 10 + c);
        }
    const uint8_t* planes[3] = {y.data(), u.data(), v.data()};
    const int lineSizes[3] = {10, 8, 8};
    std::vector<uint8_t> packed(PackedI420Size(width, height) + 1, 0x55);
    ASSERT_EQ(PackedI420Size(width, height), 24u + 6u + 6u);
    PackI420(planes, lineSizes, width, height, packed.data());
    std::vector<uint8_t> expected = {0,   1,   2,   3,   4,   5,   10,  11,  12,  13,  14,  15,
                                     20,  21,  22,  23,  24,  25,  30,  31,  32,  33,  34,  35,
                                     100, 101, 102, 110, 111, 112, 200, 201, 202, 210, 211, 212,
                                     0x55};
    EXPECT_EQ(packed, expected);
}

TEST(CopyI420ToYv12, PutsVBeforeUAndHonoursThePitch) {
    const int width = 4, height = 4, pitch = 12;
    std::vector<uint8_t> packed(PackedI420Size(width, height));
    for (size_t i = 0; i < 16; ++i) packed[i] = static_cast<uint8_t>(i);          // Y
    for (size_t i = 0; i < 4; ++i) packed[16 + i] = static_cast<uint8_t>(0x40 + i); // U
    for (size_t i = 0; i < 4; ++i) packed[20 + i] = static_cast<uint8_t>(0x80 + i); // V
    std::vector<uint8_t> surface(Yv12SurfaceSize(height, pitch), 0xEE);
    ASSERT_EQ(surface.size(), 48u + 12u + 12u);
    CopyI420ToYv12(packed.data(), width, height, surface.data(), pitch);

    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < pitch; ++c) {
            ASSERT_EQ(surface[r * pitch + c], c < width ? r * width + c : 0xEE) << r << "," << c;
        }
    }
    // V plane at H x P, rows P/2 apart; U plane a quarter of H x P later.
    const size_t vStart = 48, uStart = 48 + 12;
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < pitch / 2; ++c) {
            const bool inside = c < width / 2;
            EXPECT_EQ(surface[vStart + r * 6 + c], inside ? 0x80 + r * 2 + c : 0xEE);
            EXPECT_EQ(surface[uStart + r * 6 + c], inside ? 0x40 + r * 2 + c : 0xEE);
        }
    }
}

TEST(CopyI420ToYv12, RoundTripOfAConvertedYuy2Picture) {
    // The whole path: camera bytes -> planes -> packed -> YV12 with a wide pitch.
    const int width = 16, height = 8, pitch = 32;
    std::vector<uint8_t> sample = MakeYuy2(width, height);
    std::vector<uint8_t> y(width * height), u(width / 2 * height / 2), v(u.size());
    ASSERT_TRUE(Yuy2ToI420(sample.data(), sample.size(), width, height, y.data(), width,
                           u.data(), width / 2, v.data(), width / 2));
    const uint8_t* planes[3] = {y.data(), u.data(), v.data()};
    const int lineSizes[3] = {width, width / 2, width / 2};
    std::vector<uint8_t> packed(PackedI420Size(width, height));
    PackI420(planes, lineSizes, width, height, packed.data());
    std::vector<uint8_t> surface(Yv12SurfaceSize(height, pitch));
    CopyI420ToYv12(packed.data(), width, height, surface.data(), pitch);
    const size_t vStart = static_cast<size_t>(height) * pitch;
    const size_t uStart = vStart + vStart / 4;
    EXPECT_EQ(surface[3 * pitch + 5], Luma(5, 3));
    EXPECT_EQ(surface[vStart + 2 * (pitch / 2) + 7], ChromaV(7, 4));
    EXPECT_EQ(surface[uStart + 3 * (pitch / 2) + 1], ChromaU(1, 6));
}
