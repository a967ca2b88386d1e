// The capture engine: refusal of samples, the bounded queue, the worker
// thread drawing into the preview window, and stopping the worker.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/frame.h>
}

#include "Core/CameraRegistry.h"
#include "Core/OrvanaAudio.h"
#include "Core/OrvanaCamera.h"
#include "app/CaptureWiring.h"
#include "capture/CaptureEngine.h"
#include "preview/LivePreview.h"
#include "preview/PreviewFit.h"
#include "tests/support/DirectShowFormats.h"
#include "tests/support/MessagePump.h"
#include "tests/win32/CameraTestSupport.h"
#include "tests/win32/MediaTestSupport.h"

namespace {

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(window, message, wParam, lParam);
}

using TestSupport::Pump;
using TestSupport::WaitFor;

// The main window stand-in: a white top-level window that owns the preview.
HWND Parent() {
    static HWND parent = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = ParentProc;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        windowClass.lpszClassName = "EngineTestParent";
        ::RegisterClassA(&windowClass);
        HWND window = ::CreateWindowExA(WS_EX_TOPMOST, "EngineTestParent", "",
                                        WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 500, 500,
                                        nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        ::UpdateWindow(window);
        return window;
    }();
    return parent;
}

CaptureEngine& ReadyEngine() {
    CaptureEngine& engine = CaptureEngine::Instance();
    if (!engine.PreviewReady()) {
        EXPECT_TRUE(WireCapture(engine, CameraRegistry::Instance(), Parent(),
                                ::GetModuleHandleA(nullptr)) != nullptr);
    }
    return engine;
}

// Every device gone; the engine stays the cameras' sink, as in the program.
void ClearRegistry() {
    CameraRegistry& registry = CameraRegistry::Instance();
    SampleSink* const sink = registry.Sink();
    CameraTest::ResetRegistry();
    registry.SetSampleSink(sink);
}

} // namespace

TEST(CaptureEngine, PreviewWindowIsMadeOnceWithItsClass) {
    CaptureEngine& engine = ReadyEngine();
    ASSERT_TRUE(engine.PreviewReady());
    ASSERT_NE(LivePreview::Current()->Window(), nullptr);
    char className[64] = {};
    ::GetClassNameA(LivePreview::Current()->Window(), className, sizeof className);
    EXPECT_STREQ(className, "PreviewClass");
    EXPECT_EQ(::GetParent(LivePreview::Current()->Window()), Parent());
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongA(LivePreview::Current()->Window(), GWL_STYLE)) &
                  0x54000000u,
              0x54000000u);
    EXPECT_EQ(CameraRegistry::Instance().Sink(), &engine);
    // A second creation fails and changes nothing.
    HWND before = LivePreview::Current()->Window();
    EXPECT_EQ(
        WireCapture(engine, CameraRegistry::Instance(), Parent(), ::GetModuleHandleA(nullptr)),
        nullptr);
    EXPECT_EQ(LivePreview::Create(Parent(), ::GetModuleHandleA(nullptr)), nullptr);
    EXPECT_EQ(LivePreview::Current()->Window(), before);
    EXPECT_TRUE(engine.PreviewReady());
}

TEST(CaptureEngine, RefusesEmptySamplesAndSamplesWithoutAFormat) {
    CaptureEngine& engine = ReadyEngine();
    ClearRegistry();
    CameraRegistry& registry = CameraRegistry::Instance();
    uint8_t bytes[16] = {1, 2, 3};
    const StreamFormat format = TestSupport::StreamFormatOf("YUY2", 4, 2);
    EXPECT_EQ(engine.QueueVideoSample(format, 0.0, bytes, 0), -1);
    EXPECT_EQ(engine.QueueVideoSample(format, 0.0, nullptr, 16), -1);

    // A camera that cannot tell its format (not opened) hands nothing on:
    // an empty format would close the working decoder.
    struct CountingSink final : SampleSink {
        int taken = 0;
        void TakeSample(const StreamFormat&, double, const uint8_t*, int32_t) override { ++taken; }
    } sink;
    OrvanaCamera closed(nullptr, nullptr, L"Closed", L"closed");
    closed.sampleSink = &sink;
    EXPECT_EQ(closed.BufferCB(0.0, bytes, 16), S_OK);
    EXPECT_EQ(sink.taken, 0);

    // Nothing to record without a camera.
    RecordingSource source;
    EXPECT_FALSE(CurrentRecordingSource(registry, source));
    EXPECT_EQ(registry.Current(), nullptr);

    ClearRegistry();
}

TEST(CaptureEngine, SixSamplesWhileTheWorkerIsBusyLeaveFive) {
    CaptureEngine& engine = ReadyEngine();
    const StreamFormat format = TestSupport::StreamFormatOf("YUY2", 8, 4);
    std::vector<uint8_t> sample = MediaTest::Yuy2Halves(8, 4, {16, 128, 128}, {235, 128, 128});
    {
        // Holding the pipeline's lock keeps the worker inside its first sample.
        std::unique_lock<std::mutex> busy(engine.Pipeline()->ContextLock());
        ASSERT_EQ(engine.QueueVideoSample(format, 1.0, sample.data(), 64), 0);
        ASSERT_TRUE(WaitFor([&] { return engine.QueuedItems() == 0; }));
        const uint64_t droppedBefore = engine.DroppedSamples();
        for (int i = 0; i < 6; ++i) {
            ASSERT_EQ(engine.QueueVideoSample(format, 2.0 + i, sample.data(), 64), 0);
        }
        EXPECT_EQ(engine.QueuedItems(), 5u);
        EXPECT_EQ(engine.DroppedSamples(), droppedBefore + 1);
        ClearRegistry();
    }
    EXPECT_TRUE(WaitFor([&] { return engine.QueuedItems() == 0; }));
}

TEST(CaptureEngine, WorkerDrawsFittedPictureAndKeepsItThroughDamagedSamples) {
    CaptureEngine& engine = ReadyEngine();
    const int width = 160, height = 90;
    const StreamFormat format = TestSupport::StreamFormatOf("MJPG", width, height);
    auto samples = MediaTest::Encode(AV_CODEC_ID_MJPEG, width, height, 1, 200);
    ASSERT_EQ(samples.size(), 1u);
    const uint64_t decodedBefore = engine.DecodedFrames();
    // The first picture arrives while the preview window is still 0 x 0.
    ASSERT_EQ(engine.QueueVideoSample(format, 0.0, samples[0].data(),
                                      static_cast<int32_t>(samples[0].size())),
              0);
    ASSERT_TRUE(WaitFor([&] { return engine.DecodedFrames() > decodedBefore; }));
    EXPECT_EQ(engine.PictureWidth(), width);
    EXPECT_EQ(engine.PictureHeight(), height);

    // Placed as the preview control places it: a 16:9 picture in a square control.
    const PreviewPlacement place =
        FitPreviewRect(50, 50, 454, 454, engine.PictureWidth(), engine.PictureHeight());
    EXPECT_EQ(place.width, 400);
    EXPECT_EQ(place.height, 225);
    ::MoveWindow(LivePreview::Current()->Window(), place.x, place.y, place.width, place.height,
                 TRUE);
    Pump(50);
    const uint64_t presentedBefore = engine.PresentedFrames();
    for (int i = 0; i < 3; ++i) {
        engine.QueueVideoSample(format, 1.0, samples[0].data(),
                                static_cast<int32_t>(samples[0].size()));
        Pump(100);
    }
    ASSERT_TRUE(WaitFor([&] { return engine.PresentedFrames() >= presentedBefore + 3; }));
    Pump(200);

    // The preview window sits centred inside the border with the picture's
    // aspect ratio; the parent's white shows in the strips above and below,
    // the picture's grey inside.
    HWND parent = Parent();
    RECT placed{};
    ::GetWindowRect(LivePreview::Current()->Window(), &placed);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 52);
    EXPECT_EQ(placed.right, 452);
    EXPECT_EQ(placed.top, place.y);
    EXPECT_EQ(placed.bottom - placed.top, 225);
    EXPECT_LE(std::abs((place.y - 52) - (452 - (place.y + place.height))), 1);
    EXPECT_EQ(MediaTest::ScreenPixel(parent, 252, place.y - 3), RGB(255, 255, 255));
    EXPECT_EQ(MediaTest::ScreenPixel(parent, 252, place.y + place.height + 2), RGB(255, 255, 255));
    // Wine's Direct3D turns YV12 into RGB as full range, drivers on Windows
    // as video range: the grey comes out between 188 and 200.
    auto grey = [](COLORREF c) {
        return std::abs(GetRValue(c) - 194) <= 10 && std::abs(GetGValue(c) - 194) <= 10 &&
               std::abs(GetBValue(c) - 194) <= 10;
    };
    EXPECT_TRUE(grey(MediaTest::ScreenPixel(parent, 252, place.y + place.height / 2)));
    EXPECT_TRUE(grey(MediaTest::ScreenPixel(parent, 54, place.y + 2)));
    EXPECT_TRUE(LivePreview::Current()->Renderer().Ready());
    EXPECT_EQ(LivePreview::Current()->Renderer().Destination().right, 400);
    EXPECT_EQ(LivePreview::Current()->Renderer().Destination().bottom, 225);
    const StreamFormat shown = engine.Pipeline()->RememberedFormat();
    const uint8_t centreLuma = engine.Pipeline()->PackedPicture()[45 * width + 80];
    EXPECT_NEAR(centreLuma, 16 + 200 * 219 / 255, 3);

    // Damaged samples are dropped and the picture stays.
    std::vector<uint8_t> truncated(samples[0].begin(), samples[0].begin() + 30);
    std::vector<uint8_t> garbage(3000, 0xA5);
    engine.QueueVideoSample(format, 2.0, truncated.data(), static_cast<int32_t>(truncated.size()));
    engine.QueueVideoSample(format, 3.0, garbage.data(), static_cast<int32_t>(garbage.size()));
    ASSERT_TRUE(WaitFor([&] { return engine.QueuedItems() == 0; }));
    Pump(100);
    EXPECT_EQ(engine.Pipeline()->PackedPicture()[45 * width + 80], centreLuma);
    EXPECT_TRUE(grey(MediaTest::ScreenPixel(parent, 252, place.y + place.height / 2)));
    EXPECT_EQ(shown.width, width);

    // Minimized: decoded, not drawn.
    engine.SetMinimized(true);
    const uint64_t presented = engine.PresentedFrames();
    const uint64_t decoded = engine.DecodedFrames();
    engine.QueueVideoSample(format, 4.0, samples[0].data(),
                            static_cast<int32_t>(samples[0].size()));
    ASSERT_TRUE(WaitFor([&] { return engine.DecodedFrames() > decoded; }));
    EXPECT_EQ(engine.PresentedFrames(), presented);
    engine.SetMinimized(false);
}

TEST(CaptureEngine, StopRecordingWhenIdleAndTheNextRecordingsVolume) {
    CaptureEngine& engine = ReadyEngine();
    ClearRegistry();
    EXPECT_TRUE(engine.StopRecording());
    EXPECT_FALSE(engine.IsRecording());
    engine.SetRecordingVolume(40);
    EXPECT_EQ(engine.Recordings().Volume(), 40);
}

namespace {

// A crash ends the process at once, with its code, rather than wait for a debugger.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* failure) {
    ::TerminateProcess(::GetCurrentProcess(), failure->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// Holds a lock on a thread of its own until it is destroyed; then waits (at
// most a few seconds) for the engine's worker to end.
class LockHeldUntilExit {
public:
    void Hold(std::mutex& lock) {
        m_release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE held = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_holder = std::thread([&lock, held, this] {
            std::lock_guard<std::mutex> hold(lock);
            ::SetEvent(held);
            ::WaitForSingleObject(m_release, INFINITE);
        });
        ::WaitForSingleObject(held, INFINITE);
        ::CloseHandle(held);
    }
    ~LockHeldUntilExit() {
        if (!m_holder.joinable()) {
            return;
        }
        ::SetEvent(m_release);
        m_holder.join();
        const DWORD start = ::GetTickCount();
        while (CaptureEngine::Instance().WorkerRunning() && ::GetTickCount() - start < 5000) {
            ::Sleep(10);
        }
    }

private:
    HANDLE m_release = nullptr;
    std::thread m_holder;
};

} // namespace

// At exit the engine waits a few seconds for its worker. A worker stuck
// longer (in a decoder, in a driver) may go on at any moment afterwards, and
// must find everything it uses still there. Here it is held inside a picture
// until after the engine's exit step, then let go.
TEST(CaptureEngineDeathTest, AWorkerStuckPastTheExitWaitFindsTheEngineWhole) {
    EXPECT_EXIT(
        {
            ::SetUnhandledExceptionFilter(EndOnCrash);
            // Made before the engine, so destroyed after the engine's exit step.
            static LockHeldUntilExit stuck;
            CaptureEngine& engine = ReadyEngine();
            engine.SetMinimized(true);
            stuck.Hold(engine.Pipeline()->ContextLock());
            const StreamFormat format = TestSupport::StreamFormatOf("YUY2", 8, 4);
            std::vector<uint8_t> sample =
                MediaTest::Yuy2Halves(8, 4, {16, 128, 128}, {235, 128, 128});
            engine.QueueVideoSample(format, 1.0, sample.data(), 64);
            WaitFor([&] { return engine.QueuedItems() == 0; });
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

// Runs in a process of its own (a ...Shutdown suite): the worker is stopped and joined for good.
TEST(CaptureEngineShutdown, RequestStopEndsAndJoinsTheWorker) {
    CaptureEngine& engine = ReadyEngine();
    EXPECT_TRUE(engine.WorkerRunning());
    EXPECT_TRUE(engine.RequestStop());
    EXPECT_FALSE(engine.WorkerRunning());
    EXPECT_EQ(engine.State(), CaptureEngine::WorkerState::Ended);
    EXPECT_TRUE(engine.RequestStop()); // a second request is harmless
}
