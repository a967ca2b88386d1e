// Reads a fragmented MP4 (an empty movie box with "mvex", then movie
// fragments: "moof" + "mdat") into per-track sample lists, reading only box
// headers and fragment headers and seeking over the media data, so that the
// cost grows with the number of packets, not with the bytes. Free of Windows
// and FFmpeg headers, tested natively.
#pragma once

#include <cstdint>
#include <vector>

#include "capture/Mp4Boxes.h"

class RandomAccessFile;

struct Mp4Sample {
    uint32_t size = 0;
    uint32_t duration = 0;
    uint32_t compositionOffset = 0; // as stored: signed when the track says so
    bool sync = false;
};

// A run of samples stored one after another in the file.
struct Mp4Chunk {
    uint64_t offset = 0;
    uint32_t sampleCount = 0;
    uint32_t descriptionIndex = 1;
};

struct Mp4TrackSamples {
    uint32_t trackId = 0;
    uint32_t timeScale = 0;
    uint32_t handler = 0; // "vide", "soun", ...
    // Fragment defaults from the track's "trex".
    uint32_t defaultDescription = 1;
    uint32_t defaultDuration = 0;
    uint32_t defaultSize = 0;
    uint32_t defaultFlags = 0;

    uint64_t startTime = 0;                // decode time of the first sample
    uint64_t endTime = 0;                  // decode time just after the last one
    bool compositionOffsets = false;       // some sample has one
    bool signedCompositionOffsets = false; // and some is negative
    std::vector<Mp4Sample> samples;
    std::vector<Mp4Chunk> chunks;

    uint64_t MediaDuration() const { return endTime - startTime; }
};

struct FragmentedMp4 {
    uint64_t fileSize = 0;
    Mp4::BoxHeader movie;            // the first, empty movie box
    std::vector<uint8_t> movieBytes; // all of it
    std::vector<Mp4TrackSamples> tracks;
    std::vector<uint64_t> fragmentOffsets; // every whole "moof"
    // End of the last box worth keeping: the last whole fragment, or a later
    // box of another kind. Beyond it lie only a fragment cut off, free space
    // or the fragment index "mfra", which names the fragments and so goes.
    uint64_t keepEnd = 0;
};

enum class Mp4IndexStatus {
    Read,
    NotFragmented, // the movie box has no "mvex"
    Damaged,       // the movie box, or a whole fragment before the end, cannot be read
    ReadError,
};

// Reads the fragmented file whose movie box is `movie` (a whole box of the file).
Mp4IndexStatus ReadFragmentedMp4(RandomAccessFile& file, uint64_t fileSize,
                                 const Mp4::BoxHeader& movie, FragmentedMp4& out);
