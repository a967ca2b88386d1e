// The right-hand panel and the bottom bar of the real main window on the
// synthetic cameras: what start-up and a camera change load, what the
// sliders, options and lists do to the device, Apply and Default, and the
// window's answer to cameras coming and going.
#include "tests/support/MessagePump.h"
#include "tests/win32/CameraTestSupport.h"
#include "tools/testdevices/TestDeviceControl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/CameraHost.h"
#include "app/ControlNames.h"
#include "app/ControlPanel.h"
#include "app/MainWindow.h"
#include "capture/CaptureEngine.h"
#include "capture/MonotonicClock.h"
#include "capture/OutputFolder.h"
#include "capture/recording/OutputFile.h"
#include "preview/LivePreview.h"
#include "settings/SettingsFile.h"
#include "tests/support/SimulatedDisk.h"
#include "tests/win32/EngineTestSupport.h"
#include "tests/win32/MediaProbe.h"
#include "tests/win32/MediaTestEnvironment.h"
#include "tests/win32/ProcessHandles.h"
#include "tests/win32/ProgramWindowSupport.h"
#include "ui/ComboUI.h"
#include "ui/OptionUI.h"
#include "ui/SliderUI.h"

using namespace CameraTest;
using ProgramWindow::Control;
using ProgramWindow::Window;
using TestSupport::Pump;
using TestSupport::WaitFor;

namespace {

constexpr long kBrightness = 0;
constexpr long kContrast = 1;
constexpr long kHue = 2;
constexpr long kPowerLine = 13;

Configuration ThreeCameras() {
    Configuration configuration;
    configuration.cameras.push_back(Camera(1, TestDevices::StandardVideoFormats()));
    configuration.cameras.push_back(Camera(2, {{VideoSubtype::YUY2, 320, 240, 30}}));
    configuration.cameras.push_back(
        Camera(3, {{VideoSubtype::MJPG, 640, 360, 15}, {VideoSubtype::H264, 1280, 720, 30}}));
    configuration.microphones.push_back(TestDevices::DefaultMicrophone());
    return configuration;
}

class ControlPanelTest : public ::testing::Test {
protected:
    // One window per process; ControlPanelShutdown shares it.
    static void SetUpTestSuite() { ProgramWindow::Open(ThreeCameras()); }

    // Every test starts with the three cameras arriving anew, the first
    // shown, without setting.ini, and recording on a disk of its own.
    void SetUp() override {
        CaptureEngine::Instance().WriteOn(m_disk);
        ::DeleteFileW(SettingsFilePath().c_str());
        // What earlier tests set on the cameras is not put back on new ones.
        ::DeleteFileW(CameraMemory::DefaultPath().c_str());
        // Nor the faults an earlier test gave a camera.
        for (int camera = 1; camera <= 3; ++camera) {
            TestDevices::SetFaults(PathOf(camera), TestDevices::Faults{});
        }
        ASSERT_TRUE(ProgramWindow::ArriveAnew(ThreeCameras()));
    }

    const std::shared_ptr<SimulatedDisk> m_disk = std::make_shared<SimulatedDisk>();

    static CameraRegistry& Registry() { return CameraRegistry::Instance(); }
    static ControlPanel& Panel() { return *Window()->GetControlPanel(); }
    static Ui::CComboUI* List(const char* name) { return Control<Ui::CComboUI>(name, "Combo"); }
    static Ui::CSliderUI* Slider(const char* word) {
        return Control<Ui::CSliderUI>(("id_slider_" + std::string(word)).c_str(), "Slider");
    }
    static Ui::COptionUI* Option(const char* name) {
        return Control<Ui::COptionUI>(name, "Option");
    }
    static std::string Text(const char* name) {
        return Window()->GetPaintManager().FindControl(name)->GetText().GetData();
    }
    static std::vector<std::string> Entries(const char* name) {
        std::vector<std::string> texts;
        Ui::CComboUI* list = List(name);
        for (int i = 0; list != nullptr && i < list->GetCount(); ++i) {
            texts.push_back(list->GetItemAt(i)->GetText().GetData());
        }
        return texts;
    }

    // A left click at the control's centre, shifted by dx, as real messages.
    static void Click(const char* name, int dx = 0) {
        const RECT r = Window()->GetPaintManager().FindControl(name)->GetPos();
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2 + dx, (r.top + r.bottom) / 2);
        Window()->SendMessage(WM_MOUSEMOVE, 0, at);
        Window()->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        Window()->SendMessage(WM_LBUTTONUP, 0, at);
        Pump(50);
        EXPECT_TRUE(ProgramWindow::Settle());
    }

    // The property state the device itself holds.
    static TestDevices::PropertyRange DeviceProcAmp(int camera, long property) {
        const Configuration configuration = TestDevices::LoadConfiguration();
        return configuration.cameras.at(static_cast<size_t>(camera)).procAmp[property];
    }
    // Wine's system device enumerator keeps a handle for good for each
    // enumeration of a category and for each device listed (Windows keeps
    // none): what one enumeration of the devices plugged now leaves behind,
    // which every device message's re-enumeration adds on top of the
    // program's own handles.
    static long HandlesKeptByAnEnumeration() {
        const long before = ProcessHandles::Count();
        Microsoft::WRL::ComPtr<ICreateDevEnum> devices;
        if (::CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                               IID_PPV_ARGS(&devices)) != S_OK) {
            return 0;
        }
        for (const GUID* category :
             {&CLSID_VideoInputDeviceCategory, &CLSID_AudioInputDeviceCategory}) {
            Microsoft::WRL::ComPtr<IEnumMoniker> monikers;
            if (devices->CreateClassEnumerator(*category, &monikers, 0) != S_OK) {
                continue;
            }
            Microsoft::WRL::ComPtr<IMoniker> device;
            while (monikers->Next(1, device.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
            }
        }
        return ProcessHandles::Count() - before;
    }
    // The handles an idle camera object holds (those of its capture filter).
    // A camera that leaves the registry stays alive with them.
    static long HandlesHeldByACamera() {
        OrvanaCamera* cameras[CameraRegistry::kMaxDevices] = {};
        OrvanaAudio* microphones[CameraRegistry::kMaxDevices] = {};
        int cameraCount = 0;
        int microphoneCount = 0;
        Registry().EnumerateDevices(cameras, cameraCount, microphones, microphoneCount);
        const long held = ProcessHandles::Count();
        for (int i = 0; i < cameraCount; ++i) {
            delete cameras[i];
        }
        const long freed = held - ProcessHandles::Count();
        for (int i = 0; i < microphoneCount; ++i) {
            delete microphones[i];
        }
        return cameraCount > 0 ? freed / cameraCount : 0;
    }
    // ORVANA_PLUG_CYCLES=50 gives the long form of the plug-cycle tests.
    static int PlugCycles(int fallback) {
        const char* text = ::getenv("ORVANA_PLUG_CYCLES");
        const int cycles = text != nullptr ? std::atoi(text) : 0;
        return cycles > 0 ? cycles : fallback;
    }
    static std::set<std::string> Recordings() { return EngineTest::Recordings(); }
    // Moves the one recording that is not in `before` into the probe's folder as `name`.
    static ::testing::AssertionResult TakeNewRecording(const std::set<std::string>& before,
                                                       const std::string& name) {
        // The stop returned before the file was finished in place.
        if (!CaptureEngine::Instance().WaitForFinishedRecordings(60000)) {
            return ::testing::AssertionFailure() << "no recording finished within 60 s";
        }
        std::vector<std::string> made;
        for (const std::string& path : Recordings()) {
            if (before.count(path) == 0) {
                made.push_back(path);
            }
        }
        if (made.size() != 1) {
            return ::testing::AssertionFailure() << made.size() << " new recordings, not one";
        }
        if (!::CopyFileA(made[0].c_str(), MediaProbe::WindowsPath(name).c_str(), FALSE) ||
            !::DeleteFileA(made[0].c_str())) {
            return ::testing::AssertionFailure() << "could not move " << made[0];
        }
        return ::testing::AssertionSuccess();
    }
    static StreamFormat CurrentFormat() {
        StreamFormat format{};
        int rate = 0;
        EXPECT_EQ(Registry().CurrentCamera()->GetCurrentFormat(format, rate), 0);
        return format;
    }
};

TEST_F(ControlPanelTest, ACameraLoadsItsPropertiesModesAndFormats) {
    Ui::CSliderUI* brightness = Slider("brightness");
    EXPECT_EQ(brightness->GetMinValue(), -64);
    EXPECT_EQ(brightness->GetMaxValue(), 64);
    EXPECT_TRUE(brightness->IsEnabled());
    EXPECT_EQ(Slider("zoom")->GetMinValue(), 100);
    EXPECT_EQ(Text("id_label_zoom"), "100");
    // Contrast offers both modes and runs automatically: its range and value
    // are loaded, its slider waits, its option shows automatic.
    EXPECT_EQ(Slider("contrasts")->GetValue(), 32);
    EXPECT_FALSE(Slider("contrasts")->IsEnabled());
    EXPECT_TRUE(Option("id_btn_auto_contrasts")->IsEnabled());
    EXPECT_TRUE(Option("id_btn_auto_contrasts")->IsSelected());
    EXPECT_FALSE(Option("id_btn_auto_brightness")->IsEnabled());

    EXPECT_EQ(Entries("id_combo_file_format"), (std::vector<std::string>{"MJPG", "YUY2", "H264"}));
    EXPECT_EQ(List("id_combo_file_format")->GetCurSel(), 0);
    const std::vector<std::string> video = Entries("id_combo_video_resolution");
    ASSERT_EQ(video.size(), 6u);
    EXPECT_EQ(video[0], "480P 4:3 30fps");
    EXPECT_EQ(video[5], "1080P 16:9 15fps");
    EXPECT_EQ(Entries("id_combo_photo_resolution")[2], "0.92MP 16:9 (1280 x 720)");
    // MJPG 640x480 at 30 fps runs: its own entry, not the 15 fps one.
    EXPECT_EQ(List("id_combo_video_resolution")->GetCurSel(), 0);
    EXPECT_EQ(List("id_combo_photo_resolution")->GetCurSel(), 0);
    EXPECT_EQ(Entries("id_combo_refresh_rate"),
              (std::vector<std::string>{"NTSC-50HZ", "NTSC-60HZ"}));
    EXPECT_EQ(List("id_combo_refresh_rate")->GetCurSel(), 0);
    EXPECT_TRUE(Option("id_btn_io_normal")->IsSelected());
}

TEST_F(ControlPanelTest, SlidersOptionsAndMirrorReachTheDevice) {
    // A click on the slider's right part moves it there; the release sets
    // the property in manual mode and shows the value.
    Click("id_slider_brightness", 40);
    const int value = Slider("brightness")->GetValue();
    EXPECT_GT(value, 0);
    EXPECT_EQ(DeviceProcAmp(0, kBrightness).value, value);
    EXPECT_EQ(DeviceProcAmp(0, kBrightness).flags, 2);
    EXPECT_EQ(Text("id_label_brightness"), std::to_string(value));

    Click("id_btn_auto_contrasts");
    EXPECT_EQ(DeviceProcAmp(0, kContrast).flags, 2);
    EXPECT_TRUE(Slider("contrasts")->IsEnabled());
    EXPECT_FALSE(Option("id_btn_auto_contrasts")->IsSelected());
    Click("id_btn_auto_contrasts");
    EXPECT_EQ(DeviceProcAmp(0, kContrast).flags, 1);
    EXPECT_FALSE(Slider("contrasts")->IsEnabled());

    Click("id_btn_io_mirrored");
    EXPECT_EQ(DeviceProcAmp(0, kMirrorProperty).value, 1);
    EXPECT_TRUE(Option("id_btn_io_mirrored")->IsSelected());
    EXPECT_FALSE(Option("id_btn_io_normal")->IsSelected());

    // Default puts every property back and the mirror with it.
    Click("id_btn_default");
    EXPECT_EQ(DeviceProcAmp(0, kBrightness).value, 0);
    EXPECT_EQ(Slider("brightness")->GetValue(), 0);
    EXPECT_EQ(Text("id_label_brightness"), "0");
    EXPECT_EQ(DeviceProcAmp(0, kMirrorProperty).value, 0);
    EXPECT_TRUE(Option("id_btn_io_normal")->IsSelected());
}

// A camera whose focus moves in steps of 5 (and refuses the values between):
// the slider moves in its steps from the minimum, by mouse and by wheel, and
// the label shows what the camera holds.
TEST_F(ControlPanelTest, SlidersMoveInTheCamerasStepsAndShowWhatItHolds) {
    constexpr long kFocus = 6;
    Configuration configuration = ThreeCameras();
    configuration.cameras[0].cameraControl[kFocus] = {true, 3, 253, 5, 63, 3, 63, 2};
    ASSERT_TRUE(ProgramWindow::ArriveAnew(configuration));
    Ui::CSliderUI* focus = Slider("focus");
    ASSERT_TRUE(focus->IsEnabled());
    auto deviceFocus = [] {
        return TestDevices::LoadConfiguration().cameras.at(0).cameraControl[kFocus];
    };
    for (int dx : {37, -41, 13, 60}) {
        SCOPED_TRACE("click " + std::to_string(dx) + " from the middle");
        Click("id_slider_focus", dx);
        const int value = focus->GetValue();
        EXPECT_EQ((value - 3) % 5, 0) << value;
        EXPECT_EQ(deviceFocus().value, value);
        EXPECT_EQ(deviceFocus().flags, 2);
        EXPECT_EQ(Text("id_label_focus"), std::to_string(deviceFocus().value));
    }
    // A wheel step away from the user is one of the camera's steps.
    const RECT r = focus->GetPos();
    POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::ClientToScreen(Window()->GetHWND(), &at);
    const int before = focus->GetValue();
    Window()->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(at.x, at.y));
    ASSERT_TRUE(ProgramWindow::Settle());
    EXPECT_EQ(focus->GetValue(), before + 5);
    EXPECT_EQ(deviceFocus().value, before + 5);
    EXPECT_EQ(Text("id_label_focus"), std::to_string(before + 5));
}

TEST_F(ControlPanelTest, MirrorFlipsThePictureWhereProperty9IsAGain) {
    // Most cameras have a real gain at property 9, not a switch of 0 to 1.
    Configuration configuration = ThreeCameras();
    configuration.cameras[0].procAmp[kMirrorProperty] = {true, 0, 255, 1, 64, 2, 64, 2};
    configuration.cameras[1].procAmp[kMirrorProperty] = {true, 0, 255, 1, 1, 2, 1, 2};
    ASSERT_TRUE(ProgramWindow::ArriveAnew(configuration));
    CaptureEngine& engine = CaptureEngine::Instance();
    // A photo of the next picture, as RGB.
    auto photo = [&](const char* name) {
        const uint64_t before = engine.PhotosWritten();
        EXPECT_TRUE(engine.TakePhotoTo(MediaProbe::WindowsPath(name)));
        EXPECT_TRUE(WaitFor([&] { return engine.PhotosWritten() > before; }));
        return MediaProbe::Rgb(name);
    };
    // Whether two 640 x 480 photos show the same colour bars, half-way down
    // (where no digit is), the first turned round when `mirrored`.
    auto sameBars = [](const std::vector<uint8_t>& picture, const std::vector<uint8_t>& normal,
                       bool mirrored) {
        if (picture.size() != normal.size() || picture.size() != 640u * 480u * 3u) {
            return false;
        }
        for (int x : {120, 200, 440, 520}) {
            const std::size_t row = 240u * 640u;
            const uint8_t* a = &picture[(row + static_cast<std::size_t>(x)) * 3u];
            const uint8_t* b =
                &normal[(row + static_cast<std::size_t>(mirrored ? 639 - x : x)) * 3u];
            for (int c = 0; c < 3; ++c) {
                if (std::abs(a[c] - b[c]) > 48) {
                    return false;
                }
            }
        }
        return true;
    };
    const std::vector<uint8_t> normal = photo("gain-normal.jpg");
    ASSERT_EQ(normal.size(), 640u * 480u * 3u);

    Click("id_btn_io_mirrored");
    EXPECT_EQ(DeviceProcAmp(0, kMirrorProperty).value, 64);
    EXPECT_TRUE(Option("id_btn_io_mirrored")->IsSelected());
    const std::vector<uint8_t> mirrored = photo("gain-mirrored.jpg");
    EXPECT_TRUE(sameBars(mirrored, normal, true));
    EXPECT_FALSE(sameBars(mirrored, normal, false));

    // Another camera shows its own state (a gain of 1 is no mirror); back
    // again, the options and the picture are mirrored still.
    List("id_combo_cameras")->SelectItem(1);
    ASSERT_TRUE(ProgramWindow::Settle());
    EXPECT_TRUE(Option("id_btn_io_normal")->IsSelected());
    List("id_combo_cameras")->SelectItem(0);
    ASSERT_TRUE(ProgramWindow::Settle());
    EXPECT_TRUE(Option("id_btn_io_mirrored")->IsSelected());
    EXPECT_FALSE(Option("id_btn_io_normal")->IsSelected());
    EXPECT_TRUE(sameBars(photo("gain-again.jpg"), normal, true));

    // Default turns the picture back and still leaves the gain alone.
    Click("id_btn_default");
    EXPECT_TRUE(Option("id_btn_io_normal")->IsSelected());
    EXPECT_EQ(DeviceProcAmp(0, kMirrorProperty).value, 64);
    EXPECT_TRUE(sameBars(photo("gain-default.jpg"), normal, false));
}

TEST_F(ControlPanelTest, AppliedFormatIsWhatTheNextSwitchUsesAfterARestart) {
    // The user picks H264: both resolution lists follow, first entries chosen.
    List("id_combo_file_format")->SelectItem(2);
    EXPECT_EQ(Entries("id_combo_photo_resolution")[0], "0.31M 4:3 (640 x 480)");
    EXPECT_EQ(List("id_combo_video_resolution")->GetCurSel(), 0);

    List("id_combo_file_format")->SelectItem(1);
    List("id_combo_video_resolution")->SelectItem(3);
    List("id_combo_photo_resolution")->SelectItem(4);
    List("id_combo_refresh_rate")->SelectItem(1);
    Click("id_btn_apply");

    EXPECT_EQ(DeviceProcAmp(0, kPowerLine).value, 2);
    AppSettings saved{};
    ASSERT_TRUE(LoadSettings(saved));
    EXPECT_EQ(saved.VideoResolution_Width, 1280);
    EXPECT_EQ(saved.PhotoResolution_Width, 1920);
    // Read back, the name still ends in its line feed; the switch must match
    // it all the same.
    EXPECT_STREQ(saved.FileFormat, "YUY2\n");
    // The next photo switches the camera to it (as a restart would read it).
    CurrentSettings = saved;
    Ui::CNotifyEvent click;
    click.type = "click";
    click.sender = Window()->GetPaintManager().FindControl("id_btn_photo");
    ASSERT_NE(click.sender, nullptr);
    const uint64_t photos = CaptureEngine::Instance().PhotosWritten();
    Panel().OnNotify(click);
    ASSERT_TRUE(ProgramWindow::Settle());
    EXPECT_TRUE(WaitFor([&] { return CaptureEngine::Instance().PhotosWritten() > photos; }));
    const StreamFormat current = CurrentFormat();
    EXPECT_STREQ(current.subtypeName, "YUY2");
    EXPECT_EQ(current.width, 1920);
    EXPECT_EQ(current.height, 1080);
}

// Real capture filters (Windows' kernel-streaming proxy, Wine's webcam
// filter) hold their lock in Stop while their streaming thread ends, take it
// in GetFormat, and may deliver one more sample after Stop began: the
// engine's frame handler must never wait for the filter. Camera switches,
// format switches and the closing that exit does, 100 of each, all end
// promptly with the engine taking every sample.
TEST_F(ControlPanelTest, CamerasHoldingTheirLockInStopSwitchAndCloseWithoutHanging) {
    TestDevices::Faults locked;
    locked.lockedStop = 1;
    ASSERT_TRUE(TestDevices::SetFaults(PathOf(1), locked));
    ASSERT_TRUE(TestDevices::SetFaults(PathOf(3), locked));
    Pump(300); // running filters re-read their switches four times a second
    CaptureEngine& engine = CaptureEngine::Instance();
    OrvanaCamera* first = Registry().Cameras()[0];
    OrvanaCamera* third = Registry().Cameras()[2];
    const int mjpg = IndexOf(*first, "MJPG", 640, 480, 30);
    const int yuy2 = IndexOf(*first, "YUY2", 640, 480, 30);
    ASSERT_GE(mjpg, 0);
    ASSERT_GE(yuy2, 0);
    HWND window = Window()->GetHWND();
    HangGuard guard("switching cameras that hold their lock in Stop", 90000);
    auto hundredTimes = [](const char* what, auto step) {
        DWORD longest = 0;
        const DWORD start = ::GetTickCount();
        for (int i = 0; i < 100; ++i) {
            const DWORD begun = ::GetTickCount();
            step(i);
            longest = std::max<DWORD>(longest, ::GetTickCount() - begun);
        }
        std::printf("100 %s in %.1f s, the longest %lu ms\n", what,
                    (::GetTickCount() - start) / 1000.0, static_cast<unsigned long>(longest));
        EXPECT_LT(longest, 5000u) << what;
    };
    hundredTimes("camera switches", [&](int i) {
        Registry().SelectCamera(i % 2 == 0 ? third : first, nullptr, window);
        ASSERT_TRUE(Registry().Current()->running) << i;
    });
    ASSERT_EQ(Registry().Current(), first);
    hundredTimes("format switches", [&](int i) {
        ASSERT_EQ(first->SetFormat(0, static_cast<unsigned>(i % 2 == 0 ? yuy2 : mjpg)), 0) << i;
        ASSERT_TRUE(first->running) << i;
    });
    hundredTimes("closes", [&](int i) {
        first->Close();
        ASSERT_FALSE(first->opened) << i;
        Registry().SelectCamera(first, nullptr, window);
        ASSERT_TRUE(first->running) << i;
    });
    // The camera still delivers into the engine, in the format it has.
    const uint64_t decoded = engine.DecodedFrames();
    ASSERT_TRUE(WaitFor([&] { return engine.DecodedFrames() >= decoded + 5; }));
    EXPECT_STREQ(CurrentFormat().subtypeName, "MJPG");
}

// A camera on a USB bus without the bandwidth for the format the settings
// ask for: the switch before a recording or a photo fails. The camera comes
// back at its previous format and goes on delivering, the record button
// springs back and no photo is left pending.
TEST_F(ControlPanelTest, AFormatTheCameraCannotRunLeavesItRunningAtItsPreviousOne) {
    TestDevices::Faults narrow;
    narrow.maxPixels = 640 * 480;
    ASSERT_TRUE(TestDevices::SetFaults(PathOf(1), narrow));
    Pump(300);
    const AppSettings kept = CurrentSettings;
    SetSettingsText(CurrentSettings.FileFormat, kFileFormatWidth, "MJPG");
    CurrentSettings.VideoResolution_Width = CurrentSettings.PhotoResolution_Width = 1920;
    CurrentSettings.VideoResolution_Height = CurrentSettings.PhotoResolution_Height = 1080;
    CaptureEngine& engine = CaptureEngine::Instance();
    OrvanaCamera* camera = Registry().Cameras()[0];
    auto deliversItsFormerFormat = [&] {
        EXPECT_TRUE(camera->running);
        const StreamFormat current = CurrentFormat();
        EXPECT_STREQ(current.subtypeName, "MJPG");
        EXPECT_EQ(current.width, 640);
        EXPECT_EQ(current.height, 480);
        const uint64_t decoded = engine.DecodedFrames();
        EXPECT_TRUE(WaitFor([&] { return engine.DecodedFrames() >= decoded + 5; }));
        EXPECT_EQ(engine.PictureWidth(), 640);
    };

    Ui::CNotifyEvent click;
    click.type = "click";
    click.sender = Window()->GetPaintManager().FindControl("id_btn_photo");
    ASSERT_NE(click.sender, nullptr);
    Panel().OnNotify(click);
    ASSERT_TRUE(ProgramWindow::Settle());
    EXPECT_FALSE(engine.PhotoPending());
    deliversItsFormerFormat();

    const std::set<std::string> before = Recordings();
    EXPECT_TRUE(ProgramWindow::PressRecord());
    EXPECT_FALSE(engine.IsRecording());
    EXPECT_FALSE(Option("id_btn_capture")->IsSelected());
    EXPECT_EQ(Recordings(), before);
    deliversItsFormerFormat();
    CurrentSettings = kept;
}

// Cameras take a while to deliver their first picture after a format
// switch. A recording started right after one is made at the size the
// camera now delivers, not at the size of the last picture before it.
TEST_F(ControlPanelTest, ARecordingAfterAFormatSwitchHasTheSizeOfTheNewFormat) {
    TestDevices::Faults slowStart;
    slowStart.stallAfter = 0; // before the first picture of every run
    slowStart.stallMs = 1800;
    ASSERT_TRUE(TestDevices::SetFaults(PathOf(1), slowStart));
    Pump(300);
    const AppSettings kept = CurrentSettings;
    SetSettingsText(CurrentSettings.FileFormat, kFileFormatWidth, "MJPG");
    CurrentSettings.VideoResolution_Width = 1280;
    CurrentSettings.VideoResolution_Height = 720;
    CaptureEngine& engine = CaptureEngine::Instance();
    ASSERT_EQ(engine.PictureWidth(), 640);

    const std::set<std::string> before = Recordings();
    EXPECT_TRUE(ProgramWindow::PressRecord());
    ASSERT_TRUE(engine.IsRecording());
    const uint64_t decoded = engine.DecodedFrames();
    ASSERT_TRUE(WaitFor([&] { return engine.DecodedFrames() >= decoded + 10; }));
    EXPECT_TRUE(ProgramWindow::PressRecord());
    ASSERT_FALSE(engine.IsRecording());
    CurrentSettings = kept;
    ASSERT_TRUE(TakeNewRecording(before, "after-switch.mp4"));
    const std::vector<MediaProbe::Fields> streams = MediaProbe::Streams("after-switch.mp4");
    ASSERT_FALSE(streams.empty());
    EXPECT_EQ(MediaProbe::Number(streams[0], "width"), 1280.0);
    EXPECT_EQ(MediaProbe::Number(streams[0], "height"), 720.0);
}

TEST_F(ControlPanelTest, RemovingACameraThatIsNotShownKeepsListAndRegistryInStep) {
    OrvanaCamera* shown = Registry().Cameras()[0];
    ASSERT_TRUE(TestDevices::Unplug(PathOf(2)));
    ASSERT_TRUE(ProgramWindow::Settle());
    Pump(100);
    ASSERT_EQ(Registry().Cameras().size(), 2u);
    EXPECT_EQ(Registry().Current(), shown);
    EXPECT_TRUE(shown->running);
    EXPECT_EQ(Entries("id_combo_cameras"),
              (std::vector<std::string>{"Test Camera 1", "Test Camera 3"}));
    EXPECT_EQ(List("id_combo_cameras")->GetCurSel(), 0);

    // The second entry now opens camera 3, with its own formats.
    List("id_combo_cameras")->SelectItem(1);
    ASSERT_TRUE(ProgramWindow::Settle());
    EXPECT_EQ(Registry().Current()->friendlyName, L"Test Camera 3");
    EXPECT_TRUE(Registry().Current()->running);
    EXPECT_FALSE(shown->opened);
    EXPECT_EQ(Entries("id_combo_file_format"), (std::vector<std::string>{"MJPG", "H264"}));
    EXPECT_EQ(List("id_combo_file_format")->GetCurSel(), 0);
    EXPECT_EQ(Entries("id_combo_video_resolution"), (std::vector<std::string>{"360P 16:9 15fps"}));
}

TEST_F(ControlPanelTest, RemovingTheShownCameraShowsTheNextAndTheLastEmptiesThePanel) {
    OrvanaCamera* next = Registry().Cameras()[1];
    ASSERT_TRUE(TestDevices::Unplug(PathOf(1)));
    ASSERT_TRUE(ProgramWindow::Settle());
    Pump(100);
    ASSERT_EQ(Registry().Cameras().size(), 2u);
    EXPECT_EQ(Registry().Current(), next);
    EXPECT_TRUE(next->running);
    EXPECT_EQ(List("id_combo_cameras")->GetCurSel(), 0);
    EXPECT_EQ(Entries("id_combo_cameras")[0],
              std::string(next->friendlyName.begin(), next->friendlyName.end()));

    ASSERT_EQ(next->SetVideoProcAmp(kBrightness, 20, 2), 0);
    ASSERT_TRUE(TestDevices::Unplug(PathOf(2)));
    ASSERT_TRUE(ProgramWindow::Settle());
    ASSERT_TRUE(TestDevices::Unplug(PathOf(3)));
    ASSERT_TRUE(ProgramWindow::Settle());
    Pump(100);
    EXPECT_TRUE(Registry().Cameras().empty());
    EXPECT_TRUE(Entries("id_combo_cameras").empty());
    EXPECT_TRUE(Entries("id_combo_file_format").empty());
    EXPECT_TRUE(Entries("id_combo_refresh_rate").empty());
    EXPECT_FALSE(Slider("brightness")->IsEnabled());
    EXPECT_EQ(Text("id_label_brightness"), "0");
    // Nothing to act on: the buttons must not touch a camera that is gone.
    Click("id_btn_apply");
    Click("id_btn_default");
    Click("id_btn_auto_focus");
    EXPECT_EQ(DeviceProcAmp(1, kBrightness).value, 20) << "the last camera shown keeps its own";
    EXPECT_EQ(::GetFileAttributesW(SettingsFilePath().c_str()), INVALID_FILE_ATTRIBUTES);

    // Plugging one back shows it.
    ASSERT_TRUE(TestDevices::Replug(PathOf(3)));
    ASSERT_TRUE(ProgramWindow::Settle());
    Pump(100);
    ASSERT_EQ(Registry().Cameras().size(), 1u);
    EXPECT_TRUE(Registry().Current()->running);
    EXPECT_EQ(Entries("id_combo_cameras"), (std::vector<std::string>{"Test Camera 3"}));
}

TEST_F(ControlPanelTest, PlugCyclesKeepTheShownCameraRunningAndLeakNoHandles) {
    OrvanaCamera* shown = Registry().Cameras()[0];
    IGraphBuilder* graph = shown->graph.Get();
    // One cycle first: handles that Wine keeps once (registry keys, the
    // device enumerator's caches) are taken before counting.
    ASSERT_TRUE(TestDevices::Unplug(PathOf(2)));
    ASSERT_TRUE(ProgramWindow::Settle());
    ASSERT_TRUE(TestDevices::Replug(PathOf(2)));
    ASSERT_TRUE(ProgramWindow::Settle());
    // Each cycle enumerates without camera 2, then with it, and leaves the
    // camera object that camera 2 had alive.
    long kept = HandlesKeptByAnEnumeration() + HandlesHeldByACamera();
    ASSERT_TRUE(TestDevices::Unplug(PathOf(2), false));
    ASSERT_TRUE(ProgramWindow::Settle());
    kept += HandlesKeptByAnEnumeration();
    ASSERT_TRUE(TestDevices::Replug(PathOf(2), false));
    ASSERT_TRUE(ProgramWindow::Settle());
    const long before = ProcessHandles::Count();
    ASSERT_GT(before, 0) << "the handles cannot be counted here";
    for (int cycle = 0; cycle < 5; ++cycle) {
        ASSERT_TRUE(TestDevices::Unplug(PathOf(2)));
        ASSERT_TRUE(ProgramWindow::Settle());
        ASSERT_TRUE(TestDevices::Replug(PathOf(2)));
        ASSERT_TRUE(ProgramWindow::Settle());
    }
    Pump(100);
    EXPECT_LE(ProcessHandles::Count(), before + 5 * kept + 5);
    EXPECT_EQ(Registry().Cameras().size(), 3u);
    EXPECT_EQ(Registry().Current(), shown);
    EXPECT_EQ(shown->graph.Get(), graph);
    EXPECT_TRUE(shown->running);
    EXPECT_EQ(Entries("id_combo_cameras").size(), 3u);
}

// Arrivals that bring no camera: a headset plugged in, a microphone back, a
// camera announced again that the registry already holds. Each still
// re-enumerates, but the camera the user chose stays shown and its recording
// runs on; a microphone that comes when there was none is the next
// recording's, one that comes beside the current one is not.
TEST_F(ControlPanelTest, ArrivalsWithoutANewCameraLeaveTheShownCameraAndItsRecording) {
    const std::wstring headsetPath = L"\\\\?\\usb#vid_0d8c&pid_0014#headset#1";
    Configuration configuration = ThreeCameras();
    configuration.microphones.push_back(
        TestDevices::DefaultMicrophone(L"USB Headset", headsetPath));
    configuration.microphones.back().plugged = false;
    ASSERT_TRUE(ProgramWindow::ArriveAnew(configuration));
    const std::wstring microphonePath = configuration.microphones[0].devicePath;
    ASSERT_TRUE(TestDevices::Unplug(microphonePath));
    ASSERT_TRUE(ProgramWindow::Settle());
    Pump(100);
    EXPECT_EQ(Registry().CurrentMicrophone(), nullptr);

    List("id_combo_cameras")->SelectItem(1);
    ASSERT_TRUE(ProgramWindow::Settle());
    OrvanaCamera* shown = Registry().Current();
    ASSERT_EQ(shown, Registry().Cameras()[1]);
    IGraphBuilder* graph = shown->graph.Get();
    CaptureEngine& engine = CaptureEngine::Instance();
    const std::set<std::string> before = Recordings();
    EXPECT_TRUE(ProgramWindow::PressRecord());
    ASSERT_TRUE(engine.IsRecording());
    const int64_t started = MonotonicMicros();

    auto expectUnchanged = [&](const char* after) {
        SCOPED_TRACE(after);
        EXPECT_TRUE(engine.IsRecording());
        EXPECT_TRUE(Option("id_btn_capture")->IsSelected());
        EXPECT_EQ(Registry().Current(), shown);
        EXPECT_EQ(shown->graph.Get(), graph);
        EXPECT_TRUE(shown->running);
        EXPECT_EQ(Entries("id_combo_cameras").size(), 3u);
        EXPECT_EQ(List("id_combo_cameras")->GetCurSel(), 1);
    };
    ASSERT_TRUE(TestDevices::Replug(headsetPath));
    ASSERT_TRUE(ProgramWindow::Settle());
    Pump(100);
    expectUnchanged("the headset plugged in");
    ASSERT_NE(Registry().Microphone(), nullptr);
    EXPECT_EQ(Registry().Microphone()->friendlyName, L"USB Headset");

    ASSERT_TRUE(TestDevices::Replug(microphonePath));
    ASSERT_TRUE(ProgramWindow::Settle());
    Pump(100);
    expectUnchanged("the microphone back");
    EXPECT_EQ(Registry().Microphone()->friendlyName, L"USB Headset");

    EXPECT_EQ(TestDevices::NotifyDeviceChange(PathOf(3), true), 1);
    ASSERT_TRUE(ProgramWindow::Settle());
    Pump(100);
    expectUnchanged("camera 3 announced again");

    const uint64_t decoded = engine.DecodedFrames();
    ASSERT_TRUE(WaitFor([&] { return engine.DecodedFrames() >= decoded + 10; }));
    const double wall = (MonotonicMicros() - started) / 1e6;
    EXPECT_TRUE(ProgramWindow::PressRecord());
    ASSERT_FALSE(engine.IsRecording());
    ASSERT_TRUE(TakeNewRecording(before, "headset.mp4"));
    const std::vector<MediaProbe::Fields> streams = MediaProbe::Streams("headset.mp4");
    ASSERT_FALSE(streams.empty());
    // The pictures run to the stop, not to the headset's arrival.
    const double end =
        MediaProbe::Number(streams[0], "start_time") + MediaProbe::Number(streams[0], "duration");
    EXPECT_NEAR(end, wall, 1.0);
    EXPECT_EQ(MediaProbe::Number(streams[0], "width"), 320.0) << "camera 2 recorded";
}

// The user's own camera comes back after a loose cable or a dock, listed
// after the others now: it is shown again, not the first of the list. A
// camera plugged in while another records leaves that recording running.
TEST_F(ControlPanelTest, TheCameraTheUserChoseIsShownAgainWhenItComesBack) {
    List("id_combo_cameras")->SelectItem(2);
    ASSERT_TRUE(ProgramWindow::Settle());
    ASSERT_EQ(Registry().Current()->friendlyName, L"Test Camera 3");
    ASSERT_TRUE(TestDevices::Unplug(PathOf(3)));
    ASSERT_TRUE(ProgramWindow::Settle());
    EXPECT_EQ(Registry().Current()->friendlyName, L"Test Camera 1");
    ASSERT_TRUE(TestDevices::Unplug(PathOf(1)));
    ASSERT_TRUE(ProgramWindow::Settle());
    ASSERT_TRUE(TestDevices::Replug(PathOf(1)));
    ASSERT_TRUE(ProgramWindow::Settle());
    EXPECT_EQ(Registry().Current()->friendlyName, L"Test Camera 2");
    ASSERT_TRUE(TestDevices::Replug(PathOf(3)));
    ASSERT_TRUE(ProgramWindow::Settle());
    EXPECT_EQ(Entries("id_combo_cameras"),
              (std::vector<std::string>{"Test Camera 2", "Test Camera 1", "Test Camera 3"}));
    ASSERT_EQ(Registry().Current()->friendlyName, L"Test Camera 3");
    EXPECT_TRUE(Registry().Current()->running);
    EXPECT_EQ(List("id_combo_cameras")->GetCurSel(), 2);

    OrvanaCamera* recording = Registry().Current();
    CaptureEngine& engine = CaptureEngine::Instance();
    const std::set<std::string> before = Recordings();
    EXPECT_TRUE(ProgramWindow::PressRecord());
    ASSERT_TRUE(engine.IsRecording());
    ASSERT_TRUE(TestDevices::Unplug(PathOf(2)));
    ASSERT_TRUE(ProgramWindow::Settle());
    ASSERT_TRUE(TestDevices::Replug(PathOf(2)));
    ASSERT_TRUE(ProgramWindow::Settle());
    EXPECT_TRUE(engine.IsRecording()) << "a new camera's arrival ended the recording";
    EXPECT_TRUE(Option("id_btn_capture")->IsSelected());
    EXPECT_EQ(Registry().Current(), recording);
    EXPECT_TRUE(ProgramWindow::PressRecord());
    EXPECT_FALSE(engine.IsRecording());
    ASSERT_TRUE(TakeNewRecording(before, "kept.mp4"));
}

// A finished recording: an ordinary MP4 of H.264 and AAC whose pictures last
// as long as the recording ran, every packet decodable.
::testing::AssertionResult CompleteRecording(const std::string& name, double wallSeconds,
                                             double tolerance) {
    if (!CaptureEngine::Instance().Recordings().LastFinished().ordinary) {
        return ::testing::AssertionFailure() << name << " was not finished as an ordinary MP4";
    }
    const std::vector<MediaProbe::Fields> streams = MediaProbe::Streams(name);
    if (streams.size() != 2 || MediaProbe::Text(streams[0], "codec_name") != "h264" ||
        MediaProbe::Text(streams[1], "codec_name") != "aac") {
        return ::testing::AssertionFailure()
               << name << " does not hold H.264 and AAC (" << streams.size() << " streams)";
    }
    const double end =
        MediaProbe::Number(streams[0], "start_time") + MediaProbe::Number(streams[0], "duration");
    if (std::abs(end - wallSeconds) > tolerance) {
        return ::testing::AssertionFailure() << name << ": pictures end at " << end << " s of a "
                                             << wallSeconds << " s recording";
    }
    const std::string errors = MediaProbe::DecodeErrors(name);
    if (!errors.empty()) {
        return ::testing::AssertionFailure() << name << " does not decode: " << errors;
    }
    return ::testing::AssertionSuccess();
}

// While camera 1 records, cameras 2 and 3 take turns going: each removal
// message finds one gone and the other back (its arrival was not announced:
// the announced arrival of a new camera ends any recording, as every camera
// selection does).
// So every message drops one camera object and makes another, and none of it
// may stop the recording, touch the shown camera's graph or keep handles.
TEST_F(ControlPanelTest, CamerasComingAndGoingLeaveTheRecordingRunningAndLeakNoHandles) {
    CaptureEngine& engine = CaptureEngine::Instance();
    OrvanaCamera* shown = Registry().Cameras()[0];
    IGraphBuilder* graph = shown->graph.Get();
    const std::set<std::string> before = Recordings();
    EXPECT_TRUE(ProgramWindow::PressRecord());
    ASSERT_TRUE(engine.IsRecording());
    const int64_t started = MonotonicMicros();
    auto cycle = [](int camera) {
        ASSERT_TRUE(TestDevices::Unplug(PathOf(camera)));
        ASSERT_TRUE(ProgramWindow::Settle());
        ASSERT_TRUE(TestDevices::Replug(PathOf(camera), false));
        ASSERT_TRUE(ProgramWindow::Settle());
    };
    // Handles that Wine keeps once are taken before counting.
    cycle(2);
    cycle(3);
    // Each message enumerates camera 1, one of the others and the microphone,
    // and leaves one camera object alive.
    ASSERT_TRUE(TestDevices::Unplug(PathOf(3), false));
    ASSERT_TRUE(ProgramWindow::Settle());
    const long kept = HandlesKeptByAnEnumeration() + HandlesHeldByACamera();
    ASSERT_TRUE(TestDevices::Replug(PathOf(3), false));
    ASSERT_TRUE(ProgramWindow::Settle());
    Pump(100);
    const long handlesBefore = ProcessHandles::Count();
    ASSERT_GT(handlesBefore, 0) << "the handles cannot be counted here";
    const int cycles = PlugCycles(10);
    for (int i = 0; i < cycles; ++i) {
        cycle(2 + i % 2);
        ASSERT_TRUE(engine.IsRecording()) << "cycle " << i;
        ASSERT_EQ(Registry().Cameras().size(), 2u) << "cycle " << i;
        Pump(100);
    }
    Pump(100);
    const long handlesAfter = ProcessHandles::Count();
    EXPECT_LE(handlesAfter, handlesBefore + cycles * kept + 5);
    EXPECT_EQ(Registry().Current(), shown);
    EXPECT_EQ(shown->graph.Get(), graph);
    EXPECT_TRUE(shown->running);
    EXPECT_EQ(Entries("id_combo_cameras").size(), 2u);
    const double wall = (MonotonicMicros() - started) / 1e6;
    EXPECT_TRUE(ProgramWindow::PressRecord());
    EXPECT_FALSE(engine.IsRecording());
    ASSERT_TRUE(TakeNewRecording(before, "others.mp4"));
    EXPECT_TRUE(CompleteRecording("others.mp4", wall, 1.0));
    // The shown camera went on delivering all along, not only at the ends.
    const std::vector<MediaProbe::Fields> streams = MediaProbe::Streams("others.mp4");
    ASSERT_FALSE(streams.empty());
    EXPECT_GE(MediaProbe::Number(streams[0], "nb_read_packets"), 15.0 * wall);
    std::printf("%d cycles in %.1f s; handles %ld -> %ld, %ld a cycle expected\n", cycles, wall,
                handlesBefore, handlesAfter, kept);
}

// The recording camera unplugged mid-recording, again and again: each time
// the recording ends with a complete file, and the camera's return shows it
// again and lets the next recording start.
TEST_F(ControlPanelTest, UnpluggingTheRecordingCameraLeavesACompleteFileEveryTime) {
    // Camera 1 alone, so that its return makes it the shown camera again.
    ASSERT_TRUE(TestDevices::Unplug(PathOf(2)));
    ASSERT_TRUE(ProgramWindow::Settle());
    ASSERT_TRUE(TestDevices::Unplug(PathOf(3)));
    ASSERT_TRUE(ProgramWindow::Settle());
    ASSERT_EQ(Registry().Cameras().size(), 1u);
    CaptureEngine& engine = CaptureEngine::Instance();
    const int cycles = PlugCycles(3);
    const DWORD started = ::GetTickCount();
    long handlesBefore = 0;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        // Counted from the first return on: handles Wine keeps once are taken.
        if (cycle == 1) {
            handlesBefore = ProcessHandles::Count();
        }
        const std::set<std::string> before = Recordings();
        EXPECT_TRUE(ProgramWindow::PressRecord());
        ASSERT_TRUE(engine.IsRecording());
        const int64_t recordingFrom = MonotonicMicros();
        Pump(1500);
        const double wall = (MonotonicMicros() - recordingFrom) / 1e6;
        const DWORD unplugging = ::GetTickCount();
        ASSERT_TRUE(TestDevices::Unplug(PathOf(1)));
        ASSERT_TRUE(ProgramWindow::Settle());
        EXPECT_LT(::GetTickCount() - unplugging, 2000u);
        EXPECT_FALSE(engine.IsRecording());
        EXPECT_FALSE(engine.Recordings().Active());
        EXPECT_FALSE(Option("id_btn_capture")->IsSelected());
        EXPECT_EQ(Text("id_cap_time_label"), "00:00");
        EXPECT_TRUE(Registry().Cameras().empty());
        const std::string name = "unplugged" + std::to_string(cycle) + ".mp4";
        ASSERT_TRUE(TakeNewRecording(before, name));
        EXPECT_TRUE(CompleteRecording(name, wall, 0.5));

        ASSERT_TRUE(TestDevices::Replug(PathOf(1)));
        ASSERT_TRUE(ProgramWindow::Settle());
        ASSERT_EQ(Registry().Cameras().size(), 1u);
        ASSERT_TRUE(Registry().Current()->running);
        const uint64_t decoded = engine.DecodedFrames();
        ASSERT_TRUE(WaitFor([&] { return engine.DecodedFrames() >= decoded + 5; }));
    }
    // For the record only: Wine's camera graphs, microphone capture and
    // device enumerations keep handles, and so do the camera objects that left.
    std::printf("%d cycles in %.1f s; handles from the second on %ld -> %ld\n", cycles,
                (::GetTickCount() - started) / 1000.0, handlesBefore, ProcessHandles::Count());
}

// The disk fills during a recording: the recording ends by itself, and the
// bar shows it stopped as if the user had clicked.
TEST_F(ControlPanelTest, ARecordingEndedByAFullDiskSpringsTheRecordButtonBack) {
    CaptureEngine& engine = CaptureEngine::Instance();
    const std::set<std::string> before = Recordings();
    EXPECT_TRUE(ProgramWindow::PressRecord());
    ASSERT_TRUE(engine.IsRecording());
    ASSERT_TRUE(Option("id_btn_capture")->IsSelected());
    Pump(1200);
    m_disk->Fill(-1, 1 << 20);
    const bool stopped = WaitFor([&] { return !engine.IsRecording(); }, 10000);
    m_disk->Fill(-1, -1);
    ASSERT_TRUE(stopped);
    EXPECT_FALSE(engine.Recordings().Active());
    EXPECT_FALSE(Option("id_btn_capture")->IsSelected());
    EXPECT_FALSE(Window()->GetPaintManager().FindControl("id_cap_time_show")->IsVisible());
    EXPECT_EQ(Text("id_cap_time_label"), "00:00");
    ASSERT_TRUE(TakeNewRecording(before, "filled.mp4"));
    EXPECT_EQ(MediaProbe::DecodeErrors("filled.mp4"), "");
}

// A skin without the panel's controls: every action skips what is missing and
// still does to the camera what needs no control.
TEST(ControlPanelWithoutControlsTest, ActionsSkipMissingControls) {
    ProgramWindow::Open(ThreeCameras());
    ASSERT_TRUE(ProgramWindow::ArriveAnew(ThreeCameras()));
    CameraRegistry& registry = CameraRegistry::Instance();
    ASSERT_EQ(registry.Cameras().size(), 3u);
    OrvanaCamera* camera = registry.Current();
    ASSERT_NE(camera, nullptr);
    const bool opened = camera->opened;
    auto procAmp = [camera](long property) {
        long value = -1, flags = 0;
        camera->GetVideoProcAmp(property, value, flags);
        return value;
    };
    auto notify = [](ControlPanel& panel, const char* name, const char* type) {
        Ui::CControlUI sender;
        sender.SetName(name);
        Ui::CNotifyEvent event;
        event.type = type;
        event.sender = &sender;
        panel.OnNotify(event);
        EXPECT_TRUE(ProgramWindow::Settle()) << name;
    };
    ::DeleteFileW(SettingsFilePath().c_str());
    Ui::CPaintManager manager;
    CameraHost& cameras = *Window()->GetCameras();
    ControlPanel panel(manager, cameras, CaptureEngine::Instance(), nullptr);
    panel.RefreshFormatLists(cameras.View());
    panel.Formats().Apply();
    EXPECT_EQ(::GetFileAttributesW(SettingsFilePath().c_str()), INVALID_FILE_ATTRIBUTES)
        << "no lists, nothing to save";
    ASSERT_EQ(camera->SetVideoProcAmp(kBrightness, 20, 2), 0);
    notify(panel, "id_btn_default", "click");
    EXPECT_EQ(procAmp(kBrightness), 0) << "the defaults need no control";

    ASSERT_EQ(camera->SetVideoProcAmp(kHue, 10, 2), 0);
    for (const char* name : {"id_btn_auto_contrasts", "id_btn_auto_focus", "id_btn_io_normal"}) {
        notify(panel, name, "click");
    }
    for (const char* name :
         {"id_slider_hue", "id_slider_microphone", "id_combo_file_format", "id_combo_cameras"}) {
        notify(panel, name,
               std::string(name).find("slider") != std::string::npos ? "valuechanged"
                                                                     : "itemselect");
    }
    // No slider gives a value to write, no list a camera to switch to.
    EXPECT_EQ(procAmp(kHue), 10);
    EXPECT_EQ(registry.Current(), camera);
    EXPECT_EQ(camera->opened, opened);
    EXPECT_EQ(registry.Cameras().size(), 3u);
}

// A choice that cannot be saved anywhere still holds until the program ends,
// and Apply says so instead of passing for saved.
TEST_F(ControlPanelTest, AnApplyThatCannotBeSavedSaysSoAndStillHolds) {
    // A folder in the file's place: the program's folder can be written, so
    // there is no other place, and setting.ini cannot be replaced.
    ASSERT_TRUE(::CreateDirectoryW(SettingsFilePath().c_str(), nullptr));
    List("id_combo_file_format")->SelectItem(1);
    Click("id_btn_apply");
    const FormatPanel::ApplyResult unsaved = Panel().Formats().LastApply();
    const std::string told = Panel().GetNotices().Shown();
    ::RemoveDirectoryW(SettingsFilePath().c_str());
    EXPECT_EQ(unsaved, FormatPanel::ApplyResult::NotSaved);
    EXPECT_EQ(told, ControlNames::Notice::kSettingsNotSaved) << "the window says so";
    EXPECT_STREQ(CurrentSettings.FileFormat, "YUY2");
    EXPECT_EQ(CurrentSettings.VideoResolution_Width, 640);

    Click("id_btn_apply");
    EXPECT_EQ(Panel().Formats().LastApply(), FormatPanel::ApplyResult::Saved);
    EXPECT_EQ(Panel().GetNotices().Shown(), "") << "a save that works takes the words away";
    AppSettings saved{};
    ASSERT_TRUE(LoadSettings(saved));
    EXPECT_STREQ(saved.FileFormat, "YUY2\n");
}

// Log-off, shutdown or an update's restart: Windows asks every window
// (WM_QUERYENDSESSION), then ends the session (WM_ENDSESSION) and may end
// the process as soon as that returns. Ends called off leave the recording
// running; the real end finds it finished, an ordinary MP4. The window's
// close is final for the process (the engine's worker ends): a suite of its own.
class ControlPanelShutdown : public ControlPanelTest {};

TEST_F(ControlPanelShutdown, TheEndOfTheSessionFinishesTheRunningRecordingFirst) {
    CaptureEngine& engine = CaptureEngine::Instance();
    const std::set<std::string> before = Recordings();
    const int64_t started = MonotonicMicros();
    EXPECT_TRUE(ProgramWindow::PressRecord());
    ASSERT_TRUE(engine.IsRecording());
    Pump(1000);
    EXPECT_EQ(Window()->SendMessage(WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    Window()->SendMessage(WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    Pump(1000);
    EXPECT_TRUE(engine.IsRecording()) << "the end was called off";

    EXPECT_EQ(Window()->SendMessage(WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), TRUE);
    const double seconds = (MonotonicMicros() - started) / 1e6;
    Window()->SendMessage(WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    EXPECT_FALSE(engine.IsRecording());
    EXPECT_TRUE(engine.WaitForFinishedRecordings(0)) << "the file was still being finished";
    ASSERT_TRUE(TakeNewRecording(before, "session-end.mp4"));
    EXPECT_TRUE(CompleteRecording("session-end.mp4", seconds, 1.0));
    MSG quit{};
    EXPECT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new MediaTestEnvironment());

} // namespace

// What a recording lacks, or where it went on, is said in the window while
// it records, and stays said after the stop until the next recording starts.
TEST_F(ControlPanelTest, TheWindowSaysWhyARecordingHasNoSoundAndWhereItGoesOn) {
    Configuration denied = ThreeCameras();
    denied.microphones[0].startError = E_ACCESSDENIED;
    ASSERT_TRUE(ProgramWindow::ArriveAnew(denied));
    CaptureEngine& engine = CaptureEngine::Instance();
    const std::set<std::string> before = Recordings();
    m_disk->LimitFileSize(150 * 1024);
    EXPECT_TRUE(ProgramWindow::PressRecord());
    ASSERT_TRUE(engine.IsRecording());
    EXPECT_TRUE(WaitFor([] {
        return Panel().GetNotices().Shown() == ControlNames::Notice::kNoSoundDenied;
    })) << "shown: "
        << Panel().GetNotices().Shown();
    EXPECT_TRUE(WaitFor(
        [] { return Panel().GetNotices().Shown() == ControlNames::Notice::kRecordingContinues; },
        20000))
        << "a recording that went on in a new file: shown " << Panel().GetNotices().Shown();
    m_disk->LimitFileSize(-1);
    EXPECT_TRUE(ProgramWindow::PressRecord());
    ASSERT_FALSE(engine.IsRecording());
    EXPECT_EQ(Panel().GetNotices().Shown(), ControlNames::Notice::kRecordingContinues)
        << "still said after the stop";
    engine.WaitForFinishedRecordings(5000);
    for (const std::string& path : Recordings()) {
        if (before.count(path) == 0) {
            ::DeleteFileA(path.c_str());
        }
    }

    ASSERT_TRUE(ProgramWindow::ArriveAnew(ThreeCameras()));
    EXPECT_TRUE(ProgramWindow::PressRecord());
    EXPECT_TRUE(WaitFor([] { return Panel().GetNotices().Shown().empty(); }))
        << "the next recording takes the words away: " << Panel().GetNotices().Shown();
    EXPECT_TRUE(ProgramWindow::PressRecord());
}
