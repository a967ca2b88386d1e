// What stopping a long recording costs: recordings of 1, 10 and 60 minutes
// of 1920x1080 at 8 Mbit/s (30 pictures a second, a key picture every 12,
// AAC sound at 48 kHz) are written through the recording's own file and
// muxer as fast as the disk takes them (packets of the encoders' sizes,
// not encoded), handed to the recording's thread as a recording is, and
// stopped. Prints the window's wait at the stop, the time until the file is
// finished in place, the finish alone, and the bytes it added. Before each
// stop the recording is flushed, as the system's lazy writer would have
// done during an hour of recording.
//
//   StopBenchmark.exe [folder=.] [minutes...]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/log.h>
#include <libavutil/samplefmt.h>
}

#include "capture/MonotonicClock.h"
#include "capture/recording/OutputFile.h"
#include "capture/recording/RecordingFile.h"
#include "capture/recording/RecordingThread.h"

namespace {

constexpr int kFrameRate = 30;
constexpr int kGop = 12;
constexpr int64_t kVideoBitsPerSecond = 8000000;
constexpr int kSoundRate = 48000;
constexpr int kSoundFrame = 1024;
constexpr int kSoundFrameBytes = 96; // about 32 kbit/s
constexpr unsigned kFinishWaitMs = 600000;
// Targets: the window's wait, and the finish of a 60-minute recording.
constexpr double kStopTargetMs = 100;
constexpr double kFinishTargetMs = 500;

// A picture as libx264 gives it (Annex B: a start code, then one NAL unit
// of the given size, key or not); its bytes never form a start code, so
// the muxer keeps them all.
std::vector<uint8_t> Picture(int size, bool key) {
    std::vector<uint8_t> bytes(static_cast<size_t>(size), 0xA5);
    bytes[0] = 0;
    bytes[1] = 0;
    bytes[2] = 0;
    bytes[3] = 1;
    bytes[4] = key ? 0x65 : 0x41;
    return bytes;
}

struct Figures {
    bool ok = false;
    double writeSeconds = 0;
    double stopMs = 0;
    double finishedMs = 0; // stop to finished file
    double inPlaceMs = 0;  // the finish in place alone
    int64_t fragmentedBytes = 0;
    int64_t indexBytes = 0; // the index written at the end
    int64_t grownBytes = 0; // the file's growth (the fragment index trimmed)
};

Figures Measure(const std::string& path, int minutes) {
    Figures figures;
    auto file = std::make_unique<RecordingFile>();
    SoundFormat sound{kSoundRate, 2, AV_SAMPLE_FMT_FLTP};
    if (!file->Open(path, 1920, 1080, kFrameRate, &sound)) {
        return figures;
    }
    // Key pictures three times the size of the others, 8 Mbit/s in all.
    const int64_t perGop = kVideoBitsPerSecond / 8 * kGop / kFrameRate;
    const int other = static_cast<int>(perGop / (kGop + 2));
    const std::vector<uint8_t> key = Picture(other * 3, true);
    const std::vector<uint8_t> delta = Picture(other, false);
    const std::vector<uint8_t> soundFrame(kSoundFrameBytes, 0x21);
    const int64_t pictures = int64_t(minutes) * 60 * kFrameRate;
    const int64_t videoTicks = 90000 / kFrameRate;
    int64_t soundPts = 0;
    const int64_t writing = MonotonicMicros();
    bool ok = true;
    for (int64_t i = 0; ok && i < pictures; ++i) {
        const bool isKey = i % kGop == 0;
        const std::vector<uint8_t>& bytes = isKey ? key : delta;
        ok = file->WriteEncodedPacket(true, bytes.data(), static_cast<int>(bytes.size()),
                                      i * videoTicks, isKey);
        // The sound up to this picture's time.
        while (ok && soundPts * 90000 < (i + 1) * videoTicks * kSoundRate) {
            ok = file->WriteEncodedPacket(false, soundFrame.data(), kSoundFrameBytes, soundPts,
                                          true);
            soundPts += kSoundFrame;
        }
    }
    figures.writeSeconds = (MonotonicMicros() - writing) / 1e6;
    if (!ok) {
        return figures;
    }
    HANDLE flush = ::CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    ::FlushFileBuffers(flush);
    ::CloseHandle(flush);

    RecordingThread recording(std::move(file));
    // What MediaPipeline::StopRecording does on the window's thread with the
    // recording: hand it the end and go.
    const int64_t stopping = MonotonicMicros();
    recording.End();
    figures.stopMs = (MonotonicMicros() - stopping) / 1000.0;
    ok = recording.WaitFinished(kFinishWaitMs) && recording.Finish();
    const FinishedRecording finished = recording.Finished();
    figures.finishedMs = recording.EndToFinishedMicros() / 1000.0;
    figures.inPlaceMs = finished.finishMicros / 1000.0;
    figures.fragmentedBytes = finished.fragmentedBytes;
    figures.indexBytes = static_cast<int64_t>(finished.inPlace.bytesAdded);
    figures.grownBytes = finished.bytes - finished.fragmentedBytes;
    figures.ok = ok && finished.ordinary;
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    av_log_set_level(AV_LOG_ERROR);
    const std::string folder = argc > 1 ? argv[1] : ".";
    std::vector<int> durations;
    for (int i = 2; i < argc; ++i) {
        durations.push_back(std::atoi(argv[i]));
    }
    if (durations.empty()) {
        durations = {1, 10, 60};
    }
    bool pass = true;
    std::printf("%8s %10s %8s %9s %12s %12s %12s %12s\n", "minutes", "file MB", "write s",
                "stop ms", "finished ms", "in place ms", "index bytes", "file grew");
    for (int minutes : durations) {
        const std::string path = folder + "\\stop-benchmark-" + std::to_string(minutes) + ".mp4";
        const Figures figures = Measure(path, minutes);
        DeleteOutputFile(path);
        std::printf("%8d %10.1f %8.1f %9.3f %12.1f %12.1f %12lld %12lld%s\n", minutes,
                    figures.fragmentedBytes / 1e6, figures.writeSeconds, figures.stopMs,
                    figures.finishedMs, figures.inPlaceMs,
                    static_cast<long long>(figures.indexBytes),
                    static_cast<long long>(figures.grownBytes), figures.ok ? "" : "  NOT FINISHED");
        std::printf("RESULT stop_ms_%dmin %.2f\n", minutes, figures.stopMs);
        std::printf("RESULT finished_ms_%dmin %.1f\n", minutes, figures.finishedMs);
        std::printf("RESULT index_bytes_%dmin %lld\n", minutes,
                    static_cast<long long>(figures.indexBytes));
        pass = pass && figures.ok && figures.stopMs <= kStopTargetMs &&
               (minutes != 60 || figures.finishedMs <= kFinishTargetMs);
    }
    std::printf("targets: stop <= %.0f ms, finished <= %.0f ms for 60 minutes\n%s\n", kStopTargetMs,
                kFinishTargetMs, pass ? "PASS" : "FAIL");
    return pass ? 0 : 1;
}
