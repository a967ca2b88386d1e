// Finishes the MP4 files named on the command line in place, one after the
// other, as the program does at a stop or a start. With "--slow-flush MS"
// first, every flush takes MS longer (a slow disk), so that the kill test
// (tests/wine/finish-kill.sh) kills it in every step of a finish. Prints
// "finishing" before each file and its outcome after it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "capture/mp4/Mp4InPlaceFinisher.h"
#include "tests/support/SimulatedDisk.h"

int main(int argc, char** argv) {
    int first = 1;
    SimulatedDisk disk;
    if (argc > 2 && std::strcmp(argv[1], "--slow-flush") == 0) {
        disk.SlowFlush(static_cast<unsigned>(std::atoi(argv[2])));
        first = 3;
    }
    int failed = 0;
    for (int i = first; i < argc; ++i) {
        const std::string name = argv[i];
        std::printf("finishing %s\n", argv[i]);
        std::fflush(stdout);
        const std::unique_ptr<RandomAccessFile> file = disk.Open(
            std::wstring(name.begin(), name.end()), Win32RandomAccessFile::Access::ReadWrite);
        const Mp4FinishOutcome outcome =
            file ? FinishFragmentedMp4(*file).outcome : Mp4FinishOutcome::FileError;
        const bool ok =
            outcome == Mp4FinishOutcome::Finished || outcome == Mp4FinishOutcome::AlreadyOrdinary;
        std::printf("%s %s\n", ok ? "finished" : "FAILED", argv[i]);
        std::fflush(stdout);
        failed += ok ? 0 : 1;
    }
    return failed == 0 ? 0 : 1;
}
