// A long recording as a user makes it: the synthetic camera (1280 x 720 MJPG
// at 30 fps, with a webcam's sensor noise, or ORVANA_PICTURE_NOISE's) and
// microphone through the device registry and the capture engine, for
// ORVANA_SOAK_SECONDS (default 180). Prints the process's memory
// and handle count as it goes, and at the end the samples dropped, the stop's
// time and the drift between the file's picture and sound. Fails when memory
// or handles grow after the first minute, when picture and sound drift apart
// or when more than 1 % of the samples were dropped.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/log.h>
}

#include "Core/CameraRegistry.h"
#include "Core/OrvanaCamera.h"
#include "capture/CaptureEngine.h"
#include "capture/MonotonicClock.h"
#include "preview/LivePreview.h"
#include "tests/support/MessagePump.h"
#include "tests/win32/CameraTestSupport.h"
#include "tests/win32/EngineTestSupport.h"
#include "tests/win32/MediaProbe.h"
#include "tests/win32/MediaTestEnvironment.h"
#include "tests/win32/ProcessHandles.h"
#include "tools/testdevices/TestDeviceControl.h"
#include "tools/testdevices/TestPicture.h"

namespace {

using MediaProbe::Fields;
using MediaProbe::Number;

// Targets.
constexpr double kFlatMegabytes = 10.0; // growth of memory after the first minute
constexpr long kFlatHandles = 16;       // growth of the handle count after the first minute
constexpr double kLargestDrift = 0.1;   // seconds between the picture's and the sound's end
constexpr double kLargestDropShare = 0.01;
// Memory is taken as settled after this long (seconds).
constexpr int kSettling = 60;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(window, message, wParam, lParam);
}

struct Usage {
    double workingSetMb = 0;
    double privateMb = 0;
    long handles = 0;
};

// Committed private memory, region by region (Wine leaves PrivateUsage 0).
double PrivateMegabytes() {
    double bytes = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* at = nullptr;
         ::VirtualQuery(at, &region, sizeof region) == sizeof region && region.RegionSize > 0;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            bytes += static_cast<double>(region.RegionSize);
        }
    }
    return bytes / 1048576.0;
}

Usage Measure() {
    Usage usage;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) {
        usage.workingSetMb = counters.WorkingSetSize / 1048576.0;
    }
    usage.privateMb = PrivateMegabytes();
    usage.handles = ProcessHandles::Count();
    return usage;
}

// A real camera's picture, so that the encoder works and the file grows as
// with a webcam.
int NoiseLevel() {
    const char* text = std::getenv("ORVANA_PICTURE_NOISE");
    return text != nullptr && *text != '\0'
               ? std::clamp(std::atoi(text), 0, TestDevices::kMaxNoiseLevel)
               : TestDevices::kWebcamNoiseLevel;
}

int SoakSeconds() {
    const char* text = std::getenv("ORVANA_SOAK_SECONDS");
    const int seconds = text != nullptr ? std::atoi(text) : 0;
    return seconds > 0 ? seconds : 180;
}

TEST(Soak, LongRecordingKeepsMemoryHandlesAndSyncSteady) {
    const int seconds = SoakSeconds();
    ASSERT_GT(seconds, kSettling) << "the first minute is not counted";
    const int every = seconds > 600 ? 60 : 10;
    // Whatever check fails on the way, the camera and the recording stop:
    // a graph left running keeps the process from ending.
    struct Cleanup {
        ~Cleanup() {
            CaptureEngine::Instance().StopRecording();
            CameraTest::ResetRegistry();
            TestDevices::ResetConfiguration();
        }
    } cleanup;

    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ParentProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "SoakParent";
    ::RegisterClassA(&windowClass);
    HWND parent = ::CreateWindowExA(0, "SoakParent", "", WS_POPUP | WS_VISIBLE, 0, 0, 1308, 800,
                                    nullptr, nullptr, instance, nullptr);
    CaptureEngine& engine = CaptureEngine::Instance();
    ASSERT_TRUE(WireCapture(engine, CameraRegistry::Instance(), parent, instance) != nullptr);
    ::MoveWindow(LivePreview::Current()->Window(), 27, 87, 984, 554, TRUE);

    TestDevices::Configuration configuration = TestDevices::DefaultConfiguration();
    configuration.cameras[0].capturePin = {
        TestDevices::VideoFormat{TestDevices::VideoSubtype::MJPG, 1280, 720, 30}};
    configuration.cameras[0].noiseLevel = NoiseLevel();
    std::printf("camera picture: sensor noise %d\n", configuration.cameras[0].noiseLevel);
    ASSERT_TRUE(TestDevices::SaveConfiguration(configuration));
    CameraRegistry& registry = CameraRegistry::Instance();
    registry.SetSampleSink(&engine);
    const CameraTest::Enumeration found = CameraTest::EnumerateAndMerge();
    ASSERT_EQ(found.cameraCount, 1);
    ASSERT_EQ(found.microphoneCount, 1);
    registry.SelectCamera(registry.Cameras().front(), nullptr, nullptr);
    TestSupport::WaitFor([&] { return engine.PictureWidth() == 1280; }, 10000);
    ASSERT_EQ(engine.PictureWidth(), 1280);

    const std::string name = "soak.mp4";
    const uint64_t droppedBefore = engine.DroppedSamples();
    const uint64_t decodedBefore = engine.DecodedFrames();
    ASSERT_TRUE(EngineTest::RecordCurrentCamera(engine, MediaProbe::WindowsPath(name)));
    const int64_t started = MonotonicMicros();
    std::printf("%6s %12s %12s %8s %10s\n", "s", "working MB", "private MB", "handles", "dropped");
    Usage low{1e9, 1e9, 1L << 30};
    Usage high{0, 0, 0};
    for (int at = every; at <= seconds; at += every) {
        const int64_t due = started + static_cast<int64_t>(at) * 1000000;
        while (MonotonicMicros() < due) {
            TestSupport::Pump(static_cast<DWORD>(
                std::min<int64_t>(200, std::max<int64_t>(1, (due - MonotonicMicros()) / 1000))));
        }
        const Usage now = Measure();
        if (at == every) {
            EXPECT_GT(now.handles, 0) << "the handles cannot be counted here";
        }
        std::printf("%6d %12.1f %12.1f %8ld %10llu\n", at, now.workingSetMb, now.privateMb,
                    now.handles,
                    static_cast<unsigned long long>(engine.DroppedSamples() - droppedBefore));
        if (at >= kSettling) {
            low = {std::min(low.workingSetMb, now.workingSetMb),
                   std::min(low.privateMb, now.privateMb), std::min(low.handles, now.handles)};
            high = {std::max(high.workingSetMb, now.workingSetMb),
                    std::max(high.privateMb, now.privateMb), std::max(high.handles, now.handles)};
        }
    }
    const double wall = (MonotonicMicros() - started) / 1e6;
    const DWORD stopping = ::GetTickCount();
    engine.StopRecording();
    const DWORD stopMs = ::GetTickCount() - stopping;
    EXPECT_TRUE(engine.WaitForFinishedRecordings(60000));
    const FinishedRecording finished = engine.Recordings().LastFinished();

    const uint64_t dropped = engine.DroppedSamples() - droppedBefore;
    const uint64_t decoded = engine.DecodedFrames() - decodedBefore;
    const double dropShare = decoded + dropped > 0 ? double(dropped) / (decoded + dropped) : 1.0;
    const uint64_t encoderDropped = engine.Recordings().LastDroppedPictures();
    const uint64_t written = engine.Recordings().LastPictures();
    const double encoderShare =
        written + encoderDropped > 0 ? double(encoderDropped) / (written + encoderDropped) : 1.0;
    const std::vector<Fields> streams = MediaProbe::Streams(name);
    ASSERT_EQ(streams.size(), 2u);
    const double videoEnd = Number(streams[0], "start_time") + Number(streams[0], "duration");
    const double soundEnd = Number(streams[1], "start_time") + Number(streams[1], "duration");
    const double drift = videoEnd - soundEnd;

    std::printf("after the first minute: working set %.1f..%.1f MB, private %.1f..%.1f MB, "
                "handles %ld..%ld (allowed growth %.0f MB, %ld handles)\n",
                low.workingSetMb, high.workingSetMb, low.privateMb, high.privateMb, low.handles,
                high.handles, kFlatMegabytes, kFlatHandles);
    std::printf("samples: %llu decoded, %llu dropped from the queue (%.2f %%), %llu pictures "
                "dropped by the encoder (%.2f %%), %llu sound frames dropped (allowed %.0f %%)\n",
                static_cast<unsigned long long>(decoded), static_cast<unsigned long long>(dropped),
                dropShare * 100, static_cast<unsigned long long>(encoderDropped),
                encoderShare * 100,
                static_cast<unsigned long long>(engine.Recordings().LastDroppedSound()),
                kLargestDropShare * 100);
    std::printf("recorded %.1f s: picture ends at %.3f s, sound at %.3f s, drift %.0f ms "
                "(allowed %.0f ms)\n",
                wall, videoEnd, soundEnd, drift * 1000, kLargestDrift * 1000);
    std::printf("stop took %lu ms; file %.1f MB fragmented, %.1f MB finished in place (%s) "
                "%.0f ms after the stop\n",
                stopMs, finished.fragmentedBytes / 1e6, finished.bytes / 1e6,
                finished.ordinary ? "ordinary" : "NOT FINISHED",
                engine.Recordings().LastFinishMicros() / 1000.0);

    EXPECT_LE(high.workingSetMb - low.workingSetMb, kFlatMegabytes);
    EXPECT_LE(high.privateMb - low.privateMb, kFlatMegabytes);
    EXPECT_LE(high.handles - low.handles, kFlatHandles);
    EXPECT_LE(dropShare, kLargestDropShare);
    EXPECT_LE(encoderShare, kLargestDropShare);
    EXPECT_LT(std::fabs(drift), kLargestDrift);
    EXPECT_NEAR(videoEnd, wall, 1.0);
    EXPECT_TRUE(finished.ordinary);
}

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new MediaTestEnvironment());

} // namespace
