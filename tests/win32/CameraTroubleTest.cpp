// The main window with a camera that will not start (held by another program,
// denied by the privacy setting), one that runs without pictures or stops
// delivering, and the machine going to sleep and waking up: what the window
// says, that it tries again by itself, and what photo and record do meanwhile.
#include "tests/support/MessagePump.h"
#include "tests/win32/CameraTestSupport.h"
#include "tools/testdevices/TestDeviceControl.h"

#include <cmath>
#include <set>
#include <string>

#include "app/ControlNames.h"
#include "app/ControlPanel.h"
#include "app/MainWindow.h"
#include "capture/CaptureEngine.h"
#include "capture/OutputFolder.h"
#include "preview/LivePreview.h"
#include "preview/PreviewMessage.h"
#include "settings/SettingsFile.h"
#include "tests/win32/EngineTestSupport.h"
#include "tests/win32/MediaProbe.h"
#include "tests/win32/ProgramWindowSupport.h"
#include "ui/OptionUI.h"

using namespace CameraTest;
using ProgramWindow::Window;
using TestSupport::Pump;
using TestSupport::WaitFor;

namespace {

constexpr unsigned kInUse = 0x800705AA;          // HRESULT_FROM_WIN32(ERROR_NO_SYSTEM_RESOURCES)
constexpr unsigned kGeneralFailure = 0x8007001F; // HRESULT_FROM_WIN32(ERROR_GEN_FAILURE)
constexpr unsigned kDenied = 0x80070005;         // E_ACCESSDENIED

Configuration OneCamera(const TestDevices::Faults& faults) {
    Configuration configuration;
    configuration.cameras.push_back(Camera(1, {{VideoSubtype::MJPG, 640, 480, 30}}));
    configuration.cameras[0].faults = faults;
    configuration.microphones.push_back(TestDevices::DefaultMicrophone());
    return configuration;
}

class CameraTroubleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ProgramWindow::Open(OneCamera({})); }
    void TearDown() override {
        CaptureEngine::Instance().StopRecording();
        TestDevices::SetFaults(PathOf(1), {});
    }

    // The camera arrives anew with these faults, as a newly plugged one: the
    // window opens it at once.
    static void Arrive(const TestDevices::Faults& faults) {
        ASSERT_TRUE(ProgramWindow::ArriveAnew(OneCamera(faults)));
    }
    // Changes the faults of the running camera; the filter notices within 250 ms.
    static void SetFaults(const TestDevices::Faults& faults) {
        ASSERT_TRUE(TestDevices::SetFaults(PathOf(1), faults));
        Pump(300);
    }
    static TestDevices::Faults StartFailure(unsigned result) {
        TestDevices::Faults faults;
        faults.startFailure = result;
        return faults;
    }
    static TestDevices::Faults NothingDelivered() {
        TestDevices::Faults faults;
        faults.deliverNothing = 1;
        return faults;
    }
    static TestDevices::Faults EndOfStream() {
        TestDevices::Faults faults;
        faults.endOfStreamAfter = 1;
        return faults;
    }

    static CameraRegistry& Registry() { return CameraRegistry::Instance(); }
    static CaptureEngine& Engine() { return CaptureEngine::Instance(); }
    // Milliseconds until the engine has decoded a few new pictures; -1 when
    // none came within `limit`.
    static long MillisecondsToPictures(DWORD limit) {
        const uint64_t before = Engine().DecodedFrames();
        const DWORD start = ::GetTickCount();
        if (!WaitFor([&] { return Engine().DecodedFrames() >= before + 3; }, limit)) {
            return -1;
        }
        return static_cast<long>(::GetTickCount() - start);
    }
    // Whether the pictures have stopped: none for half a second.
    static bool PicturesStopped() {
        return WaitFor(
            [] {
                const uint64_t before = Engine().DecodedFrames();
                Pump(500);
                return Engine().DecodedFrames() == before;
            },
            3000);
    }
    static Ui::COptionUI* RecordOption() {
        return ProgramWindow::Control<Ui::COptionUI>("id_btn_capture", "Option");
    }
    static void ClickPhoto() {
        Ui::CNotifyEvent click;
        click.type = "click";
        click.sender = Window()->GetPaintManager().FindControl("id_btn_photo");
        ASSERT_NE(click.sender, nullptr);
        Window()->GetControlPanel()->OnNotify(click);
        ASSERT_TRUE(ProgramWindow::Settle());
    }
    // The recordings in the output folder.
    static std::set<std::string> Recordings() { return EngineTest::Recordings(); }
    // The words on the preview now, and a notice's text in the window's language.
    static std::string PreviewWords() {
        return PreviewMessageText(LivePreview::Current()->Window());
    }
    static std::string NoticeText(const char* key) {
        return Window()->GetControlPanel()->GetNotices().Text(key);
    }
    // The machine's execution state as this process last set it (asking
    // changes nothing while a continuous state is in force).
    static EXECUTION_STATE ExecutionState() { return ::SetThreadExecutionState(0); }
};

// Start failures ---------------------------------------------------------------------------

// Held by another program, or denied: the camera is current but does not run.
// Once the other program lets go (or access is allowed), the picture is back
// within 3 s, without a restart and without another selection.
TEST_F(CameraTroubleTest, ACameraThatWillNotStartComesBackByItselfOnceFreed) {
    for (unsigned result : {kInUse, kGeneralFailure, kDenied}) {
        SCOPED_TRACE(result);
        Arrive(StartFailure(result));
        OrvanaCamera* camera = Registry().Current();
        EXPECT_FALSE(camera->running);
        EXPECT_EQ(static_cast<unsigned>(camera->startResult), result);
        Pump(2500); // at least one attempt fails meanwhile
        EXPECT_FALSE(camera->running);
        const std::string words =
            NoticeText(result == kDenied ? ControlNames::Notice::kCameraDenied
                                         : ControlNames::Notice::kCameraInUse);
        EXPECT_FALSE(words.empty());
        EXPECT_EQ(PreviewWords(), words);

        SetFaults({});
        const long ms = MillisecondsToPictures(4000);
        EXPECT_GE(ms, 0) << "no picture after the camera was freed";
        EXPECT_LE(ms + 300, 3000) << "the picture took " << ms + 300 << " ms to come back";
        if (ms >= 0) {
            std::printf("picture back %ld ms after the camera was freed\n", ms + 300);
        }
        EXPECT_EQ(Registry().Current(), camera);
        EXPECT_TRUE(camera->running);
        Pump(300);
        EXPECT_EQ(PreviewWords(), "");
    }
}

// A video-call program that lets the camera go for a moment keeps it while
// this window is minimised: the camera is started again only once the window
// is restored.
TEST_F(CameraTroubleTest, AHeldCameraIsNotTakenWhileTheWindowIsMinimised) {
    Arrive(StartFailure(kInUse));
    OrvanaCamera* camera = Registry().Current();
    ASSERT_FALSE(camera->running);
    ::ShowWindow(Window()->GetHWND(), SW_MINIMIZE);
    Pump(300);
    SetFaults({});
    Pump(4000);
    EXPECT_FALSE(camera->running) << "taken from the other program while minimised";
    ::ShowWindow(Window()->GetHWND(), SW_RESTORE);
    const long ms = MillisecondsToPictures(3000);
    EXPECT_GE(ms, 0) << "no picture once restored";
    EXPECT_TRUE(camera->running);
}

// A driver that takes its time to start: the preview says so meanwhile (the
// camera's own thread is busy starting it, so the window tells it), and the
// words go once the camera runs.
TEST_F(CameraTroubleTest, ASlowStartIsToldUntilTheCameraRuns) {
    ASSERT_TRUE(TestDevices::SaveConfiguration(Configuration()));
    TestDevices::NotifyDeviceChange(PathOf(1), false);
    ASSERT_TRUE(ProgramWindow::Settle());
    Configuration slow = OneCamera({});
    slow.cameras[0].delays.startMs = 1500;
    ASSERT_TRUE(TestDevices::SaveConfiguration(slow));
    TestDevices::NotifyDeviceChange(PathOf(1), true);
    const std::string starting = NoticeText(ControlNames::Notice::kCameraStarting);
    ASSERT_FALSE(starting.empty());
    EXPECT_TRUE(WaitFor([&] { return PreviewWords() == starting; }, 3000))
        << "shown: " << PreviewWords();
    ASSERT_TRUE(ProgramWindow::Settle());
    EXPECT_TRUE(Registry().Current()->running);
    EXPECT_EQ(PreviewWords(), "");
    EXPECT_GE(MillisecondsToPictures(3000), 0);
}

// Photo and record refuse while no picture comes: from a camera that runs and
// delivers nothing, and from one whose pictures stopped after it ran. No photo
// stays pending, no recording starts, the record option springs back.
TEST_F(CameraTroubleTest, PhotoAndRecordRefuseWhileThereIsNoPicture) {
    for (bool ranBefore : {false, true}) {
        SCOPED_TRACE(ranBefore ? "pictures stopped" : "never delivered");
        if (ranBefore) {
            Arrive({});
            ASSERT_GE(MillisecondsToPictures(5000), 0);
            SetFaults(NothingDelivered());
        } else {
            Arrive(NothingDelivered());
        }
        ASSERT_TRUE(Registry().Current()->running);
        ASSERT_TRUE(PicturesStopped());
        // A second without a picture: already too long to wait for one.
        Pump(800);
        ClickPhoto();
        EXPECT_FALSE(Engine().PhotoPending());
        Pump(2500);
        EXPECT_EQ(PreviewWords(), NoticeText(ControlNames::Notice::kCameraNoPicture));
        ClickPhoto();
        EXPECT_FALSE(Engine().PhotoPending());
        EXPECT_TRUE(ProgramWindow::PressRecord());
        EXPECT_FALSE(Engine().IsRecording());
        EXPECT_FALSE(RecordOption()->IsSelected());
        // The words stay meanwhile.
        EXPECT_EQ(PreviewWords(), NoticeText(ControlNames::Notice::kCameraNoPicture));
    }
}

// Pictures that stop -----------------------------------------------------------------------

// The stream ends (as after a sleep, or a camera that stops by itself): the
// camera is stopped and run again; a recording meanwhile goes on, with the
// pictures after the restart in it.
TEST_F(CameraTroubleTest, AStreamThatEndsIsRestartedAndARecordingGoesOn) {
    Arrive({});
    ASSERT_GE(MillisecondsToPictures(5000), 0);
    const std::set<std::string> before = Recordings();
    const DWORD started = ::GetTickCount();
    EXPECT_TRUE(ProgramWindow::PressRecord());
    ASSERT_TRUE(Engine().IsRecording());
    SetFaults(EndOfStream());
    ASSERT_TRUE(PicturesStopped());
    SetFaults({});
    const uint64_t recorded = Engine().RecordedFrames();
    const long ms = MillisecondsToPictures(6000);
    EXPECT_GE(ms, 0) << "no picture after the stream ended";
    EXPECT_TRUE(Engine().IsRecording());
    EXPECT_TRUE(RecordOption()->IsSelected());
    EXPECT_TRUE(WaitFor([&] { return Engine().RecordedFrames() > recorded + 3; }));
    EXPECT_TRUE(ProgramWindow::PressRecord());
    const double seconds = (::GetTickCount() - started) / 1000.0;
    EXPECT_FALSE(Engine().IsRecording());

    // One file, its pictures with a gap, its sound whole: as long as the
    // recording ran, both of them.
    ASSERT_TRUE(Engine().WaitForFinishedRecordings(5000));
    std::set<std::string> made = Recordings();
    for (const std::string& old : before) {
        made.erase(old);
    }
    ASSERT_EQ(made.size(), 1u);
    ASSERT_TRUE(
        ::CopyFileA(made.begin()->c_str(), MediaProbe::WindowsPath("gap.mp4").c_str(), FALSE));
    const std::vector<MediaProbe::Fields> streams = MediaProbe::Streams("gap.mp4");
    ASSERT_EQ(streams.size(), 2u);
    const double picturesEnd =
        MediaProbe::Number(streams[0], "start_time") + MediaProbe::Number(streams[0], "duration");
    const double soundLength = MediaProbe::Number(streams[1], "duration");
    std::printf("recording %.2f s: pictures end at %.2f s, sound %.2f s long\n", seconds,
                picturesEnd, soundLength);
    EXPECT_NEAR(picturesEnd, seconds, 0.5);
    EXPECT_NEAR(soundLength, picturesEnd, 0.3);
}

// Sleep and wake-up --------------------------------------------------------------------------

// While a recording runs the machine does not sleep on idle; afterwards it may.
// Sleeping anyway (the lid closed) finishes the recording as a stop would.
TEST_F(CameraTroubleTest, ARecordingKeepsTheMachineAwakeAndEndsWhenItSleeps) {
    Arrive({});
    ASSERT_GE(MillisecondsToPictures(5000), 0);
    constexpr EXECUTION_STATE kAwake = ES_CONTINUOUS | ES_SYSTEM_REQUIRED;
    ASSERT_NE(ExecutionState() & kAwake, kAwake);
    EXPECT_TRUE(ProgramWindow::PressRecord());
    ASSERT_TRUE(Engine().IsRecording());
    Pump(300);
    EXPECT_EQ(ExecutionState() & kAwake, kAwake);

    Window()->SendMessage(WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    EXPECT_FALSE(Engine().IsRecording());
    EXPECT_FALSE(RecordOption()->IsSelected());
    EXPECT_TRUE(Engine().WaitForFinishedRecordings(5000));
    Pump(300);
    EXPECT_FALSE(ExecutionState() & ES_SYSTEM_REQUIRED);
}

// Waking up, the camera's stream has ended: it is restarted at once, not only
// when 3 s without a picture have passed.
TEST_F(CameraTroubleTest, WakingUpRestartsTheCameraAtOnce) {
    for (WPARAM event : {WPARAM{PBT_APMRESUMEAUTOMATIC}, WPARAM{PBT_APMRESUMESUSPEND}}) {
        SCOPED_TRACE(event);
        Arrive({});
        ASSERT_GE(MillisecondsToPictures(5000), 0);
        SetFaults(EndOfStream());
        ASSERT_TRUE(PicturesStopped());
        SetFaults({});
        Window()->SendMessage(WM_POWERBROADCAST, event, 0);
        // Well before a camera without pictures would be restarted (3 s).
        EXPECT_GE(MillisecondsToPictures(1200), 0);
    }
}

// Notices ------------------------------------------------------------------------------------

// The one-line notice of the bottom bar shows a text beside the picture, in
// the free stretch left of the bottom bar's buttons, and goes again; the
// preview's words are not touched by it.
TEST_F(CameraTroubleTest, ABottomBarNoticeShowsBesideThePicture) {
    Arrive({});
    ASSERT_GE(MillisecondsToPictures(5000), 0);
    Notices& notices = Window()->GetControlPanel()->GetNotices();
    Ui::CControlUI* label = Window()->GetPaintManager().FindControl(ControlNames::kNoticeLabel);
    ASSERT_NE(label, nullptr);
    notices.Show(ControlNames::Notice::kCameraNotStarted);
    Pump(100);
    EXPECT_EQ(std::string(label->GetText().GetData()),
              NoticeText(ControlNames::Notice::kCameraNotStarted));
    EXPECT_TRUE(label->IsVisible());
    const RECT at = label->GetPos();
    const RECT defaultButton =
        Window()->GetPaintManager().FindControl(ControlNames::kDefaultButton)->GetPos();
    RECT client{};
    ::GetClientRect(Window()->GetHWND(), &client);
    EXPECT_GE(at.right - at.left, 200) << "too little room for a line of text";
    EXPECT_LE(at.right, defaultButton.left);
    EXPECT_GE(at.top, client.bottom - 70);
    EXPECT_EQ(PreviewWords(), "");
    EXPECT_GE(MillisecondsToPictures(2000), 0) << "the picture goes on";
    notices.Clear();
    EXPECT_EQ(std::string(label->GetText().GetData()), "");
}

} // namespace
