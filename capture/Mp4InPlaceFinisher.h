// Turns a fragmented MP4 recording into an ordinary one where it lies: the
// complete index (a movie box whose sample tables point at the media data
// already written) is added at the end, and the fragment headers are turned
// into free space. No media byte is copied or moved; the file grows by the
// index alone. Free of Windows and FFmpeg headers, tested natively.
//
// The file plays everything written at every moment, whenever the process
// dies or the power goes:
//   1. A fragment cut off at the end, and the fragment index "mfra" (it names
//      the fragments), are cut away. The file is still fragmented.
//   2. At the end goes a "free" box holding a 16-byte marker (our tag and the
//      size of the first, empty movie box) followed by the new movie box.
//      Inside free space, readers of the fragmented form do not see it.
//      Flush.
//   3. The commit, one write of 8 (or 16, past 4 GiB) bytes: the empty
//      movie box becomes a "free" box that reaches to the end of the marker,
//      so that it hides the empty movie box, every fragment and the marker's
//      own header, and the next box a reader meets is the new movie box.
//      From here on the file is an ordinary MP4. Flush.
//   4. Hidden inside that free box: the marker becomes a free box of its own
//      16 bytes and every "moof" a "free" box of the same size. Flush.
//   5. The first free box shrinks back to the size of the movie box it was,
//      so the media data boxes lie at the top level again, and is tagged as
//      finished (one write of 12 bytes). Flush.
// Finishing a file again resumes: before the commit it starts over (step 1
// cuts away what an earlier attempt added), after it it completes steps 4
// and 5, which it finds from the marker.
//
// Why so, from FFmpeg's MP4 reader: on a seekable file it reads every
// top-level box to the end, fragments included, and skips free boxes; a
// second movie box it would skip as a duplicate, but other readers refuse
// a file with two, hence the new one waits inside free space until the
// commit. It needs no "mdat" box once the movie box has the sample tables
// (the commit hides them all until step 5), and looks for a movie box
// inside a free box only when it found none at the top level.
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
    // Its movie box, or a whole fragment before the end, cannot be read; not modified.
    Damaged,
    // A read, write or flush failed (or memory ran out); finishing again resumes.
    FileError,
};

struct Mp4FinishResult {
    Mp4FinishOutcome outcome = Mp4FinishOutcome::FileError;
    bool resumed = false;      // an earlier finish had committed; only its last steps were left
    uint32_t fragments = 0;    // fragment headers turned into free space
    uint32_t videoSamples = 0; // pictures indexed (0 when resumed)
    uint32_t audioSamples = 0; // sound frames indexed (0 when resumed)
    uint64_t bytesTrimmed = 0; // cut from the end: a fragment cut off, the fragment index
    uint64_t bytesAdded = 0;   // the index written at the end
};

// Finishes, or resumes finishing, the file. Never throws.
Mp4FinishResult FinishFragmentedMp4(RandomAccessFile& file);
