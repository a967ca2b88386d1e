// A camera's format lists, the pin its graph is built on, format switches
// and the samples that reach the frame callback, on the synthetic devices.
#include "tests/support/MessagePump.h"
#include "tests/win32/CameraTestSupport.h"
#include "tools/testdevices/TestDeviceControl.h"

#include <dvdmedia.h>
#include <uuids.h>

#include "Core/MediaTypes.h"
#include "tests/support/DirectShowFormats.h"

using namespace CameraTest;
using TestSupport::MediaTypeOver;
using TestSupport::Pump;
using TestSupport::VideoInfoOf;

namespace {

class StreamFormatTest : public DeviceTest {
protected:
    // One camera with the given pins, opened.
    OrvanaCamera* OpenCamera(std::vector<VideoFormat> capturePin,
                             std::vector<VideoFormat> secondPin = {},
                             std::vector<VideoFormat> stillPin = {},
                             bool secondPinIsPreview = false) {
        Configuration configuration;
        CameraConfig camera = Camera(1, std::move(capturePin));
        camera.secondPin = std::move(secondPin);
        camera.stillPin = std::move(stillPin);
        camera.secondPinIsPreview = secondPinIsPreview;
        configuration.cameras.push_back(camera);
        EXPECT_TRUE(TestDevices::SaveConfiguration(configuration));
        return OpenFirstCamera();
    }

    static ::testing::AssertionResult CurrentFormatIs(OrvanaCamera& camera, const char* name,
                                                      int width, int height, int frameRate) {
        StreamFormat format;
        std::memcpy(format.subtypeName, "none", 5);
        int rate = -1;
        if (camera.GetCurrentFormat(format, rate) != 0) {
            return ::testing::AssertionFailure() << "the camera tells no current format";
        }
        if (std::strcmp(format.subtypeName, name) != 0 || format.width != width ||
            format.height != height || rate != frameRate) {
            return ::testing::AssertionFailure()
                   << "current format " << format.subtypeName << " " << format.width << "x"
                   << format.height << "@" << rate << ", expected " << name << " " << width << "x"
                   << height << "@" << frameRate;
        }
        return ::testing::AssertionSuccess();
    }
};

const VideoFormat kMjpg480{VideoSubtype::MJPG, 640, 480, 30};
const VideoFormat kMjpg720{VideoSubtype::MJPG, 1280, 720, 30};
const VideoFormat kYuy2_480{VideoSubtype::YUY2, 640, 480, 30};
const VideoFormat kYuy2_720{VideoSubtype::YUY2, 1280, 720, 30};
const VideoFormat kYuy2_720_15{VideoSubtype::YUY2, 1280, 720, 15};
const VideoFormat kH264_480{VideoSubtype::H264, 640, 480, 30};
const VideoFormat kH264_1080{VideoSubtype::H264, 1920, 1080, 30};

} // namespace

TEST_F(StreamFormatTest, StandardCameraListsEveryFormatOfItsPin) {
    OrvanaCamera* camera = OpenCamera(TestDevices::StandardVideoFormats());
    ASSERT_NE(camera, nullptr);
    ASSERT_TRUE(camera->opened);
    ASSERT_EQ(camera->pinGroups.size(), 1u);
    EXPECT_TRUE(camera->pinGroups[0].hasH264);
    // MJPG and YUY2 come before H264 on this pin, so all eighteen stay.
    const std::vector<VideoFormat> standard = TestDevices::StandardVideoFormats();
    ASSERT_EQ(camera->formats.size(), standard.size());
    for (size_t i = 0; i < standard.size(); ++i) {
        const StreamFormat& format = camera->formats[i];
        EXPECT_STREQ(format.subtypeName, TestDevices::SubtypeName(standard[i].subtype)) << i;
        EXPECT_EQ(format.width, standard[i].width) << i;
        EXPECT_EQ(format.height, standard[i].height) << i;
        EXPECT_EQ(format.frameRate, standard[i].fps) << i;
        EXPECT_EQ(format.pinIndex, 0) << i;
        EXPECT_TRUE(IsEqualGUID(format.subtype, TestDevices::SubtypeGuid(standard[i].subtype)));
    }
    EXPECT_TRUE(IsEqualGUID(camera->formats.back().subtype, kMediaSubtypeH264));
    // The pin's active format is the first one: MJPG 640 x 480 at 30.
    EXPECT_STREQ(camera->currentFormat.subtypeName, "MJPG");
    EXPECT_EQ(camera->currentFormat.width, 640);
    EXPECT_EQ(camera->currentFormat.frameRate, 30);
    EXPECT_TRUE(CurrentFormatIs(*camera, "MJPG", 640, 480, 30));
}

TEST_F(StreamFormatTest, H264FirstDropsTheLaterFormatsOfThatPin) {
    OrvanaCamera* camera = OpenCamera({kMjpg720, kH264_1080, kYuy2_480, kMjpg480, kH264_480});
    ASSERT_NE(camera, nullptr);
    ASSERT_EQ(camera->formats.size(), 3u);
    EXPECT_STREQ(camera->formats[0].subtypeName, "MJPG");
    EXPECT_EQ(camera->formats[0].width, 1280);
    EXPECT_STREQ(camera->formats[1].subtypeName, "H264");
    EXPECT_EQ(camera->formats[1].width, 1920);
    EXPECT_STREQ(camera->formats[2].subtypeName, "H264");
    EXPECT_EQ(camera->formats[2].width, 640);
    // The only pin is used although it has H264; it starts in MJPG 1280 x 720.
    EXPECT_TRUE(camera->running);
    EXPECT_TRUE(CurrentFormatIs(*camera, "MJPG", 1280, 720, 30));
}

TEST_F(StreamFormatTest, OnlyH264PinIsUsed) {
    OrvanaCamera* camera = OpenCamera({kH264_480, kMjpg480});
    ASSERT_NE(camera, nullptr);
    ASSERT_EQ(camera->formats.size(), 1u);
    EXPECT_TRUE(camera->graphBuilt);
    EXPECT_TRUE(camera->running);
    EXPECT_STREQ(camera->currentFormat.subtypeName, "H264");
    Pump(500);
    EXPECT_GT(Samples().samples.load(), 0);
    EXPECT_EQ(Samples().jpegSamples.load(), 0);
}

TEST_F(StreamFormatTest, StillPinNeverContributes) {
    OrvanaCamera* camera = OpenCamera({kMjpg480}, {}, {kYuy2_720, kH264_1080});
    ASSERT_NE(camera, nullptr);
    ASSERT_EQ(camera->pinGroups.size(), 1u);
    ASSERT_EQ(camera->formats.size(), 1u);
    EXPECT_STREQ(camera->formats[0].subtypeName, "MJPG");
    EXPECT_FALSE(camera->pinGroups[0].hasH264);
    EXPECT_TRUE(camera->running);
}

TEST_F(StreamFormatTest, PreviewPinRepeatsTheSizesWithItsOwnPosition) {
    OrvanaCamera* camera = OpenCamera({kMjpg480, kMjpg720}, {kMjpg480, kMjpg720}, {}, true);
    ASSERT_NE(camera, nullptr);
    ASSERT_EQ(camera->pinGroups.size(), 2u);
    EXPECT_NE(std::wstring(camera->pinGroups[0].pinId), std::wstring(camera->pinGroups[1].pinId));
    ASSERT_EQ(camera->formats.size(), 4u);
    const int pins[] = {0, 0, 1, 1};
    const int widths[] = {640, 1280, 640, 1280};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(camera->formats[i].pinIndex, pins[i]) << i;
        EXPECT_EQ(camera->formats[i].width, widths[i]) << i;
    }
}

TEST_F(StreamFormatTest, FirstPinWithoutH264IsOpenedAndSetFormatMovesToTheOtherPin) {
    OrvanaCamera* camera = OpenCamera({kH264_1080, kH264_480}, {kYuy2_480, kMjpg720});
    ASSERT_NE(camera, nullptr);
    ASSERT_EQ(camera->pinGroups.size(), 2u);
    EXPECT_TRUE(camera->pinGroups[0].hasH264);
    EXPECT_FALSE(camera->pinGroups[1].hasH264);
    ASSERT_EQ(camera->formats.size(), 4u);
    // Opening takes the second pin, whose active format is YUY2 640 x 480.
    ASSERT_TRUE(camera->running);
    EXPECT_EQ(camera->currentFormat.pinIndex, 1);
    EXPECT_TRUE(CurrentFormatIs(*camera, "YUY2", 640, 480, 30));
    Pump(500);
    EXPECT_GT(Samples().samples.load(), 0);
    EXPECT_EQ(Samples().lastLength.load(), 640 * 480 * 2);

    // The H264 entry lives on the first pin: the graph is rebuilt there.
    const int h264 = IndexOf(*camera, "H264", 640, 480, 30);
    ASSERT_EQ(h264, 1);
    ASSERT_EQ(camera->SetFormat(0, h264), 0);
    EXPECT_TRUE(camera->running);
    EXPECT_EQ(camera->currentFormat.pinIndex, 0);
    EXPECT_TRUE(CurrentFormatIs(*camera, "H264", 640, 480, 30));
    Samples().Reset();
    Pump(500);
    EXPECT_GT(Samples().samples.load(), 0);
    EXPECT_NE(Samples().lastLength.load(), 640 * 480 * 2);

    // And back to the second pin.
    ASSERT_EQ(camera->SetFormat(0, IndexOf(*camera, "MJPG", 1280, 720, 30)), 0);
    EXPECT_EQ(camera->currentFormat.pinIndex, 1);
    EXPECT_TRUE(CurrentFormatIs(*camera, "MJPG", 1280, 720, 30));
}

TEST_F(StreamFormatTest, MjpgSamplesReachTheFrameCallbackThenYuy2AfterTheSwitch) {
    OrvanaCamera* camera = OpenCamera(TestDevices::StandardVideoFormats());
    ASSERT_NE(camera, nullptr);
    ASSERT_TRUE(camera->running);
    EXPECT_EQ(camera->sampleSink.load(), &Samples());
    Pump(2000);
    EXPECT_GE(Samples().samples.load(), 50);
    EXPECT_GE(Samples().jpegSamples.load(), 50);

    const int yuy2 = IndexOf(*camera, "YUY2", 1280, 720, 30);
    ASSERT_GE(yuy2, 0);
    const size_t formatCount = camera->formats.size();
    ASSERT_EQ(camera->SetFormat(0, yuy2), 0);
    EXPECT_TRUE(camera->running);
    EXPECT_TRUE(camera->opened);
    EXPECT_EQ(camera->formats.size(), formatCount);
    EXPECT_TRUE(CurrentFormatIs(*camera, "YUY2", 1280, 720, 30));
    Samples().Reset(1280 * 720 * 2);
    Pump(1000);
    EXPECT_GT(Samples().samples.load(), 10);
    EXPECT_EQ(Samples().wrongLength.load(), 0);
    EXPECT_EQ(Samples().lastLength.load(), 1843200);
    EXPECT_EQ(Samples().jpegSamples.load(), 0);
}

TEST_F(StreamFormatTest, SwitchAppliesTheFastestCapabilityOfThatSizeAndSubtype) {
    OpenCamera({kMjpg480, kYuy2_720, kYuy2_720_15});
    OrvanaCamera* camera = CameraRegistry::Instance().Cameras().at(0);
    const int slow = IndexOf(*camera, "YUY2", 1280, 720, 15);
    ASSERT_EQ(slow, 2);
    ASSERT_EQ(camera->SetFormat(0, slow), 0);
    // Nothing the user chooses names a rate: the 30 fps capability is applied.
    EXPECT_EQ(camera->currentFormat.frameRate, 15);
    EXPECT_TRUE(CurrentFormatIs(*camera, "YUY2", 1280, 720, 30));
}

TEST_F(StreamFormatTest, SetFormatRefusesClosedCamerasAndIndexesOutOfRange) {
    OrvanaCamera* camera = OpenCamera({kMjpg480, kYuy2_720});
    ASSERT_NE(camera, nullptr);
    const StreamFormat before = camera->currentFormat;
    EXPECT_EQ(camera->SetFormat(0, static_cast<unsigned>(camera->formats.size())), 1);
    EXPECT_EQ(camera->SetFormat(0, 256), 1);
    EXPECT_EQ(std::memcmp(&before, &camera->currentFormat, sizeof(StreamFormat)), 0);
    EXPECT_TRUE(camera->running);

    ASSERT_EQ(camera->Close(), 0);
    EXPECT_FALSE(camera->opened);
    EXPECT_EQ(camera->SetFormat(0, 1), 1);
    EXPECT_EQ(std::memcmp(&before, &camera->currentFormat, sizeof(StreamFormat)), 0);
    StreamFormat format;
    int rate = 77;
    EXPECT_EQ(camera->GetCurrentFormat(format, rate), 1);
    EXPECT_EQ(rate, 77);
    EXPECT_EQ(format.width, 0);
}

TEST_F(StreamFormatTest, SwitchOfAStoppedCameraLeavesItStopped) {
    OrvanaCamera* camera = OpenCamera({kMjpg480, kYuy2_720});
    ASSERT_NE(camera, nullptr);
    ASSERT_EQ(camera->Stop(), S_OK);
    EXPECT_FALSE(camera->running);
    EXPECT_TRUE(camera->graphBuilt);
    // A sample may have arrived between the start and the stop; none may after it.
    Samples().Reset();
    ASSERT_EQ(camera->SetFormat(0, 1), 0);
    EXPECT_FALSE(camera->running);
    EXPECT_TRUE(camera->graphBuilt);
    EXPECT_TRUE(CurrentFormatIs(*camera, "YUY2", 1280, 720, 30));
    Pump(300);
    EXPECT_EQ(Samples().samples.load(), 0);
}

TEST_F(StreamFormatTest, BuildWhileRunningChangesNothing) {
    OrvanaCamera* camera = OpenCamera({kMjpg480});
    ASSERT_NE(camera, nullptr);
    ASSERT_TRUE(camera->running);
    IBaseFilter* renderer = camera->nullRenderer.Get();
    EXPECT_EQ(camera->BuildGraph(nullptr, 0), 0);
    EXPECT_EQ(camera->nullRenderer.Get(), renderer);
    EXPECT_TRUE(camera->running);
}

TEST_F(StreamFormatTest, TeardownLeavesOnlyTheDevice) {
    OrvanaCamera* camera = OpenCamera({kMjpg480});
    ASSERT_NE(camera, nullptr);
    ASSERT_EQ(camera->Close(), 0);
    EXPECT_FALSE(camera->opened || camera->running || camera->graphBuilt);
    EXPECT_FALSE(camera->graph || camera->grabberFilter || camera->nullRenderer ||
                 camera->sampleGrabber || camera->captureBuilder || camera->streamConfig);
    EXPECT_TRUE(camera->captureFilter);
    EXPECT_TRUE(camera->moniker);
    EXPECT_FALSE(camera->formats.empty());
    camera->ReleaseGraphObjects();
    EXPECT_FALSE(camera->graph);

    // The capture filter is free again: it can be opened once more.
    CameraRegistry::Instance().SelectCamera(camera, nullptr, nullptr);
    EXPECT_TRUE(camera->running);
    Pump(300);
    EXPECT_GT(Samples().samples.load(), 0);
}

TEST_F(StreamFormatTest, FindFilterPinPicksByConnectionAndDirection) {
    OrvanaCamera* camera = OpenCamera({kMjpg480});
    ASSERT_NE(camera, nullptr);
    ASSERT_TRUE(camera->graphBuilt);
    Microsoft::WRL::ComPtr<IPin> pin;
    // In the built graph every grabber pin is connected.
    EXPECT_EQ(FindFilterPin(camera->grabberFilter.Get(), false, PINDIR_INPUT, &pin),
              VFW_E_NOT_FOUND);
    EXPECT_FALSE(pin);
    ASSERT_EQ(FindFilterPin(camera->grabberFilter.Get(), true, PINDIR_OUTPUT, &pin), S_OK);
    PIN_DIRECTION direction = PINDIR_INPUT;
    pin->QueryDirection(&direction);
    EXPECT_EQ(direction, PINDIR_OUTPUT);
    Microsoft::WRL::ComPtr<IPin> peer;
    EXPECT_EQ(pin->ConnectedTo(&peer), S_OK);
    ASSERT_EQ(FindFilterPin(camera->nullRenderer.Get(), true, PINDIR_INPUT, &pin), S_OK);
    EXPECT_EQ(FindFilterPin(camera->nullRenderer.Get(), false, PINDIR_OUTPUT, &pin),
              VFW_E_NOT_FOUND);
}

TEST(VideoFormatBlockTest, EachHeaderIsReadByItsOwnLayout) {
    VIDEOINFOHEADER2 block2 = VideoInfoOf<VIDEOINFOHEADER2>(1280, 720, 333667);
    AM_MEDIA_TYPE type = MediaTypeOver(FORMAT_VideoInfo2, block2);
    type.subtype = MEDIASUBTYPE_YUY2;

    VideoFormatInfo info;
    EXPECT_FALSE(ReadVideoInfo(type, info));
    ASSERT_TRUE(ReadAnyVideoInfo(type, info));
    EXPECT_EQ(info.width, 1280);
    EXPECT_EQ(info.height, 720);
    EXPECT_EQ(info.avgTimePerFrame, 333667);

    VIDEOINFOHEADER block = VideoInfoOf<VIDEOINFOHEADER>(640, 480, 166666);
    type = MediaTypeOver(FORMAT_VideoInfo, block);
    type.subtype = MEDIASUBTYPE_YUY2;
    ASSERT_TRUE(ReadVideoInfo(type, info));
    EXPECT_EQ(info.width, 640);
    EXPECT_EQ(info.avgTimePerFrame, 166666);
}

TEST(VideoFormatBlockTest, MissingOrShortBlocksAreRefused) {
    VIDEOINFOHEADER block{};
    AM_MEDIA_TYPE type = MediaTypeOver(FORMAT_VideoInfo, block);
    type.cbFormat = sizeof(block) - 1;
    VideoFormatInfo info;
    EXPECT_FALSE(ReadVideoInfo(type, info));
    type.cbFormat = sizeof(block);
    type.pbFormat = nullptr;
    EXPECT_FALSE(ReadVideoInfo(type, info));
    // A VIDEOINFOHEADER-sized block labelled VideoInfo2 is too short for that header.
    type.formattype = FORMAT_VideoInfo2;
    type.pbFormat = reinterpret_cast<BYTE*>(&block);
    EXPECT_FALSE(ReadAnyVideoInfo(type, info));
    type.formattype = FORMAT_WaveFormatEx;
    EXPECT_FALSE(ReadAnyVideoInfo(type, info));
}
