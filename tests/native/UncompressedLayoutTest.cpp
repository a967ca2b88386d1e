// The planes of uncompressed camera pictures in their samples: plane order,
// row padding, bottom-up rows and samples too short for a picture.
#include <gtest/gtest.h>

#include <vector>

#include "capture/UncompressedLayout.h"

namespace {

const uint8_t* Row(const UncompressedPlanes& planes, int plane, int row) {
    return planes.data[plane] + static_cast<std::ptrdiff_t>(row) * planes.strides[plane];
}

} // namespace

TEST(UncompressedLayout, PlanarChromaComesAsUThenVWhateverTheSampleOrder) {
    std::vector<uint8_t> sample(8 * 4 * 3 / 2);
    UncompressedPlanes i420, yv12, nv12;
    ASSERT_TRUE(LocateUncompressedPlanes(SubtypeKind::I420, 8, 4, false, sample.data(),
                                         sample.size(), i420));
    ASSERT_TRUE(LocateUncompressedPlanes(SubtypeKind::Yv12, 8, 4, false, sample.data(),
                                         sample.size(), yv12));
    ASSERT_TRUE(LocateUncompressedPlanes(SubtypeKind::Nv12, 8, 4, false, sample.data(),
                                         sample.size(), nv12));
    const uint8_t* first = sample.data() + 32;  // after the luma
    const uint8_t* second = sample.data() + 40; // after a quarter of it more
    EXPECT_EQ(i420.data[1], first);
    EXPECT_EQ(i420.data[2], second);
    EXPECT_EQ(yv12.data[1], second); // YV12 keeps V first: U is the second plane
    EXPECT_EQ(yv12.data[2], first);
    EXPECT_EQ(i420.strides[1], 4);
    EXPECT_EQ(nv12.data[1], first); // one plane of U V pairs, rows as wide as luma
    EXPECT_EQ(nv12.strides[1], 8);
    EXPECT_EQ(nv12.data[2], nullptr);
}

// DirectShow's RGB24 rows end on four bytes; positive biHeight puts the
// picture's top row last.
TEST(UncompressedLayout, Rgb24RowsArePaddedAndBottomUpRowsAreReadFromTheEnd) {
    const int width = 322, height = 4; // 966 bytes a row, padded to 968
    EXPECT_EQ(UncompressedPictureSize(SubtypeKind::Rgb24, width, height), 968u * 4);
    std::vector<uint8_t> sample(968 * 4);
    UncompressedPlanes planes;
    ASSERT_TRUE(LocateUncompressedPlanes(SubtypeKind::Rgb24, width, height, true, sample.data(),
                                         sample.size(), planes));
    EXPECT_EQ(Row(planes, 0, 0), sample.data() + 968 * 3);
    EXPECT_EQ(Row(planes, 0, 3), sample.data());
    ASSERT_TRUE(LocateUncompressedPlanes(SubtypeKind::Rgb24, width, height, false, sample.data(),
                                         sample.size(), planes));
    EXPECT_EQ(Row(planes, 0, 1), sample.data() + 968);
    // RGB32 needs no padding; an odd width is a width like any other for RGB.
    EXPECT_EQ(UncompressedPictureSize(SubtypeKind::Rgb32, 321, 3), 321u * 4 * 3);
}

TEST(UncompressedLayout, ShortSamplesOddYuvSizesAndOtherKindsAreRefused) {
    const struct {
        SubtypeKind kind;
        std::size_t size;
    } whole[] = {{SubtypeKind::Yuy2, 64 * 48 * 2},     {SubtypeKind::Uyvy, 64 * 48 * 2},
                 {SubtypeKind::Nv12, 64 * 48 * 3 / 2}, {SubtypeKind::I420, 64 * 48 * 3 / 2},
                 {SubtypeKind::Yv12, 64 * 48 * 3 / 2}, {SubtypeKind::Rgb24, 64 * 48 * 3},
                 {SubtypeKind::Rgb32, 64 * 48 * 4}};
    for (const auto& entry : whole) {
        SCOPED_TRACE(static_cast<int>(entry.kind));
        EXPECT_EQ(UncompressedPictureSize(entry.kind, 64, 48), entry.size);
        std::vector<uint8_t> sample(entry.size);
        UncompressedPlanes planes;
        EXPECT_FALSE(LocateUncompressedPlanes(entry.kind, 64, 48, false, sample.data(),
                                              entry.size - 1, planes));
        EXPECT_EQ(planes.data[0], nullptr);
        EXPECT_TRUE(
            LocateUncompressedPlanes(entry.kind, 64, 48, false, sample.data(), entry.size, planes));
        EXPECT_FALSE(
            LocateUncompressedPlanes(entry.kind, 64, 48, false, nullptr, entry.size, planes));
        EXPECT_EQ(UncompressedPictureSize(entry.kind, 0, 48), 0u);
        EXPECT_EQ(UncompressedPictureSize(entry.kind, 64, -2), 0u);
        EXPECT_EQ(UncompressedPictureSize(entry.kind, 1 << 20, 1 << 20), 0u);
    }
    // The YUV layouts sample chroma in pairs of pixels and rows.
    EXPECT_EQ(UncompressedPictureSize(SubtypeKind::Nv12, 63, 48), 0u);
    EXPECT_EQ(UncompressedPictureSize(SubtypeKind::Yuy2, 64, 47), 0u);
    // Compressed and unknown kinds have no layout here.
    EXPECT_EQ(UncompressedPictureSize(SubtypeKind::Mjpg, 64, 48), 0u);
    EXPECT_EQ(UncompressedPictureSize(SubtypeKind::Other, 64, 48), 0u);
    // Only one-plane layouts come bottom-up.
    std::vector<uint8_t> nv12(64 * 48 * 3 / 2);
    UncompressedPlanes planes;
    EXPECT_FALSE(LocateUncompressedPlanes(SubtypeKind::Nv12, 64, 48, true, nv12.data(), nv12.size(),
                                          planes));
}
