// Turns a fragmented MP4 recording into an ordinary one where it lies: the
// complete index (a movie box whose sample tables point at the media data
// already written) is added at the end, and the fragment headers become part
// of one media data box. No media byte is copied or moved; the file grows by
// the index alone. Free of Windows and FFmpeg headers, tested natively.
//
// Not a byte of the recording is removed: a fragment cut off at the end,
// the fragment index "mfra" and any stretch that does not read as fragments
// (zeros or garbage a power cut left) end up inside the one media data box,
// where no reader looks; every whole fragment, also those after a damaged
// stretch, is in the index.
//
// The file plays everything written at every moment, whenever the process
// dies or the power goes:
//   1. What an earlier, interrupted finish appended is cut away (only that).
//   2. At the end goes a "free" box holding a 16-byte marker (our tag and the
//      size of the first, empty movie box) followed by the new movie box.
//      Inside free space, readers of the fragmented form do not see it.
//      Flush.
//   3. The commit, one write of 8 (or 16, past 4 GiB) bytes: the empty
//      movie box becomes one "mdat" box that reaches to the end of the
//      marker, so that the empty movie box, every fragment header and media
//      data box and the marker's own header lie inside it, and the next box
//      a reader meets is the new movie box. The file is now the plainest
//      MP4 there is: "ftyp mdat moov". Flush.
// Finishing a file again before the commit starts over (step 1 cuts away
// what an earlier attempt added); after it, the file is ordinary. The cost
// grows with the fragments (one read each), not with the media bytes, and
// the writes are two, whatever the length.
//
// Why so, from FFmpeg's MP4 reader: on a seekable file it reads every
// top-level box to the end, fragments included, and skips free boxes; a
// second movie box it would skip as a duplicate, but other readers refuse
// a file with two, hence the new one waits inside free space until the
// commit. Sample tables may point anywhere in the file, and the bytes of a
// media data box that no table names are ignored by every reader.
//
// An earlier version committed with a "free" box instead and then turned
// each fragment header into free space; a file it left between its commit
// and its last step is completed the same way.
#pragma once

#include <cstdint>

class RandomAccessFile;

enum class Mp4FinishOutcome {
    // The file is now an ordinary MP4.
    Finished,
    // Nothing to do; the file is as it was.
    AlreadyOrdinary,
    // Not an MP4 this program writes; not modified.
    NotOurs,
    // Its movie box cannot be read; not modified.
    Damaged,
    // A read, write or flush failed (or memory ran out); finishing again resumes.
    FileError,
};

struct Mp4FinishResult {
    Mp4FinishOutcome outcome = Mp4FinishOutcome::FileError;
    bool resumed = false;          // an earlier finish had committed; only its last steps were left
    uint32_t fragments = 0;        // fragment headers hidden
    uint32_t videoSamples = 0;     // pictures indexed (0 when resumed)
    uint32_t audioSamples = 0;     // sound frames indexed (0 when resumed)
    uint64_t bytesTrimmed = 0;     // cut from the end: what an interrupted finish had appended
    uint64_t bytesAdded = 0;       // the index written at the end
    uint32_t damagedStretches = 0; // skipped, hidden in the media data box
    uint64_t damagedBytes = 0;
};

// Finishes, or resumes finishing, the file. Never throws.
Mp4FinishResult FinishFragmentedMp4(RandomAccessFile& file);
