// Turning decoded RGBA pixels into premultiplied BGRA with the mask colour.
#include <climits>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "ui/PixelConversion.h"

using namespace Ui;

namespace {
ConvertedPixels Convert(const std::vector<uint8_t>& rgba, int width, int height,
                        uint32_t mask = 0) {
    ConvertedPixels out;
    EXPECT_TRUE(ConvertRgbaToPremultipliedBgra(rgba.data(), width, height, mask, out));
    return out;
}
} // namespace

TEST(PixelConversion, OpaquePixelsAreReorderedOnly) {
    const ConvertedPixels out = Convert({0x11, 0x22, 0x33, 0xFF, 0xFE, 0x00, 0x80, 0xFF}, 2, 1);
    ASSERT_EQ(out.pixels.size(), 2u);
    EXPECT_EQ(out.pixels[0], 0xFF112233u);
    EXPECT_EQ(out.pixels[1], 0xFFFE0080u);
    EXPECT_FALSE(out.hasTransparency);
    // In memory the bytes run blue, green, red, alpha.
    uint8_t bytes[4];
    std::memcpy(bytes, &out.pixels[0], 4);
    if (bytes[3] == 0xFF) { // little-endian, as on the target
        EXPECT_EQ(bytes[0], 0x33);
        EXPECT_EQ(bytes[2], 0x11);
    }
}

TEST(PixelConversion, TranslucentPixelsArePremultiplied) {
    const ConvertedPixels out = Convert({200, 100, 255, 128, 255, 255, 255, 0}, 1, 2);
    EXPECT_EQ(out.pixels[0], (128u << 24) | (100u << 16) | (50u << 8) | 128u);
    EXPECT_EQ(out.pixels[1], 0u);
    EXPECT_TRUE(out.hasTransparency);
}

TEST(PixelConversion, RowsStayTopDown) {
    const ConvertedPixels out = Convert({1, 0, 0, 255, 2, 0, 0, 255, 3, 0, 0, 255}, 1, 3);
    EXPECT_EQ(out.pixels[0], 0xFF010000u);
    EXPECT_EQ(out.pixels[2], 0xFF030000u);
}

TEST(PixelConversion, MaskColourBecomesTransparent) {
    const std::vector<uint8_t> rgba = {255, 0, 255, 255, 255, 0, 254, 255};
    const ConvertedPixels masked = Convert(rgba, 2, 1, 0xFFFF00FFu);
    EXPECT_EQ(masked.pixels[0], 0u);
    EXPECT_EQ(masked.pixels[1], 0xFFFF00FEu);
    EXPECT_TRUE(masked.hasTransparency);

    EXPECT_FALSE(Convert(rgba, 2, 1).hasTransparency);
}

TEST(PixelConversion, RejectsUnusableDimensions) {
    const uint8_t pixel[4] = {1, 2, 3, 4};
    ConvertedPixels out;
    out.pixels.assign(3, 7);
    EXPECT_FALSE(ConvertRgbaToPremultipliedBgra(pixel, 0, 1, 0, out));
    EXPECT_TRUE(out.pixels.empty());
    EXPECT_FALSE(ConvertRgbaToPremultipliedBgra(pixel, 1, -1, 0, out));
    EXPECT_FALSE(ConvertRgbaToPremultipliedBgra(nullptr, 1, 1, 0, out));
    if (sizeof(std::size_t) == 4) {
        EXPECT_FALSE(ConvertRgbaToPremultipliedBgra(pixel, INT_MAX, INT_MAX, 0, out));
    }
}
