// Reads a fragmented MP4 (an empty movie box with "mvex", then movie
// fragments: "moof" + "mdat") into per-track sample lists, reading only box
// headers and fragment headers and seeking over the media data, so that the
// cost grows with the number of packets, not with the bytes. A stretch that
// does not read as boxes (zeros or garbage that a power cut left where the
// file system had grown the file, a fragment cut off) is skipped: the reader
// looks for the next whole fragment after it, so that one damaged stretch
// does not lose every fragment behind it. Free of Windows and FFmpeg
// headers, tested natively.
#pragma once

#include <cstdint>
#include <vector>

#include "capture/mp4/Mp4Boxes.h"

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
    // End of the recording's own bytes: the end of the file, or where the
    // tail that an interrupted finish appended begins (it is redone).
    // Nothing of the recording is ever cut away, whole or not.
    uint64_t keepEnd = 0;
    uint32_t damagedStretches = 0; // skipped: they do not read as fragments
    uint64_t damagedBytes = 0;
};

// Opens the free box that the in-place finisher appends (its marker and the
// new movie box): the reader knows it as the finisher's, not the recording's.
constexpr uint32_t kFinishTailTag = Mp4::FourCc("OvFn");

enum class Mp4IndexStatus {
    Read,
    NotFragmented, // the movie box has no "mvex"
    Damaged,       // the movie box cannot be read
    ReadError,
};

// Reads the fragmented file whose movie box is `movie` (a whole box of the file).
Mp4IndexStatus ReadFragmentedMp4(RandomAccessFile& file, uint64_t fileSize,
                                 const Mp4::BoxHeader& movie, FragmentedMp4& out);
