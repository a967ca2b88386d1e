// A fragmented MP4 laid out as the recorder writes it (an empty movie box,
// then one "moof" + "mdat" per group of pictures, H.264 and AAC tracks), of
// any length, without its media: the "mdat" payloads are left as holes, so a
// recording of an hour takes no disk space and seconds to make.
#pragma once

#include <cstdint>
#include <string>

struct SyntheticRecording {
    int seconds = 60;
    int frameRate = 30;
    int picturesPerFragment = 12;
    int64_t videoBitRate = 8000000;
    int sampleRate = 48000; // AAC, 1024 samples a frame
    int64_t audioBitRate = 128000;
};

struct SyntheticFile {
    uint64_t bytes = 0;
    uint32_t fragments = 0;
    uint32_t pictures = 0;
    uint32_t soundFrames = 0;
};

// Creates (or replaces) the file; false when it cannot be written.
bool WriteSyntheticFragmentedMp4(const std::string& path, const SyntheticRecording& recording,
                                 SyntheticFile& written);
