// Whether the capture engine keeps up with a camera while the preview runs:
// a feeder thread hands the engine 1920x1080 MJPG samples (4:2:2 JPEG, as
// webcams send) at the camera's pace, as the camera's streaming thread does,
// while the engine decodes and draws into its preview window inside a
// top-level window. Prints the samples the queue had to drop and exits with 1
// when they exceed the allowed share.
//
//   EngineBenchmark.exe [seconds=60] [fps=30] [width=1920] [height=1080]
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

#include "bench/BenchSamples.h"
#include "capture/CaptureEngine.h"

namespace {

// The most samples the queue may drop: 1 %.
constexpr double kAllowedDropShare = 0.01;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(window, message, wParam, lParam);
}

int Argument(int argc, char** argv, int index, int fallback) {
    return argc > index && std::atoi(argv[index]) > 0 ? std::atoi(argv[index]) : fallback;
}

void PumpMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::DispatchMessageA(&message);
    }
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = Argument(argc, argv, 1, 60);
    const int fps = Argument(argc, argv, 2, 30);
    const int width = Argument(argc, argv, 3, 1920);
    const int height = Argument(argc, argv, 4, 1080);
    av_log_set_level(AV_LOG_ERROR);
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    const std::vector<std::vector<uint8_t>> samples = Encode(AV_CODEC_ID_MJPEG, width, height);
    if (samples.empty()) {
        std::printf("no MJPG samples could be made\n");
        return 2;
    }
    const StreamFormat format = FormatOf("MJPG", width, height);

    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
    windowClass.lpszClassName = "OrvanaEngineBench";
    ::RegisterClassA(&windowClass);
    // The program's window size and the preview's place in it.
    HWND window = ::CreateWindowExA(0, "OrvanaEngineBench", "engine",
                                    WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
                                    1308, 800, nullptr, nullptr, instance, nullptr);
    CaptureEngine& engine = CaptureEngine::Instance();
    if (window == nullptr || !engine.CreatePreviewWindow(window, instance)) {
        std::printf("the preview window could not be made\n");
        return 2;
    }
    const int previewHeight = 554;
    const int previewWidth = previewHeight * width / height;
    ::MoveWindow(engine.previewWindow, 27, 87, previewWidth, previewHeight, TRUE);
    PumpMessages();

    // The camera's streaming thread: one sample every 1/fps seconds, on a
    // schedule that does not drift when a call takes longer.
    const int total = seconds * fps;
    std::atomic<int> fed{0};
    std::atomic<int> refused{0};
    std::thread feeder([&] {
        const double start = Now();
        for (int i = 0; i < total; ++i) {
            const double due = start + static_cast<double>(i) / fps;
            while (Now() < due) {
                ::Sleep(1);
            }
            const auto& sample = samples[static_cast<size_t>(i) % samples.size()];
            if (engine.QueueVideoSample(format, due - start, sample.data(),
                                        static_cast<int32_t>(sample.size())) != 0) {
                ++refused;
            }
            ++fed;
        }
    });
    const double start = Now();
    while (fed < total) {
        PumpMessages();
        ::Sleep(5);
    }
    feeder.join();
    // Let the worker finish what is still queued.
    for (int i = 0; i < 200 && engine.QueuedItems() > 0; ++i) {
        PumpMessages();
        ::Sleep(10);
    }
    const double elapsed = Now() - start;

    const uint64_t dropped = engine.DroppedSamples();
    const double share = static_cast<double>(dropped) / total;
    std::printf("%dx%d MJPG at %d fps for %.1f s: %d samples fed, %d refused\n", width, height, fps,
                elapsed, total, refused.load());
    std::printf("dropped from the queue: %llu (%.2f %%, allowed %.2f %%)\n",
                static_cast<unsigned long long>(dropped), share * 100.0, kAllowedDropShare * 100.0);
    std::printf("decoded %llu, drawn %llu, drawing skipped for %llu (a newer sample waited)\n",
                static_cast<unsigned long long>(engine.DecodedFrames()),
                static_cast<unsigned long long>(engine.PresentedFrames()),
                static_cast<unsigned long long>(engine.SkippedDrawings()));
    const bool kept = refused == 0 && share <= kAllowedDropShare;
    std::printf("%s\n", kept ? "PASS" : "FAIL");
    engine.RequestStop();
    ::DestroyWindow(window);
    return kept ? 0 : 1;
}
