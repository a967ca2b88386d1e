// Format-list rules: frame rates from frame intervals, which capabilities a
// pin keeps, the flat list with pin positions, the pin a graph uses and the
// entry a size and subtype stand for.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Core/FormatRules.h"
#include "tests/support/StreamFormats.h"

namespace {

using TestSupport::FourCc;
using TestSupport::FourCcGuid;

const FourCcGuid kMjpg{FourCc("MJPG")};
const FourCcGuid kYuy2{FourCc("YUY2")};
const FourCcGuid kH264{FourCc("H264")};
const FourCcGuid kNv12{FourCc("NV12")};

using Format = BasicStreamFormat<FourCcGuid>;
using Group = BasicPinFormatGroup<FourCcGuid>;

constexpr int64_t k30Fps = 333333;

bool Add(Group& group, SubtypeKind kind, int32_t width, int32_t height, int64_t interval = k30Fps) {
    const FourCcGuid guid = kind == SubtypeKind::Mjpg   ? kMjpg
                            : kind == SubtypeKind::Yuy2 ? kYuy2
                            : kind == SubtypeKind::H264 ? kH264
                                                        : kNv12;
    return AddCapability(group, kind, guid, width, height, interval);
}

Group GroupWith(bool hasH264, int entries) {
    Group group;
    for (int i = 0; i < entries; ++i) {
        Add(group, hasH264 ? SubtypeKind::H264 : SubtypeKind::Mjpg, 640 + i, 480);
    }
    return group;
}

} // namespace

TEST(FrameRateTest, TruncatesTowardZero) {
    EXPECT_EQ(FrameRateFromInterval(333667), 29u);
    EXPECT_EQ(FrameRateFromInterval(333333), 30u);
    EXPECT_EQ(FrameRateFromInterval(166666), 60u);
    EXPECT_EQ(FrameRateFromInterval(400000), 25u);
    EXPECT_EQ(FrameRateFromInterval(10000000), 1u);
    EXPECT_EQ(FrameRateFromInterval(20000000), 0u);
}

TEST(FrameRateTest, MissingOrNegativeIntervalGivesZeroRate) {
    EXPECT_EQ(FrameRateFromInterval(0), 0u);
    EXPECT_EQ(FrameRateFromInterval(-333333), 0u);
    EXPECT_EQ(StoredFrameRate(0), 0u);
}

TEST(FrameRateTest, StoredRateKeepsLowEightBits) {
    // 10,000,000 / 20,000 = 500 frames per second; 500 mod 256 = 244.
    EXPECT_EQ(FrameRateFromInterval(20000), 500u);
    EXPECT_EQ(StoredFrameRate(20000), 244u);
    EXPECT_EQ(FrameRateFromInterval(1), 10000000u);
}

TEST(PinGroupTest, H264DropsLaterMjpgAndYuy2OfThatPin) {
    Group group;
    EXPECT_TRUE(Add(group, SubtypeKind::Mjpg, 1920, 1080));
    EXPECT_TRUE(Add(group, SubtypeKind::H264, 1920, 1080));
    EXPECT_FALSE(Add(group, SubtypeKind::Yuy2, 640, 480));
    EXPECT_FALSE(Add(group, SubtypeKind::Mjpg, 640, 480));
    EXPECT_TRUE(Add(group, SubtypeKind::H264, 640, 480));

    EXPECT_TRUE(group.hasH264);
    ASSERT_EQ(group.pinFormats.size(), 3u);
    EXPECT_STREQ(group.pinFormats[0].subtypeName, "MJPG");
    EXPECT_EQ(group.pinFormats[0].width, 1920);
    EXPECT_EQ(group.pinFormats[0].height, 1080);
    EXPECT_EQ(group.pinFormats[0].frameRate, 30);
    EXPECT_TRUE(group.pinFormats[0].subtype == kMjpg);
    EXPECT_STREQ(group.pinFormats[1].subtypeName, "H264");
    EXPECT_TRUE(group.pinFormats[1].subtype == kH264);
    EXPECT_EQ(group.pinFormats[2].width, 640);
}

TEST(PinGroupTest, ZeroSizedH264StillMarksThePin) {
    Group group;
    EXPECT_FALSE(Add(group, SubtypeKind::H264, 0, 1080));
    EXPECT_TRUE(group.hasH264);
    EXPECT_FALSE(Add(group, SubtypeKind::Mjpg, 640, 480));
    EXPECT_TRUE(group.pinFormats.empty());
}

TEST(PinGroupTest, OtherSubtypesAndEmptySizesAreNeverKept) {
    Group group;
    EXPECT_FALSE(Add(group, SubtypeKind::Other, 640, 480));
    EXPECT_FALSE(Add(group, SubtypeKind::Other, 4096, 2160));
    EXPECT_FALSE(Add(group, SubtypeKind::Mjpg, 0, 480));
    EXPECT_FALSE(Add(group, SubtypeKind::Yuy2, 640, 0));
    EXPECT_TRUE(group.pinFormats.empty());
    EXPECT_FALSE(group.hasH264);
    EXPECT_TRUE(Add(group, SubtypeKind::Yuy2, 640, 480));
    EXPECT_STREQ(group.pinFormats[0].subtypeName, "YUY2");
}

TEST(PinGroupTest, CapabilityWithoutIntervalIsKeptWithRateZero) {
    Group group;
    EXPECT_TRUE(Add(group, SubtypeKind::Mjpg, 640, 480, 0));
    ASSERT_EQ(group.pinFormats.size(), 1u);
    EXPECT_EQ(group.pinFormats[0].frameRate, 0);
}

TEST(PinGroupTest, SameSizeAtTwoRatesStaysTwice) {
    Group group;
    Add(group, SubtypeKind::Mjpg, 640, 480, 333333);
    Add(group, SubtypeKind::Mjpg, 640, 480, 666666);
    ASSERT_EQ(group.pinFormats.size(), 2u);
    EXPECT_EQ(group.pinFormats[0].frameRate, 30);
    EXPECT_EQ(group.pinFormats[1].frameRate, 15);
}

TEST(FlattenGroupsTest, EntriesFollowGroupOrderWithPinPositions) {
    std::vector<Group> groups(2);
    Add(groups[0], SubtypeKind::Mjpg, 640, 480);
    Add(groups[0], SubtypeKind::Mjpg, 1280, 720);
    Add(groups[1], SubtypeKind::Mjpg, 640, 480);
    Add(groups[1], SubtypeKind::Mjpg, 1280, 720);

    const std::vector<Format> formats = FlattenGroups(groups);
    ASSERT_EQ(formats.size(), 4u);
    const int expectedPins[] = {0, 0, 1, 1};
    const int expectedWidths[] = {640, 1280, 640, 1280};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(formats[i].pinIndex, expectedPins[i]) << i;
        EXPECT_EQ(formats[i].width, expectedWidths[i]) << i;
    }
    // The groups' own entries keep no pin position.
    EXPECT_EQ(groups[1].pinFormats[0].pinIndex, 0);
}

TEST(ChooseBuildGroupTest, OpeningPrefersFirstPinWithoutH264) {
    std::vector<Group> groups;
    groups.push_back(GroupWith(true, 1));
    groups.push_back(GroupWith(false, 1));
    groups.push_back(GroupWith(false, 1));
    EXPECT_EQ(ChooseBuildGroup(groups, false, 0), 1);
}

TEST(ChooseBuildGroupTest, OpeningWithOnlyH264PinsTakesTheLast) {
    std::vector<Group> groups;
    groups.push_back(GroupWith(true, 1));
    groups.push_back(GroupWith(true, 1));
    EXPECT_EQ(ChooseBuildGroup(groups, false, 0), 1);
    groups.resize(1);
    EXPECT_EQ(ChooseBuildGroup(groups, false, 0), 0);
}

TEST(ChooseBuildGroupTest, OpenedCameraUsesThePinOfItsFormat) {
    std::vector<Group> groups;
    groups.push_back(GroupWith(false, 1));
    groups.push_back(GroupWith(true, 1));
    EXPECT_EQ(ChooseBuildGroup(groups, true, 1), 1);
    EXPECT_EQ(ChooseBuildGroup(groups, true, 0), 0);
    // A pin position the lists do not have finds no pin rather than a stray one.
    EXPECT_EQ(ChooseBuildGroup(groups, true, 2), -1);
}

TEST(ChooseBuildGroupTest, NoGroupsNoPin) {
    EXPECT_EQ(ChooseBuildGroup(std::vector<Group>(), false, 0), -1);
    EXPECT_EQ(ChooseBuildGroup(std::vector<Group>(), true, 0), -1);
}

// A camera may list 15 fps before 30 for a size: the faster entry is the one
// a format switch and a graph take, wherever it stands.
TEST(FastestFormatTest, HighestRateOfSizeAndSubtypeWinsWhereverItIsListed) {
    std::vector<Group> groups(2);
    Add(groups[0], SubtypeKind::Yuy2, 640, 480, 666666);
    Add(groups[0], SubtypeKind::Mjpg, 640, 480, 666666);
    Add(groups[0], SubtypeKind::Mjpg, 640, 480, 333333);
    Add(groups[0], SubtypeKind::Mjpg, 640, 480, 333333);
    Add(groups[1], SubtypeKind::Mjpg, 1280, 720);
    const std::vector<Format> formats = FlattenGroups(groups);

    const Format* match = FastestFormat(formats, 640, 480, kMjpg);
    ASSERT_NE(match, nullptr);
    EXPECT_EQ(match, &formats[2]); // the first of the two at 30
    EXPECT_EQ(match->frameRate, 30);

    match = FastestFormat(formats, 1280, 720, kMjpg);
    ASSERT_NE(match, nullptr);
    EXPECT_EQ(match->pinIndex, 1);

    EXPECT_EQ(FastestFormat(formats, 1280, 720, kYuy2), nullptr);
    EXPECT_EQ(FastestFormat(formats, 480, 640, kMjpg), nullptr);
}

// Uncompressed formats beyond the three listed ones keep their pin in the
// lists of pins (a capture card offering only NV12 is opened) without
// entering the listed formats.
TEST(PinGroupTest, UnlistedUncompressedFormatsAreKeptApartFromTheListedOnes) {
    Group group;
    EXPECT_FALSE(Add(group, SubtypeKind::Nv12, 1920, 1080));
    EXPECT_TRUE(group.pinFormats.empty());
    ASSERT_EQ(group.unlistedFormats.size(), 1u);
    EXPECT_FALSE(group.Empty());
    EXPECT_STREQ(group.unlistedFormats[0].subtypeName, "");
    EXPECT_EQ(group.unlistedFormats[0].width, 1920);
    EXPECT_EQ(group.unlistedFormats[0].frameRate, 30);
    EXPECT_TRUE(FlattenGroups(std::vector<Group>{group}).empty());

    EXPECT_FALSE(AddCapability(group, SubtypeKind::Rgb24, kNv12, 640, 480, k30Fps, true));
    EXPECT_TRUE(group.unlistedFormats.back().bottomUp);
    // Subtypes no picture is made of, and empty sizes, stay out of both.
    EXPECT_FALSE(Add(group, SubtypeKind::Other, 640, 480));
    EXPECT_FALSE(Add(group, SubtypeKind::Nv12, 0, 480));
    EXPECT_EQ(group.unlistedFormats.size(), 2u);
    EXPECT_TRUE(Group().Empty());
}

TEST(StreamFormatTest, NewRecordIsZeroed) {
    const Format format;
    EXPECT_EQ(format.width, 0);
    EXPECT_EQ(format.height, 0);
    EXPECT_EQ(format.pinIndex, 0);
    EXPECT_EQ(format.frameRate, 0);
    EXPECT_STREQ(format.subtypeName, "");
    EXPECT_TRUE(format.subtype == FourCcGuid{});
}

TEST(CopyPinIdTest, CopiesAndZeroFills) {
    wchar_t pinId[kPinIdLength];
    std::memset(pinId, 0x55, sizeof(pinId));
    ASSERT_TRUE(CopyPinId(pinId, L"Capture"));
    EXPECT_EQ(std::wstring(pinId), L"Capture");
    for (std::size_t i = 7; i < kPinIdLength; ++i) {
        EXPECT_EQ(pinId[i], L'\0') << i;
    }
}

TEST(CopyPinIdTest, LongestIdentifierThatFits) {
    wchar_t pinId[kPinIdLength];
    const std::wstring id(kPinIdLength - 1, L'p');
    ASSERT_TRUE(CopyPinId(pinId, id.c_str()));
    EXPECT_EQ(std::wstring(pinId), id);
}

TEST(CopyPinIdTest, TooLongOrMissingIdentifierIsRefusedAndLeavesZeros) {
    wchar_t pinId[kPinIdLength];
    const std::wstring id(kPinIdLength, L'p');
    std::memset(pinId, 0x55, sizeof(pinId));
    EXPECT_FALSE(CopyPinId(pinId, id.c_str()));
    for (std::size_t i = 0; i < kPinIdLength; ++i) {
        EXPECT_EQ(pinId[i], L'\0') << i;
    }
    EXPECT_FALSE(CopyPinId(pinId, nullptr));
}
