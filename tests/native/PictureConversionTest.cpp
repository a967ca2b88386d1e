// Picture layouts of the capture path: YUY2 to planar 4:2:0, plane packing,
// and the packed I420 picture written into a pitched YV12 surface.
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "capture/PictureConversion.h"
#include "preview/SurfaceCopy.h"

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

uint8_t Luma(int x, int y) {
    return static_cast<uint8_t>((x + 7 * y) & 0x7F);
}
uint8_t ChromaU(int pair, int y) {
    return static_cast<uint8_t>(0x80 | ((pair * 3 + y * 11) & 0x7F));
}
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

// Every plane holds what a width x height picture converts to, and the bytes
// outside it (odd last row and column, stride padding) are untouched.
::testing::AssertionResult Converted(const Planes& planes, int width, int height) {
    auto differs = [&](const char* plane, int x, int y, int got, int expected) {
        return ::testing::AssertionFailure()
               << width << "x" << height << ": " << plane << " at " << x << "," << y << " is "
               << got << ", expected " << expected;
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < planes.yStride; ++x) {
            const bool written = y < height / 2 * 2 && x < width / 2 * 2;
            const int expected = written ? Luma(x, y) : 0xEE;
            if (planes.y[y * planes.yStride + x] != expected) {
                return differs("luma", x, y, planes.y[y * planes.yStride + x], expected);
            }
        }
    }
    for (int r = 0; r < (height + 1) / 2; ++r) {
        for (int c = 0; c < planes.cStride; ++c) {
            const bool written = r < height / 2 && c < width / 2;
            // Chroma comes from the upper row of each pair, never averaged.
            const int u = written ? ChromaU(c, 2 * r) : 0xEE;
            const int v = written ? ChromaV(c, 2 * r) : 0xEE;
            if (planes.u[r * planes.cStride + c] != u) {
                return differs("u", c, r, planes.u[r * planes.cStride + c], u);
            }
            if (planes.v[r * planes.cStride + c] != v) {
                return differs("v", c, r, planes.v[r * planes.cStride + c], v);
            }
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(Yuy2ToI420, EvenSizeFillsEveryPlaneWithUpperRowChroma) {
    for (int width : {2, 16, 38, 64}) { // both shorter and longer than one SIMD block
        const int height = 6;
        std::vector<uint8_t> sample = MakeYuy2(width, height);
        Planes planes(width, width / 2, height);
        ASSERT_TRUE(planes.Convert(sample, width, height, sample.size()));
        EXPECT_TRUE(Converted(planes, width, height));
    }
}

TEST(Yuy2ToI420, StridesWiderThanThePictureLeavePaddingAlone) {
    const int width = 34, height = 4;
    std::vector<uint8_t> sample = MakeYuy2(width, height);
    Planes planes(width + 14, width / 2 + 9, height);
    ASSERT_TRUE(planes.Convert(sample, width, height, sample.size()));
    EXPECT_TRUE(Converted(planes, width, height));
}

TEST(Yuy2ToI420, OddSizesLeaveTheLastRowAndColumnUnwritten) {
    // A row of an odd-width YUY2 picture is still width x 2 bytes long.
    for (auto size : {std::pair<int, int>{5, 4}, {6, 5}, {7, 3}, {33, 9}}) {
        const int width = size.first, height = size.second;
        std::vector<uint8_t> sample = MakeYuy2(width, height);
        Planes planes(width, (width + 1) / 2, height);
        ASSERT_TRUE(planes.Convert(sample, width, height, sample.size())) << width << "x" << height;
        EXPECT_TRUE(Converted(planes, width, height));
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
        for (int c = 0; c < width; ++c)
            y[r * 10 + c] = static_cast<uint8_t>(r * 10 + c);
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
    std::vector<uint8_t> expected = {
        0,  1,  2,  3,  4,  5,   10,  11,  12,  13,  14,  15,  20,  21,  22,  23,  24,  25,  30,
        31, 32, 33, 34, 35, 100, 101, 102, 110, 111, 112, 200, 201, 202, 210, 211, 212, 0x55};
    EXPECT_EQ(packed, expected);
}

TEST(CopyI420ToYv12, PutsVBeforeUAndHonoursThePitch) {
    const int width = 4, height = 4, pitch = 12;
    std::vector<uint8_t> packed(PackedI420Size(width, height));
    for (size_t i = 0; i < 16; ++i)
        packed[i] = static_cast<uint8_t>(i); // Y
    for (size_t i = 0; i < 4; ++i)
        packed[16 + i] = static_cast<uint8_t>(0x40 + i); // U
    for (size_t i = 0; i < 4; ++i)
        packed[20 + i] = static_cast<uint8_t>(0x80 + i); // V
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
    ASSERT_TRUE(Yuy2ToI420(sample.data(), sample.size(), width, height, y.data(), width, u.data(),
                           width / 2, v.data(), width / 2));
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

namespace {

// A planar picture with padding after every row, filled with a marker.
struct PlanarBuffer {
    int strides[3];
    std::vector<uint8_t> planes[3];
    PlanarBuffer(int width, int lumaRows, int chromaRows, int padding) {
        const int chromaWidth = (width + 1) / 2;
        strides[0] = width + padding;
        strides[1] = strides[2] = chromaWidth + padding;
        planes[0].assign(static_cast<size_t>(strides[0]) * lumaRows, 0xEE);
        planes[1].assign(static_cast<size_t>(strides[1]) * chromaRows, 0xEE);
        planes[2].assign(static_cast<size_t>(strides[2]) * chromaRows, 0xEE);
    }
    uint8_t& At(int plane, int x, int y) { return planes[plane][y * strides[plane] + x]; }
    const uint8_t* const* Read() {
        pointers[0] = planes[0].data();
        pointers[1] = planes[1].data();
        pointers[2] = planes[2].data();
        return pointers;
    }
    uint8_t* const* Write() {
        pointers[0] = planes[0].data();
        pointers[1] = planes[1].data();
        pointers[2] = planes[2].data();
        return pointers;
    }
    uint8_t* pointers[3] = {};
};

uint8_t SourceChroma(int plane, int x, int y) {
    return static_cast<uint8_t>(plane * 60 + x * 13 + y * 29);
}

} // namespace

TEST(PlanarYuvToI420, RangeSqueezeMatchesTheExactRoundedScale) {
    for (int v = 0; v < 256; ++v) {
        const int luma = static_cast<int>(16 + v * 219.0 / 255.0 + 0.5);
        const int chroma = static_cast<int>(16 + v * 224.0 / 255.0 + 0.5);
        ASSERT_EQ(FullToVideoLuma(static_cast<uint8_t>(v)), luma) << v;
        ASSERT_EQ(FullToVideoChroma(static_cast<uint8_t>(v)), chroma) << v;
    }
    // Black, white and neutral chroma land on the video-range anchors.
    EXPECT_EQ(FullToVideoLuma(0), 16);
    EXPECT_EQ(FullToVideoLuma(255), 235);
    EXPECT_EQ(FullToVideoChroma(128), 128);
}

TEST(PlanarYuvToI420, FourTwoTwoAveragesChromaRowPairsRoundingUp) {
    // Widths around the SIMD block sizes and odd sizes; padding must stay untouched.
    for (auto size : {std::pair<int, int>{6, 4}, {33, 7}, {64, 10}, {1, 1}, {2, 3}}) {
        const int width = size.first, height = size.second;
        const int chromaWidth = (width + 1) / 2, chromaHeight = (height + 1) / 2;
        PlanarBuffer in(width, height, height, 5);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                in.At(0, x, y) = static_cast<uint8_t>(x * 7 + y);
            for (int x = 0; x < chromaWidth; ++x) {
                in.At(1, x, y) = SourceChroma(1, x, y);
                in.At(2, x, y) = SourceChroma(2, x, y);
            }
        }
        PlanarBuffer out(width, height, chromaHeight, 3);
        ASSERT_TRUE(PlanarYuvToI420(in.Read(), in.strides, width, height, true, false, out.Write(),
                                    out.strides));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < out.strides[0]; ++x) {
                ASSERT_EQ(out.At(0, x, y), x < width ? in.At(0, x, y) : 0xEE) << x << "," << y;
            }
        }
        for (int plane = 1; plane < 3; ++plane) {
            for (int r = 0; r < chromaHeight; ++r) {
                for (int x = 0; x < out.strides[plane]; ++x) {
                    int expected = 0xEE;
                    if (x < chromaWidth) {
                        const int a = SourceChroma(plane, x, 2 * r);
                        // An odd last row has no partner and is taken as it is.
                        const int b = 2 * r + 1 < height ? SourceChroma(plane, x, 2 * r + 1) : a;
                        expected = (a + b + 1) / 2;
                    }
                    ASSERT_EQ(out.At(plane, x, r), expected)
                        << width << "x" << height << " plane " << plane << " " << x << "," << r;
                }
            }
        }
    }
}

TEST(PlanarYuvToI420, FullRangeSqueezesAfterAveragingAndKeepsFourTwoZeroRows) {
    const int width = 20, height = 6;
    PlanarBuffer in422(width, height, height, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            in422.At(0, x, y) = static_cast<uint8_t>(x * 13 + y * 40);
        for (int x = 0; x < width / 2; ++x) {
            // Rows 0 and 1 of each pair are 0 and 255: the mean 128 must map to neutral.
            in422.At(1, x, y) = (y % 2 == 0) ? 0 : 255;
            in422.At(2, x, y) = SourceChroma(2, x, y);
        }
    }
    PlanarBuffer out(width, height, height / 2, 0);
    ASSERT_TRUE(PlanarYuvToI420(in422.Read(), in422.strides, width, height, true, true, out.Write(),
                                out.strides));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            ASSERT_EQ(out.At(0, x, y), FullToVideoLuma(in422.At(0, x, y)));
        }
    }
    for (int r = 0; r < height / 2; ++r) {
        for (int x = 0; x < width / 2; ++x) {
            ASSERT_EQ(out.At(1, x, r), 128);
            const int mean = (SourceChroma(2, x, 2 * r) + SourceChroma(2, x, 2 * r + 1) + 1) / 2;
            ASSERT_EQ(out.At(2, x, r), FullToVideoChroma(static_cast<uint8_t>(mean)));
        }
    }

    // A 4:2:0 source keeps its rows one to one and is only squeezed.
    PlanarBuffer in420(width, height, height / 2, 0);
    for (int r = 0; r < height / 2; ++r)
        for (int x = 0; x < width / 2; ++x)
            in420.At(1, x, r) = in420.At(2, x, r) = SourceChroma(1, x, r);
    PlanarBuffer out420(width, height, height / 2, 0);
    ASSERT_TRUE(PlanarYuvToI420(in420.Read(), in420.strides, width, height, false, true,
                                out420.Write(), out420.strides));
    EXPECT_EQ(out420.At(1, 3, 2), FullToVideoChroma(SourceChroma(1, 3, 2)));
    EXPECT_EQ(out420.At(2, 9, 0), FullToVideoChroma(SourceChroma(1, 9, 0)));
}

TEST(PlanarYuvToI420, BadSizesAndMissingPlanesAreRefusedWithoutWriting) {
    PlanarBuffer in(8, 4, 4, 0);
    PlanarBuffer out(8, 4, 2, 0);
    EXPECT_FALSE(
        PlanarYuvToI420(in.Read(), in.strides, 0, 4, true, true, out.Write(), out.strides));
    EXPECT_FALSE(
        PlanarYuvToI420(in.Read(), in.strides, 8, -1, true, true, out.Write(), out.strides));
    const uint8_t* missing[3] = {in.planes[0].data(), nullptr, in.planes[2].data()};
    EXPECT_FALSE(PlanarYuvToI420(missing, in.strides, 8, 4, true, true, out.Write(), out.strides));
    for (const auto& plane : out.planes) {
        for (uint8_t b : plane)
            ASSERT_EQ(b, 0xEE);
    }
}

TEST(I420VideoToFullRange, StretchesAnchorsClampsOutliersAndUndoesTheSqueeze) {
    EXPECT_EQ(VideoToFullLuma(16), 0);
    EXPECT_EQ(VideoToFullLuma(235), 255);
    EXPECT_EQ(VideoToFullLuma(5), 0);
    EXPECT_EQ(VideoToFullLuma(250), 255);
    EXPECT_EQ(VideoToFullChroma(128), 128);
    EXPECT_EQ(VideoToFullChroma(16), 0);
    EXPECT_EQ(VideoToFullChroma(240), 255);
    for (int v = 0; v < 256; ++v) {
        const uint8_t value = static_cast<uint8_t>(v);
        ASSERT_NEAR(VideoToFullLuma(FullToVideoLuma(value)), v, 1) << v;
        ASSERT_NEAR(VideoToFullChroma(FullToVideoChroma(value)), v, 1) << v;
    }
}

TEST(I420VideoToFullRange, ConvertsEveryPlaneOfAnOddSizeAndLeavesPaddingAlone) {
    const int width = 5, height = 3;
    PlanarBuffer in(width, height, 2, 9);
    PlanarBuffer out(width, height, 2, 9);
    for (auto& plane : in.planes) {
        std::fill(plane.begin(), plane.end(), 235);
    }
    for (auto& plane : out.planes) {
        std::fill(plane.begin(), plane.end(), 7);
    }
    ASSERT_TRUE(
        I420VideoToFullRange(in.Read(), in.strides, width, height, out.Write(), out.strides));
    for (int plane = 0; plane < 3; ++plane) {
        const int columns = plane == 0 ? width : 3, rows = plane == 0 ? height : 2;
        for (int y = 0; y < rows; ++y) {
            for (int x = 0; x < out.strides[plane]; ++x) {
                // Chroma 235 is (235 - 128) x 255 / 224 + 128 = 249.8 in full range.
                const uint8_t expected = x >= columns ? 7 : plane == 0 ? 255 : 249;
                ASSERT_EQ(out.planes[plane][static_cast<size_t>(y) * out.strides[plane] + x],
                          expected)
                    << plane << " " << x << "," << y;
            }
        }
    }
    EXPECT_FALSE(I420VideoToFullRange(in.Read(), in.strides, 0, height, out.Write(), out.strides));
}
