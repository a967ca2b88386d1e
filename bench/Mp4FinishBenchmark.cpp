// Times finishing a recording in place: synthetic fragmented recordings of
// 1, 10 and 60 minutes of 1920x1080 at 8 Mbit/s and 30 pictures a second
// (12-picture fragments) with AAC sound at 48 kHz, their media left as holes.
// Prints the finishing time and the bytes added (the index alone) of each.
// Target: at most 500 ms for 60 minutes, growing with the packets, not the bytes.
//
//   build/native/Mp4FinishBenchmark [folder]     (default /tmp)
#include <chrono>
#include <cstdio>
#include <string>

#include "bench/SyntheticFragmentedMp4.h"
#include "capture/mp4/Mp4InPlaceFinisher.h"
#include "capture/mp4/PosixRandomAccessFile.h"

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    const std::string path = folder + "/orvana-finish-bench.mp4";
    constexpr double kTargetMs = 500.0;
    bool pass = true;
    std::printf("%8s %10s %9s %12s %12s %12s %12s\n", "minutes", "fragments", "packets", "file MB",
                "finish ms", "index bytes", "index/file");
    for (int minutes : {1, 10, 60}) {
        SyntheticRecording recording;
        recording.seconds = minutes * 60;
        SyntheticFile written;
        if (!WriteSyntheticFragmentedMp4(path, recording, written)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 2;
        }
        PosixRandomAccessFile file(path);
        const auto start = std::chrono::steady_clock::now();
        const Mp4FinishResult result = FinishFragmentedMp4(file);
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        std::remove(path.c_str());
        if (result.outcome != Mp4FinishOutcome::Finished ||
            result.videoSamples != written.pictures || result.audioSamples != written.soundFrames) {
            std::fprintf(stderr, "%d minutes: not finished (outcome %d)\n", minutes,
                         static_cast<int>(result.outcome));
            return 2;
        }
        std::printf("%8d %10u %9u %12.1f %12.1f %12llu %12.6f\n", minutes, written.fragments,
                    written.pictures + written.soundFrames, written.bytes / 1e6, ms,
                    static_cast<unsigned long long>(result.bytesAdded),
                    static_cast<double>(result.bytesAdded) / static_cast<double>(written.bytes));
        std::printf("RESULT finish_ms_%dmin %.1f\nRESULT index_bytes_%dmin %llu\n", minutes, ms,
                    minutes, static_cast<unsigned long long>(result.bytesAdded));
        if (minutes == 60 && ms > kTargetMs) {
            pass = false;
        }
    }
    std::printf("%s: 60 minutes finished within %.0f ms\n", pass ? "PASS" : "FAIL", kTargetMs);
    return pass ? 0 : 1;
}
