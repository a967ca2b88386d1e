// Live preview end to end: the synthetic camera's graph feeds the capture
// engine, whose worker decodes every sample and draws it into the preview
// window of a real top-level window, wired as the main window wires it.
// What reached the preview is read from the engine's counters and the
// pipeline's picture, and what the user sees from the screen itself.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

#include "Core/CameraRegistry.h"
#include "Core/OrvanaAudio.h"
#include "Core/OrvanaCamera.h"
#include "app/CaptureWiring.h"
#include "capture/CaptureEngine.h"
#include "preview/CaptureViewUI.h"
#include "preview/DrawingGate.h"
#include "preview/LivePreview.h"
#include "tests/support/MessagePump.h"
#include "tests/win32/CameraTestSupport.h"
#include "tests/win32/ColourBars.h"
#include "tests/win32/MediaTestSupport.h"
#include "tools/testdevices/TestDeviceControl.h"
#include "ui/PaintManager.h"
#include "ui/SkinBuilder.h"
#include "ui/WindowBase.h"

namespace TestDevices {
// Names the camera format in failure messages.
void PrintTo(const VideoFormat& format, std::ostream* out) {
    *out << SubtypeName(format.subtype) << ' ' << format.width << 'x' << format.height << '@'
         << format.fps;
}
} // namespace TestDevices

namespace {

using TestDevices::Faults;
using TestDevices::VideoFormat;
using TestDevices::VideoSubtype;

// Direct3D and the camera graph both send messages to windows of the UI
// thread: every wait runs them.
using TestSupport::Pump;
using TestSupport::WaitFor;

// The main window stand-in: a skinned top-level window that wires the preview
// into its "CaptureView" control exactly as the program's window does, and
// refits it on WM_MOVE and when the picture changes its size.
class LiveWindow : public Ui::CWindowBase, public Ui::ISkinBuilderCallback {
public:
    const char* GetWndClassName() const override { return "OrvanaLivePreviewTest"; }

    Ui::CControlUI* CreateControl(const char* className) override {
        if (className != nullptr && ::lstrcmpiA(className, "CaptureView") == 0) {
            return new CaptureViewUI();
        }
        return nullptr;
    }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if ((message == WM_MOVE || message == kRefitPreviewMessage) && view != nullptr) {
            view->FitPreview();
        }
        if (message == WM_SIZE) {
            CaptureEngine::Instance().SetMinimized((wParam == SIZE_MINIMIZED));
        }
        LRESULT result = 0;
        if (manager.MessageHandler(message, wParam, lParam, result)) {
            return result;
        }
        return CWindowBase::HandleMessage(message, wParam, lParam);
    }

    bool Open() {
        Create(nullptr, "live", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 40, 40, 700, 520);
        manager.Init(GetHWND());
        Ui::CSkinBuilder builder;
        Ui::CControlUI* root = builder.Create(
            R"(<Window size="700,520"><VerticalLayout bkcolor="0xFF303030">
                 <CaptureView name="id_view_capture" padding="25,10,25,15" bkcolor="0xFF000000"
                              bordersize="2" bordercolor="0xFFFFFFFF" />
               </VerticalLayout></Window>)",
            nullptr, this, &manager, nullptr);
        if (root == nullptr) {
            return false;
        }
        manager.AttachDialog(root);
        Ui::CControlUI* control = manager.FindControl("id_view_capture");
        view = control != nullptr
                   ? static_cast<CaptureViewUI*>(control->GetInterface("CaptureView"))
                   : nullptr;
        if (view == nullptr) {
            return false;
        }
        view->Attach(WireCapture(CaptureEngine::Instance(), CameraRegistry::Instance(), GetHWND(),
                                 ::GetModuleHandleA(nullptr)));
        RECT client{};
        ::GetClientRect(GetHWND(), &client);
        root->SetPos(client);
        ::UpdateWindow(GetHWND());
        return true;
    }

    Ui::CPaintManager manager;
    CaptureViewUI* view = nullptr;
};

LiveWindow& Window() {
    static LiveWindow* window = [] {
        auto* made = new LiveWindow();
        EXPECT_TRUE(made->Open());
        return made;
    }();
    return *window;
}

using ColourBars::Picture;
using ColourBars::ShowsColourBars;
using ColourBars::Snapshot;

// Counts the engine gathers in a stretch of time.
struct Progress {
    uint64_t decoded;
    uint64_t presented;
    uint64_t dropped;
};

Progress Now() {
    CaptureEngine& engine = CaptureEngine::Instance();
    return {engine.DecodedFrames(), engine.PresentedFrames(), engine.DroppedSamples()};
}

Progress Over(DWORD milliseconds) {
    const Progress before = Now();
    Pump(milliseconds);
    const Progress after = Now();
    return {after.decoded - before.decoded, after.presented - before.presented,
            after.dropped - before.dropped};
}

// Waits until no picture has been decoded for quietMs; false when pictures
// keep coming for longer than limitMs.
bool WaitUntilQuiet(DWORD quietMs, DWORD limitMs) {
    const DWORD start = ::GetTickCount();
    uint64_t last = CaptureEngine::Instance().DecodedFrames();
    DWORD lastChange = ::GetTickCount();
    while (::GetTickCount() - start < limitMs) {
        Pump(20);
        const uint64_t now = CaptureEngine::Instance().DecodedFrames();
        if (now != last) {
            last = now;
            lastChange = ::GetTickCount();
        } else if (::GetTickCount() - lastChange >= quietMs) {
            return true;
        }
    }
    return false;
}

const char* NameOf(VideoSubtype subtype) {
    return TestDevices::SubtypeName(subtype);
}

class LivePreview : public ::testing::TestWithParam<VideoFormat> {
protected:
    void SetUp() override {
        ASSERT_TRUE(Window().view != nullptr);
        CaptureEngine& engine = CaptureEngine::Instance();
        ASSERT_TRUE(engine.PreviewReady());
        ASSERT_TRUE(engine.WorkerRunning());
        // The window made the engine the sink of every camera it opens.
        ASSERT_EQ(CameraRegistry::Instance().Sink(), &engine);
        ForgetDevices();
        TestDevices::Configuration configuration = TestDevices::DefaultConfiguration();
        configuration.cameras[0].capturePin = {GetParam()};
        ASSERT_TRUE(TestDevices::SaveConfiguration(configuration));
        CameraTest::Enumeration found = CameraTest::EnumerateAndMerge();
        CameraRegistry& registry = CameraRegistry::Instance();
        ASSERT_EQ(found.cameraCount, 1);
        ASSERT_FALSE(registry.Cameras().empty());
        camera = registry.Cameras().front();
        registry.SelectCamera(camera, registry.CurrentMicrophone(), Window().GetHWND());
        ASSERT_TRUE(camera->opened);
        ASSERT_EQ(camera->sampleSink.load(), &engine);
    }

    void TearDown() override {
        TestDevices::SetFaults(TestDevices::kDefaultCameraPath, Faults{});
        ForgetDevices();
        TestDevices::ResetConfiguration();
    }

    // Closes every camera and empties the registry's lists; the engine's
    // handler stays installed, as it does for the life of the program.
    static void ForgetDevices() {
        CameraRegistry& registry = CameraRegistry::Instance();
        for (OrvanaCamera* each : registry.Cameras()) {
            if (each->opened || each->running || each->graphBuilt) {
                each->Close();
            }
        }
        bool cameraRemoved = false;
        bool microphoneRemoved = false;
        registry.MergeDevices(nullptr, 0, cameraRemoved, nullptr, 0, microphoneRemoved);
    }

    // A new run of the camera: the fault counters start again from its first sample.
    void Restart() {
        camera->Close();
        CameraRegistry::Instance().SelectCamera(camera, nullptr, Window().GetHWND());
        ASSERT_TRUE(camera->opened);
    }

    void SetFaults(const Faults& faults) {
        ASSERT_TRUE(TestDevices::SetFaults(TestDevices::kDefaultCameraPath, faults));
    }

    // The camera started again with these faults (the filter reads them
    // within 250 ms); true once its first new picture is decoded.
    ::testing::AssertionResult RestartWith(const Faults& faults) {
        if (!TestDevices::SetFaults(TestDevices::kDefaultCameraPath, faults)) {
            return ::testing::AssertionFailure() << "the faults could not be set";
        }
        Pump(300);
        CaptureEngine& engine = CaptureEngine::Instance();
        const uint64_t decodedBefore = engine.DecodedFrames();
        Restart();
        if (!WaitFor([&] { return engine.DecodedFrames() > decodedBefore; })) {
            return ::testing::AssertionFailure() << "no picture after the restart";
        }
        return ::testing::AssertionSuccess();
    }

    // A picture of the camera's format is on hand and pictures keep coming.
    void ExpectLive(const char* when) {
        SCOPED_TRACE(when);
        const uint64_t before = CaptureEngine::Instance().DecodedFrames();
        EXPECT_TRUE(WaitFor([&] {
            return CaptureEngine::Instance().DecodedFrames() >= before + 5;
        })) << "decoding did not resume";
        EXPECT_TRUE(CaptureEngine::Instance().WorkerRunning());
    }

    // Waits until pictures have come for a while, then the bars are right.
    void ExpectGoodPicture(const char* when) {
        SCOPED_TRACE(when);
        ExpectLive(when);
        // An H.264 stream damaged before needs its next key frame to heal.
        Pump(GetParam().subtype == VideoSubtype::H264 ? 700 : 150);
        const Picture picture = Snapshot();
        ASSERT_EQ(picture.width, GetParam().width);
        ASSERT_EQ(picture.height, GetParam().height);
        EXPECT_TRUE(ShowsColourBars(picture));
    }

    // The preview window sits inside the control's 2-pixel border, centred,
    // as large as fits, with the camera's aspect ratio. Gives its place in
    // the main window's client area.
    RECT ExpectFittedInsideFrame(const VideoFormat& format) {
        const RECT control = Window().view->GetPos();
        RECT placed{};
        ::GetWindowRect(::LivePreview::Current()->Window(), &placed);
        ::MapWindowPoints(nullptr, Window().GetHWND(), reinterpret_cast<POINT*>(&placed), 2);
        const int innerWidth = control.right - control.left - 4;
        const int innerHeight = control.bottom - control.top - 4;
        const int width = placed.right - placed.left;
        const int height = placed.bottom - placed.top;
        EXPECT_GT(width, 0);
        EXPECT_GT(height, 0);
        EXPECT_GE(placed.left, control.left + 2);
        EXPECT_GE(placed.top, control.top + 2);
        EXPECT_LE(placed.right, control.right - 2);
        EXPECT_LE(placed.bottom, control.bottom - 2);
        EXPECT_LE(std::abs((placed.left - control.left - 2) - (control.right - 2 - placed.right)),
                  1);
        EXPECT_LE(std::abs((placed.top - control.top - 2) - (control.bottom - 2 - placed.bottom)),
                  1);
        EXPECT_TRUE(width >= innerWidth - 1 || height >= innerHeight - 1);
        EXPECT_LE(std::abs(width * format.height - height * format.width),
                  std::max(format.width, format.height));
        return placed;
    }

    // On screen: the white frame around the control, black where the picture
    // leaves room, and the eight colour bars where the fitted picture puts them.
    void ExpectOnScreen(const char* when) {
        SCOPED_TRACE(when);
        // The renderer has taken up the window's new size, and two pictures
        // were drawn at it, before looking.
        CaptureEngine& engine = CaptureEngine::Instance();
        const RECT placed = ExpectFittedInsideFrame(GetParam());
        ASSERT_TRUE(WaitFor([&] {
            const RECT drawn = ::LivePreview::Current()->Renderer().Destination();
            return drawn.right == placed.right - placed.left &&
                   drawn.bottom == placed.bottom - placed.top;
        })) << "the renderer did not follow the window's size";
        const uint64_t presented = engine.PresentedFrames();
        ASSERT_TRUE(WaitFor([&] { return engine.PresentedFrames() >= presented + 2; }));
        Pump(100);
        // The desktop may still show the old size for a moment after the
        // window changed (a busy X server composes late; beside another
        // test's camera switching it took over two seconds): the right picture
        // must come within five seconds; only the last look reports.
        ::testing::AssertionResult shown =
            ScreenShows(MediaTest::ScreenShot(Window().GetHWND()), placed);
        for (int look = 0; look < 50 && !shown; ++look) {
            Pump(100);
            shown = ScreenShows(MediaTest::ScreenShot(Window().GetHWND()), placed);
        }
        EXPECT_TRUE(shown);
    }

    // The white frame around the control, black where the picture fitted at
    // `placed` leaves room, and the eight colour bars where it puts them.
    ::testing::AssertionResult ScreenShows(const MediaTest::ScreenShot& shot, const RECT& placed) {
        const RECT control = Window().view->GetPos();
        if (shot.Empty()) {
            return ::testing::AssertionFailure() << "no screenshot";
        }
        auto white = [](COLORREF c) {
            return GetRValue(c) > 230 && GetGValue(c) > 230 && GetBValue(c) > 230;
        };
        auto black = [](COLORREF c) {
            return GetRValue(c) < 25 && GetGValue(c) < 25 && GetBValue(c) < 25;
        };
        const int midX = (control.left + control.right) / 2;
        const int midY = (control.top + control.bottom) / 2;
        std::vector<POINT> frame;
        for (int i = 0; i < 2; ++i) {
            frame.insert(frame.end(), {{control.left + i, midY},
                                       {control.right - 1 - i, midY},
                                       {midX, control.top + i},
                                       {midX, control.bottom - 1 - i}});
        }
        std::vector<POINT> room;
        if (placed.top - control.top - 2 >= 4) {
            room.insert(room.end(), {{midX, (control.top + 2 + placed.top) / 2},
                                     {midX, (placed.bottom + control.bottom - 2) / 2}});
        }
        if (placed.left - control.left - 2 >= 4) {
            room.insert(room.end(), {{(control.left + 2 + placed.left) / 2, midY},
                                     {(placed.right + control.right - 2) / 2, midY}});
        }
        for (const POINT& p : frame) {
            if (!white(shot.At(p.x, p.y))) {
                return ::testing::AssertionFailure()
                       << "the frame is not white at " << p.x << "," << p.y;
            }
        }
        for (const POINT& p : room) {
            if (!black(shot.At(p.x, p.y))) {
                return ::testing::AssertionFailure()
                       << "the room beside the picture is not black at " << p.x << "," << p.y;
            }
        }
        static const int kBars[8][3] = {{191, 191, 191}, {191, 191, 0}, {0, 191, 191}, {0, 191, 0},
                                        {191, 0, 191},   {191, 0, 0},   {0, 0, 191},   {0, 0, 0}};
        const int width = placed.right - placed.left;
        const int height = placed.bottom - placed.top;
        const int y = placed.top + height * 3 / 8;
        for (int bar = 0; bar < 8; ++bar) {
            const int x = placed.left + width * (2 * bar + 1) / 16;
            const COLORREF seen = shot.At(x, y);
            if (std::abs(GetRValue(seen) - kBars[bar][0]) > 40 ||
                std::abs(GetGValue(seen) - kBars[bar][1]) > 40 ||
                std::abs(GetBValue(seen) - kBars[bar][2]) > 40) {
                return ::testing::AssertionFailure()
                       << "bar " << bar << " on screen is " << int{GetRValue(seen)} << " "
                       << int{GetGValue(seen)} << " " << int{GetBValue(seen)};
            }
        }
        return ::testing::AssertionSuccess();
    }

    OrvanaCamera* camera = nullptr;
};

TEST_P(LivePreview, DecodesAndPresentsTheCameraContinuously) {
    const VideoFormat format = GetParam();
    CaptureEngine& engine = CaptureEngine::Instance();
    // Counters run over the whole process: wait for pictures of this test's format.
    const uint64_t presentedBefore = engine.PresentedFrames();
    ASSERT_TRUE(WaitFor([&] {
        return engine.PictureWidth() == format.width && engine.PictureHeight() == format.height;
    }));
    // Nobody moves the window: the engine has the preview refitted to the new frame size.
    ASSERT_TRUE(WaitFor([&] { return engine.PresentedFrames() > presentedBefore; }));
    Pump(300);

    // Decoded and drawn all the time; a nominal 30 fps camera gives far more
    // than a handful of pictures a second.
    const Progress second = Over(1000);
    EXPECT_GE(second.decoded, 10u);
    EXPECT_GE(second.presented, 5u);
    const Progress later = Over(1000);
    EXPECT_GE(later.decoded, 10u);
    EXPECT_GE(later.presented, 5u);
    EXPECT_LE(engine.QueuedItems(), 5u);
    EXPECT_EQ(engine.PictureWidth(), format.width);
    EXPECT_EQ(engine.PictureHeight(), format.height);

    // The picture has the camera's size, as frame and as packed planes.
    const Picture first = Snapshot();
    ASSERT_EQ(first.width, format.width);
    ASSERT_EQ(first.height, format.height);
    EXPECT_EQ(first.frameWidth, format.width);
    EXPECT_EQ(first.frameHeight, format.height);
    EXPECT_EQ(first.frameFormat, AV_PIX_FMT_YUV420P);
    EXPECT_TRUE(ShowsColourBars(first));

    // The frame number moves on.
    const uint64_t decoded = engine.DecodedFrames();
    ASSERT_TRUE(WaitFor([&] { return engine.DecodedFrames() >= decoded + 3; }));
    const Picture moved = Snapshot();
    EXPECT_NE(first.CounterRegion(), moved.CounterRegion());

    // The renderer draws into the whole of the fitted window, so the picture keeps its shape.
    const RECT placed = ExpectFittedInsideFrame(format);
    const uint64_t presented = engine.PresentedFrames();
    ASSERT_TRUE(WaitFor([&] { return engine.PresentedFrames() >= presented + 2; }));
    ASSERT_TRUE(::LivePreview::Current()->Renderer().Ready());
    const RECT destination = ::LivePreview::Current()->Renderer().Destination();
    EXPECT_EQ(destination.left, 0);
    EXPECT_EQ(destination.top, 0);
    EXPECT_EQ(destination.right, placed.right - placed.left);
    EXPECT_EQ(destination.bottom, placed.bottom - placed.top);
}

TEST_P(LivePreview, ScreenShowsTheMovingPictureInsideTheFrame) {
    const VideoFormat format = GetParam();
    ExpectGoodPicture("on start");
    ExpectOnScreen("as opened");

    // The frame number moves on screen too.
    const RECT placed = ExpectFittedInsideFrame(format);
    const RECT counter{placed.left, placed.top, placed.left + (placed.right - placed.left) / 4,
                       placed.top + (placed.bottom - placed.top) / 4};
    const std::vector<uint32_t> before = MediaTest::ScreenShot(Window().GetHWND()).Region(counter);
    Pump(1000);
    const std::vector<uint32_t> after = MediaTest::ScreenShot(Window().GetHWND()).Region(counter);
    EXPECT_NE(before, after) << "the picture on screen did not move in a second";
}

TEST_P(LivePreview, PictureFollowsResizingAndMaximising) {
    HWND window = Window().GetHWND();
    ExpectGoodPicture("on start");

    ::MoveWindow(window, 40, 40, 1000, 600, TRUE);
    Pump(600);
    ExpectOnScreen("wider and taller");

    ::MoveWindow(window, 40, 40, 560, 700, TRUE);
    Pump(600);
    ExpectOnScreen("narrow and tall");

    ::ShowWindow(window, SW_MAXIMIZE);
    Pump(800);
    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_GT(client.right, 1000);
    ExpectOnScreen("maximised");

    ::ShowWindow(window, SW_RESTORE);
    ::MoveWindow(window, 40, 40, 700, 520, TRUE);
    Pump(600);
    ExpectOnScreen("restored");
}

TEST_P(LivePreview, DamagedSamplesAreDroppedAndDecodingGoesOn) {
    CaptureEngine& engine = CaptureEngine::Instance();
    ExpectGoodPicture("before the faults");

    struct Damage {
        const char* name;
        Faults faults;
        // Whether every damaged sample must be refused whole, so that only
        // intact pictures are shown meanwhile. A raw YUY2 sample cut short
        // cannot be converted; empty samples never reach the engine. (The
        // JPEG and H.264 decoders conceal damage instead of refusing it.)
        bool intactMeanwhile;
    };
    Faults corrupt;
    corrupt.corruptEvery = 2;
    Faults truncated;
    truncated.truncateEvery = 2;
    Faults empty;
    empty.zeroLengthEvery = 2;
    const bool raw = GetParam().subtype == VideoSubtype::YUY2;
    const bool compressedStream = GetParam().subtype == VideoSubtype::H264;
    const Damage damages[] = {{"corrupt", corrupt, false},
                              {"truncated", truncated, raw},
                              {"empty", empty, !compressedStream}};
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        SetFaults(damage.faults);
        Pump(400);
        // Half the samples are whole: pictures still come, nothing stops.
        EXPECT_GT(Over(1000).decoded, 0u);
        EXPECT_TRUE(engine.WorkerRunning());
        ExpectLive("with the fault");
        if (damage.intactMeanwhile) {
            for (int i = 0; i < 5; ++i) {
                const Picture meanwhile = Snapshot();
                ASSERT_EQ(meanwhile.width, GetParam().width);
                EXPECT_TRUE(ShowsColourBars(meanwhile));
                Pump(70);
            }
        }
        SetFaults(Faults{});
        Pump(300);
        ExpectGoodPicture("after the fault");
    }
}

TEST_P(LivePreview, StallKeepsTheLastPictureUntilSamplesComeAgain) {
    CaptureEngine& engine = CaptureEngine::Instance();
    Faults stall;
    stall.stallAfter = 20;
    stall.stallMs = 1000;
    ASSERT_TRUE(RestartWith(stall));
    // The stall shows as a stretch without pictures; the last one stays.
    ASSERT_TRUE(WaitUntilQuiet(400, 4000)) << "no stall seen";
    const Picture during = Snapshot();
    const MediaTest::ScreenShot shownDuring(Window().GetHWND());
    const uint64_t decoded = engine.DecodedFrames();
    Pump(300);
    const Picture later = Snapshot();
    const MediaTest::ScreenShot shownLater(Window().GetHWND());
    EXPECT_EQ(engine.DecodedFrames(), decoded);
    ASSERT_EQ(during.width, GetParam().width);
    EXPECT_EQ(during.packed, later.packed);
    EXPECT_TRUE(ShowsColourBars(later));
    // The screen keeps showing that last picture, unchanged.
    {
        SCOPED_TRACE("on screen during the stall");
        const RECT placed = ExpectFittedInsideFrame(GetParam());
        EXPECT_TRUE(ScreenShows(shownLater, placed));
        EXPECT_EQ(shownDuring.Region(placed), shownLater.Region(placed));
    }
    EXPECT_TRUE(engine.WorkerRunning());
    ExpectGoodPicture("after the stall");
}

TEST_P(LivePreview, SlowCameraIsFollowedWithoutDropping) {
    CaptureEngine& engine = CaptureEngine::Instance();
    ExpectLive("at the nominal rate");
    Faults slow;
    slow.actualFps = 4;
    SetFaults(slow);
    Pump(600);
    const Progress atSlowRate = Over(2000);
    // Four pictures a second arrive and every one is decoded.
    EXPECT_GE(atSlowRate.decoded, 3u);
    EXPECT_LE(atSlowRate.decoded, 12u);
    EXPECT_EQ(atSlowRate.dropped, 0u);
    EXPECT_LE(engine.QueuedItems(), 1u);
    SetFaults(Faults{});
    Pump(500);
    const Progress atNominal = Over(1000);
    EXPECT_GT(atNominal.decoded, atSlowRate.decoded / 2 + 3);
    ExpectGoodPicture("back at the nominal rate");
}

TEST_P(LivePreview, EndOfStreamLeavesTheWorkerAndPictureForTheNextRun) {
    CaptureEngine& engine = CaptureEngine::Instance();
    Faults ending;
    ending.endOfStreamAfter = 15;
    ASSERT_TRUE(RestartWith(ending));
    ASSERT_TRUE(WaitUntilQuiet(400, 4000)) << "the stream did not end";
    const Picture last = Snapshot();
    EXPECT_EQ(Over(500).decoded, 0u);
    EXPECT_TRUE(engine.WorkerRunning());
    EXPECT_EQ(Snapshot().packed, last.packed);
    EXPECT_TRUE(ShowsColourBars(last));

    // The next run of the camera brings pictures back.
    ASSERT_TRUE(RestartWith(Faults{}));
    ExpectGoodPicture("after the next run started");
}

std::string FormatName(const ::testing::TestParamInfo<VideoFormat>& info) {
    return std::string(NameOf(info.param.subtype)) + "_" + std::to_string(info.param.width) + "x" +
           std::to_string(info.param.height);
}

// The window's thread makes a top-level window's surface (a resize, a
// drop-down list) while it holds the X connection's lock under Wine, and an
// X error met by Direct3D's drawing thread at that moment waits for the same
// lock. Without the program keeping the two apart this hung within seconds.
// A watchdog ends the process instead of letting it hang.
TEST_P(LivePreview, ResizesAndPopupsBesideTheDrawingDoNotHang) {
    if (GetParam().subtype != VideoSubtype::MJPG) {
        GTEST_SKIP() << "the drawing is the same for every format";
    }
    HWND window = Window().GetHWND();
    ExpectGoodPicture("on start");
    std::atomic<bool> done{false};
    std::thread watchdog([&done] {
        for (int second = 0; second < 120 && !done; ++second) {
            ::Sleep(1000);
        }
        if (!done) {
            std::printf("the window's thread hung beside the drawing\n");
            std::fflush(stdout);
            ::TerminateProcess(::GetCurrentProcess(), 3);
        }
    });
    const uint64_t presentedBefore = CaptureEngine::Instance().PresentedFrames();
    const DWORD start = ::GetTickCount();
    for (int round = 0; round < 250; ++round) {
        ::MoveWindow(window, 40, 40, round % 2 ? 1000 : 560, round % 2 ? 600 : 700, TRUE);
        Pump(10 + round % 7 * 5);
        HWND popup = ::CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_BORDER,
                                       100 + round % 50, 100, 200 + round % 30, 150, window,
                                       nullptr, nullptr, nullptr);
        ::ShowWindow(popup, SW_SHOWNORMAL);
        Pump(5 + round % 3 * 10);
        ::DestroyWindow(popup);
    }
    done = true;
    watchdog.join();
    // Kept apart, not stopped: the picture went on being drawn throughout.
    const uint64_t presented = CaptureEngine::Instance().PresentedFrames() - presentedBefore;
    const DWORD elapsed = ::GetTickCount() - start;
    std::printf("%llu pictures drawn in %lu ms\n", static_cast<unsigned long long>(presented),
                elapsed);
    EXPECT_GT(presented * 1000 * 3, 30ull * elapsed);
    ExpectGoodPicture("after the resizes");
}

INSTANTIATE_TEST_SUITE_P(Formats, LivePreview,
                         ::testing::Values(VideoFormat{VideoSubtype::MJPG, 640, 480, 30},
                                           VideoFormat{VideoSubtype::YUY2, 320, 240, 30},
                                           VideoFormat{VideoSubtype::H264, 640, 360, 30}),
                         FormatName); // 4:3, 4:3 at a small size, and 16:9

// Renderer fallbacks beside the running engine: the window thread's changes
// while the worker draws. The drawing is the same for every format.
class RendererFallbacks : public LivePreview {};

// A user dragging the window's edge: every step changes the preview's size.
// Each is a new back-buffer size, not a new device, and the window's thread
// does not wait long for the drawing turn under way (the window moves the
// preview when it lays itself out, as it paints). The step itself takes
// what Wine and the X server take, which on a busy machine is more than the
// drawing's share; that share is bounded here, at the median, loosely: on a
// quiet machine it is a few milliseconds, on a machine with a load of 20 on
// two cores Wine's drawing thread takes up to 100 ms for a picture, and a
// turn that made a device took the whole wait the window thread allows.
TEST_P(RendererFallbacks, AResizeWhileDrawingResetsTheDeviceAndEachStepReturnsAtOnce) {
    HWND window = Window().GetHWND();
    CaptureEngine& engine = CaptureEngine::Instance();
    ExpectGoodPicture("on start");
    const PreviewRenderer& renderer = ::LivePreview::Current()->Renderer();
    ASSERT_TRUE(WaitFor([&] { return renderer.Ready(); }));
    const unsigned devices = renderer.DevicesMade();
    const uint64_t presented = engine.PresentedFrames();
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    std::vector<double> steps;
    std::vector<double> held;
    PreviewDrawingGate().TakeLongestHoldWait();
    for (int step = 1; step <= 20; ++step) {
        LARGE_INTEGER begin, end;
        ::QueryPerformanceCounter(&begin);
        ::MoveWindow(window, 40, 40, 700 + 12 * step, 520 + 8 * step, TRUE);
        ::QueryPerformanceCounter(&end);
        steps.push_back(1000.0 * (end.QuadPart - begin.QuadPart) / frequency.QuadPart);
        Pump(40);
        held.push_back(PreviewDrawingGate().TakeLongestHoldWait().count() / 1000.0);
    }
    auto list = [](const std::vector<double>& values) {
        std::string text;
        for (double value : values) {
            text += " " + std::to_string(static_cast<int>(value + 0.5));
        }
        return text;
    };
    std::printf("resize steps (ms):%s\nof which waiting for the drawing:%s\n%u devices made\n",
                list(steps).c_str(), list(held).c_str(), renderer.DevicesMade() - devices);
    EXPECT_LE(renderer.DevicesMade() - devices, 1u);
    std::sort(held.begin(), held.end());
    EXPECT_LT(held[held.size() / 2], 125.0);
    // Drawn throughout, not held off.
    EXPECT_GE(engine.PresentedFrames() - presented, 10u);
    ExpectOnScreen("after the resize");
    ::MoveWindow(window, 40, 40, 700, 520, TRUE);
    Pump(300);
}

// A laptop docked to a monitor: Windows tells every top-level window.
TEST_P(RendererFallbacks, ADisplayChangeMakesDirect3DAnew) {
    ExpectGoodPicture("on start");
    const PreviewRenderer& renderer = ::LivePreview::Current()->Renderer();
    const unsigned made = renderer.Direct3DMade();
    RECT screen{};
    ::GetWindowRect(::GetDesktopWindow(), &screen);
    ::SendMessageA(Window().GetHWND(), WM_DISPLAYCHANGE, 32,
                   MAKELPARAM(screen.right - screen.left, screen.bottom - screen.top));
    EXPECT_TRUE(WaitFor([&] { return renderer.Direct3DMade() > made; }))
        << "Direct3D was not made anew";
    ExpectOnScreen("after the display change");
}

INSTANTIATE_TEST_SUITE_P(Mjpg, RendererFallbacks,
                         ::testing::Values(VideoFormat{VideoSubtype::MJPG, 640, 480, 30}),
                         FormatName);

// The worker is stopped for good, so this suite runs in a process of its own
// (ctest filters on "Shutdown"). The open camera is pulled out while
// previewing, then the program's shutdown runs: stopping the worker and
// closing the camera both return in bounded time.
class LivePreviewShutdown : public ::testing::TestWithParam<VideoFormat> {};

TEST_P(LivePreviewShutdown, UnplugWhilePreviewingThenStopJoinsTheWorker) {
    ASSERT_TRUE(Window().view != nullptr);
    CaptureEngine& engine = CaptureEngine::Instance();
    ASSERT_TRUE(engine.WorkerRunning());
    TestDevices::Configuration configuration = TestDevices::DefaultConfiguration();
    configuration.cameras[0].capturePin = {GetParam()};
    ASSERT_TRUE(TestDevices::SaveConfiguration(configuration));
    CameraRegistry& registry = CameraRegistry::Instance();
    CameraTest::ResetRegistry();
    registry.SetSampleSink(&engine);
    CameraTest::Enumeration found = CameraTest::EnumerateAndMerge();
    ASSERT_EQ(found.cameraCount, 1);
    OrvanaCamera* camera = registry.Cameras().front();
    registry.SelectCamera(camera, nullptr, Window().GetHWND());
    ASSERT_TRUE(camera->opened);
    const uint64_t before = engine.DecodedFrames();
    ASSERT_TRUE(WaitFor([&] { return engine.DecodedFrames() >= before + 10; }));

    ASSERT_TRUE(TestDevices::Unplug(TestDevices::kDefaultCameraPath));
    ASSERT_TRUE(WaitUntilQuiet(500, 3000)) << "samples kept coming after the unplug";
    EXPECT_TRUE(engine.WorkerRunning());

    // The shutdown sequence of the main window.
    DWORD start = ::GetTickCount();
    EXPECT_TRUE(engine.RequestStop());
    const DWORD stopTime = ::GetTickCount() - start;
    EXPECT_LT(stopTime, 1000u);
    EXPECT_FALSE(engine.WorkerRunning());
    EXPECT_EQ(engine.State(), CaptureEngine::WorkerState::Ended);
    // The worker let go of its Direct3D device before it ended.
    EXPECT_FALSE(::LivePreview::Current()->Renderer().Ready());
    ::Sleep(100);
    start = ::GetTickCount();
    camera->Close();
    EXPECT_LT(::GetTickCount() - start, 3000u);
    EXPECT_FALSE(camera->opened);

    // Nothing is taken from the queue any more; late samples are bounded.
    const uint8_t bytes[4] = {1, 2, 3, 4};
    for (int i = 0; i < 8; ++i) {
        engine.QueueVideoSample(camera->currentFormat, 0.0, bytes, 4);
    }
    EXPECT_LE(engine.QueuedItems(), 5u);

    CameraTest::ResetRegistry();
    registry.SetSampleSink(&engine);
    TestDevices::ResetConfiguration();
}

INSTANTIATE_TEST_SUITE_P(Mjpg, LivePreviewShutdown,
                         ::testing::Values(VideoFormat{VideoSubtype::MJPG, 640, 480, 30}),
                         FormatName);

} // namespace
