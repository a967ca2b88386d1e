// Turning decoded RGBA pixels into premultiplied BGRA with the mask colour.
#include <climits>
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

TEST(PixelConversion, OpaquePixelsAreReorderedTopDown) {
    const ConvertedPixels out = Convert({0x11, 0x22, 0x33, 0xFF, 0xFE, 0x00, 0x80, 0xFF}, 1, 2);
    EXPECT_EQ(out.pixels, (std::vector<uint32_t>{0xFF112233u, 0xFFFE0080u}));
    EXPECT_FALSE(out.hasTransparency);
}

TEST(PixelConversion, TranslucentPixelsArePremultiplied) {
    const ConvertedPixels out = Convert({200, 100, 255, 128, 255, 255, 255, 0}, 2, 1);
    EXPECT_EQ(out.pixels, (std::vector<uint32_t>{0x80643280u, 0u}));
    EXPECT_TRUE(out.hasTransparency);
}

TEST(PixelConversion, MaskColourBecomesTransparent) {
    const std::vector<uint8_t> rgba = {255, 0, 255, 255, 255, 0, 254, 255};
    const ConvertedPixels masked = Convert(rgba, 2, 1, 0xFFFF00FFu);
    EXPECT_EQ(masked.pixels, (std::vector<uint32_t>{0u, 0xFFFF00FEu}));
    EXPECT_TRUE(masked.hasTransparency);
}

TEST(PixelConversion, RejectsUnusableDimensions) {
    const uint8_t pixel[4] = {1, 2, 3, 4};
    ConvertedPixels out;
    out.pixels.assign(3, 7);
    EXPECT_FALSE(ConvertRgbaToPremultipliedBgra(pixel, 0, 1, 0, out));
    EXPECT_TRUE(out.pixels.empty());
    EXPECT_FALSE(ConvertRgbaToPremultipliedBgra(pixel, 1, -1, 0, out));
    EXPECT_FALSE(ConvertRgbaToPremultipliedBgra(nullptr, 1, 1, 0, out));
}
