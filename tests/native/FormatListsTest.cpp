// The panel's list texts, the entries one format contributes, the selection
// that follows the camera's size, and what Apply may save.
#include <gtest/gtest.h>

#include "app/FormatLists.h"
#include "tests/support/StreamFormats.h"

namespace {

using TestSupport::FourCcGuid;
using Format = BasicStreamFormat<FourCcGuid>;

Format Entry(const char* name, int32_t width, int32_t height, uint8_t rate = 30) {
    return TestSupport::StreamFormatOf<FourCcGuid>(name, width, height, rate);
}

TEST(FormatListsTest, AspectRatioReducesEveryCommonShape) {
    EXPECT_EQ(AspectRatioText(1920, 1080), "16:9");
    EXPECT_EQ(AspectRatioText(640, 480), "4:3");
    EXPECT_EQ(AspectRatioText(352, 288), "11:9");
    EXPECT_EQ(AspectRatioText(1280, 1024), "5:4");
    EXPECT_EQ(AspectRatioText(1280, 640), "2:1");
    EXPECT_EQ(AspectRatioText(480, 640), "3:4");
    // A device reporting a zero height must not divide by it.
    EXPECT_EQ(AspectRatioText(640, 0), "640:0");
}

TEST(FormatListsTest, ResolutionClassChangesExactlyAtItsWidths) {
    EXPECT_EQ(ResolutionClassText(2047, 1080), "1080P");
    EXPECT_EQ(ResolutionClassText(2048, 1080), "2K");
    EXPECT_EQ(ResolutionClassText(3839, 2160), "2K");
    EXPECT_EQ(ResolutionClassText(3840, 2160), "4K");
    EXPECT_EQ(ResolutionClassText(7679, 4320), "4K");
    EXPECT_EQ(ResolutionClassText(7680, 4320), "8K");
}

TEST(FormatListsTest, EntryTexts) {
    EXPECT_EQ(PhotoResolutionText("MJPG", 640, 480), "0.31MP 4:3 (640 x 480)");
    EXPECT_EQ(PhotoResolutionText("YUY2", 640, 360), "0.23MP 16:9 (640 x 360)");
    EXPECT_EQ(PhotoResolutionText("H264", 1280, 720), "0.92M 16:9 (1280 x 720)");
    EXPECT_EQ(PhotoResolutionText("MJPG", 7680, 4320), "33.18MP 16:9 (7680 x 4320)");
    EXPECT_EQ(VideoResolutionText(640, 360, 30), "360P 16:9 30fps");
    EXPECT_EQ(VideoResolutionText(3840, 2160, 15), "4K 16:9 15fps");
}

TEST(FormatListsTest, EntriesOfOneFormatKeepTheCameraOrder) {
    const std::vector<Format> formats = {Entry("MJPG", 1920, 1080), Entry("H264", 1280, 720),
                                         Entry("NV12", 640, 480), Entry("MJPG", 640, 480),
                                         Entry("H264", 1920, 1080)};
    const std::vector<Format> h264 = FormatsNamed(formats, "H264");
    ASSERT_EQ(h264.size(), 2u);
    EXPECT_EQ(h264[0].width, 1280);
    EXPECT_EQ(h264[1].width, 1920);
    EXPECT_EQ(FormatsNamed(formats, "MJPG").size(), 2u);
    // Only the three listed names have entries; a name still carrying the
    // settings file's line feed has none.
    EXPECT_TRUE(FormatsNamed(formats, "NV12").empty());
    EXPECT_TRUE(FormatsNamed(formats, "MJPG\n").empty());
    EXPECT_EQ(FormatNameWithoutLineEnd("MJPG\n"), "MJPG");
    EXPECT_EQ(FormatNameWithoutLineEnd("H264\r\n"), "H264");
    EXPECT_EQ(FormatNameWithoutLineEnd("YUY2"), "YUY2");
}

TEST(FormatListsTest, TheEntryOfTheCurrentSizeAndRateIsSelected) {
    const std::vector<Format> entries = {Entry("MJPG", 640, 480, 30), Entry("MJPG", 1280, 720, 30),
                                         Entry("MJPG", 1280, 720, 15)};
    EXPECT_EQ(MatchingResolution(entries, 1280, 720, 30), 1);
    EXPECT_EQ(MatchingResolution(entries, 1280, 720, 15), 2);
    // A rate that matches no entry: the last entry of the size.
    EXPECT_EQ(MatchingResolution(entries, 1280, 720, 0), 2);
    EXPECT_EQ(MatchingResolution(entries, 640, 480, 0), 0);
    EXPECT_EQ(MatchingResolution(entries, 480, 640, 30), -1);
}

TEST(FormatListsTest, ApplySavesOnlyPositionsInsideTheFormatsEntries) {
    const std::vector<Format> formats = {Entry("MJPG", 640, 480), Entry("YUY2", 320, 240),
                                         Entry("MJPG", 1920, 1080)};
    AppSettings saved{};
    saved.PhotoResolution_Width = 77;
    for (auto [photo, video] : {std::pair{-1, 0}, {0, -1}, {2, 0}, {0, 2}}) {
        EXPECT_FALSE(ChooseSavedSettings(formats, "MJPG", photo, video, saved));
    }
    EXPECT_FALSE(ChooseSavedSettings(formats, "H264", 0, 0, saved));
    EXPECT_EQ(saved.PhotoResolution_Width, 77);

    ASSERT_TRUE(ChooseSavedSettings(formats, "MJPG", 1, 0, saved));
    EXPECT_EQ(saved.PhotoResolution_Width, 1920);
    EXPECT_EQ(saved.PhotoResolution_Height, 1080);
    EXPECT_EQ(saved.VideoResolution_Width, 640);
    EXPECT_EQ(saved.VideoResolution_Height, 480);
    EXPECT_STREQ(saved.FileFormat, "MJPG");
    EXPECT_STREQ(saved.Language, "");
}

TEST(FormatListsTest, RefreshRatePositions) {
    EXPECT_EQ(RefreshRatePosition(2), 1);
    EXPECT_EQ(RefreshRatePosition(1), 0);
    EXPECT_EQ(RefreshRatePosition(0), 0);
    EXPECT_EQ(PowerLineFrequencyAt(0), 1);
    EXPECT_EQ(PowerLineFrequencyAt(1), 2);
    EXPECT_EQ(PowerLineFrequencyAt(-1), 0);
    EXPECT_EQ(PowerLineFrequencyAt(2), 0);
}

} // namespace
