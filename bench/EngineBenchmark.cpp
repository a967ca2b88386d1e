// Whether the capture engine keeps up with a camera while the preview runs:
// a feeder thread hands the engine 1920x1080 MJPG samples (4:2:2 JPEG, as
// webcams send) at the camera's pace, as the camera's streaming thread does,
// while the engine decodes and draws into its preview window inside a
// top-level window, and, with "record", while every picture also goes into
// an MP4 recording. Prints the samples the queue had to drop, the pictures
// drawn per second and the longest stretch without a new picture on screen
// (a freeze), the delay from a sample's arrival to the Present of its
// picture (median and 99th percentile) beside its floor (one picture's
// decode and draw measured in the same run), and exits with 1 when a limit
// is exceeded. Lines starting with RESULT carry the figures for scripts.
// "rgb" or "gdi" keeps the preview from its main path, as a machine whose
// adapter does not convert YV12, or that has no Direct3D 9, would.
//
//   EngineBenchmark.exe [seconds=60] [fps=30] [width=1920] [height=1080] [record] [rgb|gdi]
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

#include "Core/CameraRegistry.h"
#include "app/CaptureWiring.h"
#include "bench/BenchSamples.h"
#include "capture/CaptureEngine.h"
#include "capture/MediaPipeline.h"
#include "preview/LivePreview.h"
#include "preview/PreviewRenderer.h"

namespace {

// The most samples the queue may drop: 1 %.
constexpr double kAllowedDropShare = 0.01;
// The preview must show at least this share of the camera's pictures ...
constexpr double kLeastDrawnShare = 0.5;
// ... and never stand still longer than this (seconds).
constexpr double kLongestFreeze = 0.25;
// Median delay from a sample's arrival to its Present at 1280x720 (ms).
constexpr double kLatencyMedianAt720 = 50.0;
// The median delay against one picture's decode and draw alone.
constexpr double kLatencyOverFloor = 1.2;
// A recording keeps at least this share of the camera's pictures.
constexpr double kLeastRecordedShare = 0.995;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(window, message, wParam, lParam);
}

int Argument(int argc, char** argv, int index, int fallback) {
    return argc > index && std::atoi(argv[index]) > 0 ? std::atoi(argv[index]) : fallback;
}

// The value below which the share q of the sorted values lies (nearest rank).
double Percentile(const std::vector<int64_t>& sorted, double q) {
    if (sorted.empty()) {
        return 0.0;
    }
    const double rank = std::ceil(q * static_cast<double>(sorted.size()));
    const std::size_t index = rank < 1.0 ? 0 : static_cast<std::size_t>(rank) - 1;
    return static_cast<double>(sorted[std::min(index, sorted.size() - 1)]);
}

void PumpMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::DispatchMessageA(&message);
    }
}

// A renderer kept from the main path as such a machine keeps it.
class PathRenderer : public PreviewRenderer {
public:
    explicit PathRenderer(PreviewPath path) : m_path(path) {}

protected:
    IDirect3D9* CreateDirect3D() override {
        return m_path == PreviewPath::Gdi ? nullptr : PreviewRenderer::CreateDirect3D();
    }
    HRESULT CheckConversion(D3DFORMAT source, D3DFORMAT target) override {
        if (m_path == PreviewPath::Rgb && source != D3DFMT_X8R8G8B8) {
            return D3DERR_NOTAVAILABLE;
        }
        return PreviewRenderer::CheckConversion(source, target);
    }

private:
    const PreviewPath m_path;
};

const char* PathName(PreviewPath path) {
    switch (path) {
    case PreviewPath::Yv12:
        return "YV12";
    case PreviewPath::Rgb:
        return "RGB";
    case PreviewPath::Gdi:
        return "GDI";
    default:
        return "none";
    }
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One picture's decode (the worker's decode step) while nothing else runs,
// in milliseconds: with the run's drawing times, the least an
// arrival-to-drawn delay can be.
double MeasureDecode(const StreamFormat& format, const std::vector<std::vector<uint8_t>>& samples) {
    MediaPipeline pipeline;
    std::vector<double> decodes;
    for (int i = 0; i < 100; ++i) {
        const auto& sample = samples[static_cast<size_t>(i) % samples.size()];
        const double start = Now();
        const bool decoded =
            pipeline.DecodeFrame(format, sample.data(), static_cast<int32_t>(sample.size()));
        if (decoded && i >= 5) { // after the decoder's start
            decodes.push_back((Now() - start) * 1000.0);
        }
    }
    return Median(decodes);
}

// What the command line asks for.
struct Options {
    int seconds = 60;
    int fps = 30;
    int width = 1920;
    int height = 1080;
    bool record = false;
    PreviewPath path = PreviewPath::Yv12;
};

Options ReadOptions(int argc, char** argv) {
    Options options;
    options.seconds = Argument(argc, argv, 1, 60);
    options.fps = Argument(argc, argv, 2, 30);
    options.width = Argument(argc, argv, 3, 1920);
    options.height = Argument(argc, argv, 4, 1080);
    for (int i = 5; i < argc; ++i) {
        if (std::strcmp(argv[i], "record") == 0) {
            options.record = true;
        } else if (std::strcmp(argv[i], "rgb") == 0) {
            options.path = PreviewPath::Rgb;
        } else if (std::strcmp(argv[i], "gdi") == 0) {
            options.path = PreviewPath::Gdi;
        }
    }
    return options;
}

// A top-level window of the program's window size; null when it cannot be made.
HWND MakeProgramWindow() {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
    windowClass.lpszClassName = "OrvanaEngineBench";
    ::RegisterClassA(&windowClass);
    return ::CreateWindowExA(0, "OrvanaEngineBench", "engine",
                             WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 1308,
                             800, nullptr, nullptr, instance, nullptr);
}

// Wires the engine's preview into the window, in the preview's place in the
// program's window; false when the window or the preview is missing.
bool ShowPreview(CaptureEngine& engine, HWND window, const Options& options) {
    if (window == nullptr ||
        WireCapture(engine, CameraRegistry::Instance(), window, ::GetModuleHandleA(nullptr),
                    std::unique_ptr<PreviewRenderer>(new PathRenderer(options.path))) == nullptr) {
        return false;
    }
    const int previewHeight = 554;
    const int previewWidth = previewHeight * options.width / options.height;
    ::MoveWindow(LivePreview::Current()->Window(), 27, 87, previewWidth, previewHeight, TRUE);
    PumpMessages();
    return true;
}

std::string RecordingPath() {
    char folder[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "orvana-engine-bench.mp4";
}

bool StartRecording(CaptureEngine& engine, const Options& options, const StreamFormat& format,
                    const std::vector<std::vector<uint8_t>>& samples, const std::string& path) {
    // A recording needs a decoded picture to start from.
    engine.QueueVideoSample(format, 0.0, samples[0].data(),
                            static_cast<int32_t>(samples[0].size()));
    for (int i = 0; i < 200 && engine.DecodedFrames() == 0; ++i) {
        PumpMessages();
        ::Sleep(10);
    }
    // What CaptureEngine::StartRecording does once it knows the camera's size.
    return engine.StartRecordingWith(path, options.width, options.height, options.fps, L"");
}

// The camera's streaming thread: one sample every 1/fps seconds, on a
// schedule that does not drift when a call takes longer.
void FeedSamples(CaptureEngine& engine, const StreamFormat& format,
                 const std::vector<std::vector<uint8_t>>& samples, int total, int fps,
                 std::atomic<int>& fed, std::atomic<int>& refused) {
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
}

// Serves the preview's messages until every sample is fed; returns the
// longest time the screen went without a new picture (a freeze), counted
// after the first second.
double WatchPreview(CaptureEngine& engine, double start, int total, const std::atomic<int>& fed) {
    uint64_t lastPresented = engine.PresentedFrames();
    double lastChange = start;
    double longestFreeze = 0.0;
    // Delays are counted after the first second too, once decoder and
    // device have warmed up.
    bool latencyLogging = false;
    while (fed < total) {
        PumpMessages();
        ::Sleep(2);
        const double now = Now();
        if (!latencyLogging && now - start > 1.0) {
            engine.StartPresentLatencyLog(static_cast<std::size_t>(total));
            LivePreview::Current()->StartDrawTimeLog(static_cast<std::size_t>(total));
            latencyLogging = true;
        }
        const uint64_t presented = engine.PresentedFrames();
        if (presented != lastPresented) {
            lastPresented = presented;
            lastChange = now;
        } else if (now - start > 1.0 && now - lastChange > longestFreeze) {
            longestFreeze = now - lastChange;
        }
    }
    return longestFreeze;
}

// What a camera's run left to report.
struct FeedRun {
    int total = 0;
    int refused = 0;
    double feedTime = 0.0; // seconds until the last sample was handed over
    double feedCpu = 0.0;  // processor seconds over the same time
    double elapsed = 0.0;  // seconds until the queue was empty too
    double longestFreeze = 0.0;
    std::vector<int64_t> latencies; // sorted, microseconds
    std::vector<int64_t> drawTimes; // sorted, microseconds
};

FeedRun RunCamera(CaptureEngine& engine, const Options& options, const StreamFormat& format,
                  const std::vector<std::vector<uint8_t>>& samples) {
    const int total = options.seconds * options.fps;
    std::atomic<int> fed{0};
    std::atomic<int> refused{0};
    std::thread feeder(
        [&] { FeedSamples(engine, format, samples, total, options.fps, fed, refused); });
    FeedRun run;
    run.total = total;
    const double start = Now();
    const double cpuAtStart = ProcessorSeconds();
    run.longestFreeze = WatchPreview(engine, start, total, fed);
    run.feedTime = Now() - start;
    run.feedCpu = ProcessorSeconds() - cpuAtStart;
    feeder.join();
    // Let the worker finish what is still queued.
    for (int i = 0; i < 200 && engine.QueuedItems() > 0; ++i) {
        PumpMessages();
        ::Sleep(10);
    }
    run.elapsed = Now() - start;
    run.refused = refused.load();
    run.latencies = engine.StopPresentLatencyLog();
    run.drawTimes = LivePreview::Current()->StopDrawTimeLog();
    std::sort(run.drawTimes.begin(), run.drawTimes.end());
    std::sort(run.latencies.begin(), run.latencies.end());
    return run;
}

// The engine's picture counts before the camera's run.
struct FrameCounts {
    uint64_t decoded = 0;
    uint64_t presented = 0;
};

// The figures the verdict and the RESULT lines are made of.
struct PreviewFigures {
    double droppedShare = 0.0;
    double drawnPerSecond = 0.0;
    double latencyMedian = 0.0; // ms
    double latency99 = 0.0;     // ms
    double floorMs = 0.0;
    bool latencyTarget = false; // the size the median delay has a limit at
};

// Prints what the queue dropped and what the preview decoded and drew.
void PrintQueueAndDrawing(CaptureEngine& engine, const Options& options, const FeedRun& run,
                          const FrameCounts& before, PreviewFigures& figures) {
    const uint64_t dropped = engine.DroppedSamples();
    figures.droppedShare = static_cast<double>(dropped) / run.total;
    const PreviewPath drawnWith = LivePreview::Current()->Renderer().Path();
    std::printf(
        "%dx%d MJPG at %d fps for %.1f s: %d samples fed, %d refused; preview drawn with %s\n",
        options.width, options.height, options.fps, run.elapsed, run.total, run.refused,
        PathName(drawnWith));
    std::printf("dropped from the queue: %llu (%.2f %%, allowed %.2f %%)\n",
                static_cast<unsigned long long>(dropped), figures.droppedShare * 100.0,
                kAllowedDropShare * 100.0);
    std::printf("decoded %llu, drawn %llu, drawing skipped for %llu (a newer sample waited)\n",
                static_cast<unsigned long long>(engine.DecodedFrames() - before.decoded),
                static_cast<unsigned long long>(engine.PresentedFrames() - before.presented),
                static_cast<unsigned long long>(engine.SkippedDrawings()));
    std::printf("processor time while fed: %.1f s in %.1f s (%.0f %% of one core)\n", run.feedCpu,
                run.feedTime, 100.0 * run.feedCpu / run.feedTime);
    figures.drawnPerSecond = (engine.PresentedFrames() - before.presented) / run.feedTime;
    std::printf("drawn per second: %.1f of %d (at least %.0f %%), longest freeze %.0f ms "
                "(allowed %.0f ms)\n",
                figures.drawnPerSecond, options.fps, kLeastDrawnShare * 100.0,
                run.longestFreeze * 1000.0, kLongestFreeze * 1000.0);
}

// Prints the delay from arrival to Present beside its floor.
void PrintLatency(const Options& options, const StreamFormat& format,
                  const std::vector<std::vector<uint8_t>>& samples, const FeedRun& run,
                  PreviewFigures& figures) {
    figures.latencyMedian = Percentile(run.latencies, 0.5) / 1000.0;
    figures.latency99 = Percentile(run.latencies, 0.99) / 1000.0;
    // The floor: a picture's decode alone, and its drawing (upload to the
    // end of the drawing) as the preview drew it in this run.
    const double decodeMs = MeasureDecode(format, samples);
    const double drawMs = Percentile(run.drawTimes, 0.5) / 1000.0;
    figures.floorMs = decodeMs + drawMs;
    figures.latencyTarget = options.width == 1280 && options.height == 720;
    std::printf("arrival to Present of %u pictures: median %.1f ms, 99th percentile %.1f ms",
                static_cast<unsigned>(run.latencies.size()), figures.latencyMedian,
                figures.latency99);
    if (figures.latencyTarget) {
        std::printf(" (median below %.0f ms)", kLatencyMedianAt720);
    }
    std::printf("\n");
    std::printf("one picture: decode %.1f ms (alone) + draw %.1f ms (median in this run) = %.1f "
                "ms, the delay's floor; median delay / floor %.2f (target at most %.1f)\n",
                decodeMs, drawMs, figures.floorMs,
                figures.floorMs > 0 ? figures.latencyMedian / figures.floorMs : 0.0,
                kLatencyOverFloor);
}

// Prints the preview's RESULT lines; true when its figures are within the limits.
bool PrintPreviewResults(const Options& options, const FeedRun& run,
                         const PreviewFigures& figures) {
    const bool kept = run.refused == 0 && figures.droppedShare <= kAllowedDropShare &&
                      figures.drawnPerSecond >= kLeastDrawnShare * options.fps &&
                      run.longestFreeze <= kLongestFreeze && !run.latencies.empty() &&
                      (!figures.latencyTarget || figures.latencyMedian < kLatencyMedianAt720);
    const double floorRatio = figures.floorMs > 0 ? figures.latencyMedian / figures.floorMs : 0.0;
    std::printf("RESULT refused %d\n", run.refused);
    std::printf("RESULT dropped_percent %.3f\n", figures.droppedShare * 100.0);
    std::printf("RESULT drawn_per_second %.2f\n", figures.drawnPerSecond);
    std::printf("RESULT longest_freeze_ms %.1f\n", run.longestFreeze * 1000.0);
    std::printf("RESULT latency_pictures %u\n", static_cast<unsigned>(run.latencies.size()));
    std::printf("RESULT latency_median_ms %.2f\n", figures.latencyMedian);
    std::printf("RESULT latency_p99_ms %.2f\n", figures.latency99);
    std::printf("RESULT latency_floor_ms %.2f\n", figures.floorMs);
    std::printf("RESULT latency_floor_ratio %.2f\n", floorRatio);
    std::printf("RESULT cpu_percent %.1f\n", 100.0 * run.feedCpu / run.feedTime);
    return kept;
}

// Stops the recording and prints how it went; true when the file was
// finished whole and kept enough of the camera's pictures. Deletes the file.
bool CheckRecording(CaptureEngine& engine, const Options& options, int total,
                    const std::string& path) {
    const double stopping = Now();
    const double cpuBefore = ProcessorSeconds();
    engine.StopRecording();
    const double stopCpu = ProcessorSeconds() - cpuBefore;
    const double stopMs = (Now() - stopping) * 1000.0;
    // The recording's own thread drains the encoders and finishes the file.
    const bool finished = engine.WaitForFinishedRecordings(60000);
    const FinishedRecording file = engine.Recordings().LastFinished();
    const bool complete = finished && file.complete;
    const uint64_t recorded = engine.Recordings().LastPictures();
    std::printf("recorded %llu pictures (%.1f %% of those fed, at least %.1f %%; %llu dropped "
                "by the encoder falling behind), file %s, stop took %.0f ms (%.0f ms of "
                "processor time), the file was finished %.0f ms after the stop (in place: "
                "%.0f ms)\n",
                static_cast<unsigned long long>(recorded), 100.0 * recorded / total,
                100.0 * kLeastRecordedShare,
                static_cast<unsigned long long>(engine.Recordings().LastDroppedPictures()),
                complete ? "complete" : "INCOMPLETE", stopMs, stopCpu * 1000.0,
                engine.Recordings().LastFinishMicros() / 1000.0, file.finishMicros / 1000.0);
    // Finished in place: the file grows by its index alone.
    std::printf("fragmented file %.2f MB, ordinary MP4 %.2f MB (%+lld bytes), %s\n",
                file.fragmentedBytes / 1e6, file.bytes / 1e6,
                static_cast<long long>(file.bytes - file.fragmentedBytes),
                file.ordinary ? "ordinary" : "NOT FINISHED");
    std::printf("RESULT recorded_percent %.2f\n", 100.0 * recorded / total);
    // The whole file over the camera's time: about 4 Mbit/s for a webcam's picture.
    std::printf("RESULT file_mbit_per_second %.2f\n",
                file.bytes * 8.0 / 1e6 / (static_cast<double>(total) / options.fps));
    std::printf("RESULT stop_ms %.0f\n", stopMs);
    std::printf("RESULT finish_ms %.1f\n", engine.Recordings().LastFinishMicros() / 1000.0);
    std::printf("RESULT recording_complete %d\n", complete && file.ordinary ? 1 : 0);
    ::DeleteFileA(path.c_str());
    return complete && file.ordinary &&
           static_cast<double>(recorded) >= kLeastRecordedShare * total;
}

} // namespace

int main(int argc, char** argv) {
    const Options options = ReadOptions(argc, argv);
    av_log_set_level(AV_LOG_ERROR);
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    std::printf("camera picture: sensor noise %d\n", PictureNoiseLevel());
    const std::vector<std::vector<uint8_t>> samples =
        Encode(AV_CODEC_ID_MJPEG, options.width, options.height);
    if (samples.empty()) {
        std::printf("no MJPG samples could be made\n");
        return 2;
    }
    const StreamFormat format = FormatOf("MJPG", options.width, options.height);

    HWND window = MakeProgramWindow();
    CaptureEngine& engine = CaptureEngine::Instance();
    if (!ShowPreview(engine, window, options)) {
        std::printf("the preview window could not be made\n");
        return 2;
    }
    const std::string recordingPath = RecordingPath();
    if (options.record && !StartRecording(engine, options, format, samples, recordingPath)) {
        std::printf("the recording could not be started\n");
        return 2;
    }
    const FrameCounts before{engine.DecodedFrames(), engine.PresentedFrames()};

    const FeedRun run = RunCamera(engine, options, format, samples);
    PreviewFigures figures;
    PrintQueueAndDrawing(engine, options, run, before, figures);
    PrintLatency(options, format, samples, run, figures);
    bool kept = PrintPreviewResults(options, run, figures);
    if (options.record) {
        const bool recordingKept = CheckRecording(engine, options, run.total, recordingPath);
        kept = kept && recordingKept;
    }
    std::printf("%s\n", kept ? "PASS" : "FAIL");
    engine.RequestStop();
    ::DestroyWindow(window);
    return kept ? 0 : 1;
}
