// Cameras beyond the three listed formats, end to end on the synthetic
// camera: uncompressed pixel formats (NV12, I420, IYUV, YV12, UYVY, bottom-up
// RGB24 and RGB32) shown, photographed and recorded right way up in their
// colours; capabilities announced with a VIDEOINFOHEADER2; and a camera that
// lists its slower frame rate first.
#include <windows.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Core/CameraRegistry.h"
#include "Core/OrvanaCamera.h"
#include "app/FormatSwitch.h"
#include "capture/CaptureEngine.h"
#include "preview/LivePreview.h"
#include "tests/support/MessagePump.h"
#include "tests/win32/CameraTestSupport.h"
#include "tests/win32/ColourBars.h"
#include "tests/win32/EngineTestSupport.h"
#include "tests/win32/MediaProbe.h"
#include "tests/win32/MediaTestEnvironment.h"
#include "tools/testdevices/TestDeviceControl.h"

namespace {

using ColourBars::ShowsColourBars;
using ColourBars::Snapshot;
using TestDevices::VideoFormat;
using TestDevices::VideoSubtype;
using TestSupport::Pump;
using TestSupport::WaitFor;

CaptureEngine& Engine() {
    return EngineTest::EngineWithPreview("FormatsTestParent");
}

std::string Describe(const VideoFormat& format) {
    std::string name = TestDevices::SubtypeName(format.subtype);
    name += "_" + std::to_string(format.width) + "x" + std::to_string(format.height);
    return format.videoInfo2 ? name + "_VIH2" : name;
}

} // namespace

namespace TestDevices {
// Names the camera format in failure messages.
void PrintTo(const VideoFormat& format, std::ostream* out) {
    *out << Describe(format);
}
} // namespace TestDevices

namespace {

// The camera's format as the capture side sees it.
struct Current {
    StreamFormat format{};
    int frameRate = -1;
};

Current CurrentOf(OrvanaCamera& camera) {
    Current current;
    EXPECT_EQ(camera.GetCurrentFormat(current.format, current.frameRate), 0);
    return current;
}

class Formats : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EngineTest::ReadyWithDefaultDevices(Engine())); }

    void TearDown() override {
        Engine().StopRecording();
        Engine().WaitForFinishedRecordings(60000);
        CameraTest::ResetRegistry();
        TestDevices::ResetConfiguration();
    }

    // One camera whose capture pin offers these formats (the first active),
    // and no microphone, opened as the program opens it.
    OrvanaCamera* Open(std::vector<VideoFormat> capturePin) {
        TestDevices::Configuration configuration = TestDevices::DefaultConfiguration();
        configuration.cameras[0].capturePin = std::move(capturePin);
        configuration.microphones.clear();
        EXPECT_TRUE(TestDevices::SaveConfiguration(configuration));
        CameraTest::Enumeration found = CameraTest::EnumerateAndMerge();
        CameraRegistry& registry = CameraRegistry::Instance();
        if (found.cameraCount != 1 || registry.Cameras().empty()) {
            ADD_FAILURE() << "the camera is not enumerated";
            return nullptr;
        }
        OrvanaCamera* camera = registry.Cameras().front();
        registry.SelectCamera(camera, nullptr, nullptr);
        return camera;
    }

    // Pictures of that size keep coming; then the latest shows the bars.
    static ::testing::AssertionResult PictureShowsBars(int width, int height) {
        CaptureEngine& engine = Engine();
        const uint64_t decoded = engine.DecodedFrames();
        if (!WaitFor([&] {
                return engine.DecodedFrames() >= decoded + 5 && engine.PictureWidth() == width &&
                       engine.PictureHeight() == height;
            })) {
            return ::testing::AssertionFailure()
                   << "no pictures of " << width << "x" << height << " decoded ("
                   << engine.DecodedFrames() - decoded << " pictures, the last "
                   << engine.PictureWidth() << "x" << engine.PictureHeight() << ")";
        }
        Pump(100);
        const ColourBars::Picture picture = Snapshot();
        if (picture.width != width || picture.height != height) {
            return ::testing::AssertionFailure()
                   << "the picture is " << picture.width << "x" << picture.height;
        }
        return ShowsColourBars(picture);
    }
};

class FormatsOnlyOne : public Formats, public ::testing::WithParamInterface<VideoFormat> {};

// A camera (or capture card) that offers one uncompressed format only: no
// list entry, yet a picture in the preview, a photo and a recording.
TEST_P(FormatsOnlyOne, IsShownPhotographedAndRecordedRightWayUpInItsColours) {
    const VideoFormat format = GetParam();
    OrvanaCamera* camera = Open({format});
    ASSERT_NE(camera, nullptr);
    ASSERT_TRUE(camera->opened);
    EXPECT_TRUE(camera->running) << "the graph does not run";
    // The lists show only what the panel offers.
    EXPECT_TRUE(camera->formats.empty());
    ASSERT_TRUE(PictureShowsBars(format.width, format.height));

    // On screen: the renderer fills the preview window.
    CaptureEngine& engine = Engine();
    const uint64_t presented = engine.PresentedFrames();
    ASSERT_TRUE(WaitFor([&] { return engine.PresentedFrames() >= presented + 2; }));
    HWND preview = LivePreview::Current()->Window();
    ::testing::AssertionResult shown = ColourBars::ScreenShowsColourBars(preview);
    for (int look = 0; look < 30 && !shown; ++look) {
        Pump(100);
        shown = ColourBars::ScreenShowsColourBars(preview);
    }
    EXPECT_TRUE(shown) << "on screen";

    const std::string name = Describe(format);
    const uint64_t photos = engine.PhotosWritten();
    ASSERT_TRUE(engine.TakePhotoTo(MediaProbe::WindowsPath(name + ".jpg")));
    ASSERT_TRUE(WaitFor([&] { return engine.PhotosWritten() > photos; }));
    EXPECT_TRUE(
        ColourBars::RgbShowsColourBars(MediaProbe::Rgb(name + ".jpg"), format.width, format.height))
        << "the photo";

    ASSERT_TRUE(EngineTest::RecordCurrentCamera(engine, MediaProbe::WindowsPath(name + ".mp4")));
    Pump(1500);
    EXPECT_TRUE(engine.StopRecording());
    ASSERT_TRUE(engine.WaitForFinishedRecordings(60000));
    EXPECT_TRUE(ColourBars::RgbShowsColourBars(MediaProbe::Rgb(name + ".mp4", "-ss 0.5"),
                                               format.width, format.height))
        << "the recording";
}

INSTANTIATE_TEST_SUITE_P(Uncompressed, FormatsOnlyOne,
                         ::testing::Values(VideoFormat{VideoSubtype::NV12, 640, 480, 30},
                                           VideoFormat{VideoSubtype::I420, 640, 480, 30},
                                           VideoFormat{VideoSubtype::IYUV, 320, 240, 30},
                                           VideoFormat{VideoSubtype::YV12, 640, 480, 30},
                                           VideoFormat{VideoSubtype::UYVY, 640, 480, 30},
                                           VideoFormat{VideoSubtype::RGB24, 640, 480, 30},
                                           // Rows of 966 bytes, padded to 968.
                                           VideoFormat{VideoSubtype::RGB24, 322, 240, 30},
                                           VideoFormat{VideoSubtype::RGB32, 640, 360, 30},
                                           VideoFormat{VideoSubtype::NV12, 640, 360, 30, true},
                                           VideoFormat{VideoSubtype::RGB24, 640, 480, 30, true}),
                         [](const ::testing::TestParamInfo<VideoFormat>& info) {
                             return Describe(info.param);
                         });

// A camera that lists 15 fps before 30 fps for a size and subtype runs at 30,
// when opened and when switched to a format for a photo or a recording.
TEST_F(Formats, SlowerRateListedFirstRunsAtTheFastest) {
    OrvanaCamera* camera = Open({{VideoSubtype::MJPG, 640, 480, 15},
                                 {VideoSubtype::MJPG, 640, 480, 30},
                                 {VideoSubtype::YUY2, 320, 240, 15},
                                 {VideoSubtype::YUY2, 320, 240, 30}});
    ASSERT_NE(camera, nullptr);
    ASSERT_TRUE(camera->running);
    Current current = CurrentOf(*camera);
    EXPECT_STREQ(current.format.subtypeName, "MJPG");
    EXPECT_EQ(current.format.width, 640);
    EXPECT_EQ(current.frameRate, 30);
    ASSERT_TRUE(PictureShowsBars(640, 480));
    const uint64_t decoded = Engine().DecodedFrames();
    Pump(2000);
    EXPECT_GE(Engine().DecodedFrames() - decoded, 40u) << "pictures in two seconds";

    EXPECT_EQ(SwitchCameraFormat(camera, "YUY2", 320, 240), FormatSwitch::Switched);
    current = CurrentOf(*camera);
    EXPECT_STREQ(current.format.subtypeName, "YUY2");
    EXPECT_EQ(current.format.width, 320);
    EXPECT_EQ(current.frameRate, 30);
    ASSERT_TRUE(PictureShowsBars(320, 240));
    // Asked again, the camera already runs at its best: nothing to switch.
    EXPECT_EQ(SwitchCameraFormat(camera, "YUY2", 320, 240), FormatSwitch::Kept);
}

// Capabilities announced with a VIDEOINFOHEADER2 are listed and applied like
// those with a VIDEOINFOHEADER.
TEST_F(Formats, VideoInfo2AnnouncementsAreListedAndApplied) {
    OrvanaCamera* camera = Open({{VideoSubtype::MJPG, 640, 480, 30, true},
                                 {VideoSubtype::YUY2, 320, 240, 30, true},
                                 {VideoSubtype::H264, 640, 360, 30, true}});
    ASSERT_NE(camera, nullptr);
    ASSERT_EQ(camera->formats.size(), 3u);
    const char* names[] = {"MJPG", "YUY2", "H264"};
    const int widths[] = {640, 320, 640};
    for (int i = 0; i < 3; ++i) {
        EXPECT_STREQ(camera->formats[i].subtypeName, names[i]) << i;
        EXPECT_EQ(camera->formats[i].width, widths[i]) << i;
        EXPECT_EQ(camera->formats[i].frameRate, 30) << i;
    }
    EXPECT_STREQ(camera->currentFormat.subtypeName, "MJPG");
    ASSERT_TRUE(PictureShowsBars(640, 480));
    ASSERT_EQ(camera->SetFormat(0, 1), 0);
    EXPECT_STREQ(CurrentOf(*camera).format.subtypeName, "YUY2");
    ASSERT_TRUE(PictureShowsBars(320, 240));
}

// A pin that starts at a format the lists do not show keeps it and is shown;
// the lists hold the formats they show, and switching to one of them works.
TEST_F(Formats, PinStartingAtAnUnlistedFormatIsShownAndSwitchesToAListedOne) {
    OrvanaCamera* camera =
        Open({{VideoSubtype::NV12, 640, 480, 30}, {VideoSubtype::MJPG, 320, 240, 30}});
    ASSERT_NE(camera, nullptr);
    ASSERT_EQ(camera->formats.size(), 1u);
    EXPECT_STREQ(camera->formats[0].subtypeName, "MJPG");
    ASSERT_TRUE(camera->running);
    ASSERT_TRUE(PictureShowsBars(640, 480));
    EXPECT_EQ(SwitchCameraFormat(camera, "MJPG", 320, 240), FormatSwitch::Switched);
    ASSERT_TRUE(PictureShowsBars(320, 240));
}

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new MediaTestEnvironment());

} // namespace
