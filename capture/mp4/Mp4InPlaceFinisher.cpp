#include "capture/mp4/Mp4InPlaceFinisher.h"

#include <new>
#include <vector>

#include "capture/mp4/FragmentedMp4Index.h"
#include "capture/mp4/Mp4MovieBox.h"
#include "capture/mp4/RandomAccessFile.h"

namespace {

using Mp4::BoxHeader;
using Mp4::FourCc;
using Mp4::HeaderStatus;

constexpr uint32_t kMarkerSize = 16;
// Says that the free box before the movie box was left by this finisher.
constexpr uint32_t kMarkerTag = kFinishTailTag;
// Opened the first free box of a file that an earlier version finished.
constexpr uint32_t kFinishedTag = FourCc("OvFd");

struct Marker {
    uint64_t firstBox = 0;     // where the empty movie box was
    uint32_t firstBoxSize = 0; // and its size
    uint64_t offset = 0;       // of the marker
};

// The commit: one write of 8 bytes (16 past 4 GiB) turns the box at
// `offset` into a media data box of `size` bytes.
bool WriteCommit(RandomAccessFile& file, uint64_t offset, uint64_t size) {
    uint8_t bytes[16];
    Mp4::PutU32(bytes + 4, FourCc("mdat"));
    size_t length = 8;
    if (size <= UINT32_MAX) {
        Mp4::PutU32(bytes, static_cast<uint32_t>(size));
    } else {
        Mp4::PutU32(bytes, 1);
        Mp4::PutU64(bytes + 8, size);
        length = 16;
    }
    return file.WriteAt(offset, bytes, length) && file.Flush();
}

// Whether a movie box may announce fragments, read from its children's
// headers alone: a finished recording is known as such in a few small reads,
// without reading its index. A box whose children do not add up may, and is
// left to the whole reading to judge.
bool MayAnnounceFragments(RandomAccessFile& file, const BoxHeader& movie) {
    BoxHeader child;
    uint64_t offset = movie.PayloadOffset();
    while (offset < movie.End()) {
        if (Mp4::ReadBoxHeader(file, offset, movie.End(), child) != HeaderStatus::Whole ||
            child.type == FourCc("mvex")) {
            return true;
        }
        offset = child.End();
    }
    return false;
}

// The first box of a file that an earlier version finished: a free box of
// the empty movie box's size, tagged.
bool IsFinishedMark(RandomAccessFile& file, const BoxHeader& box) {
    uint8_t tag[4];
    return box.headerSize == 8 && box.size >= 12 && file.ReadAt(box.offset + 8, tag, 4) &&
           Mp4::ReadU32(tag) == kFinishedTag;
}

// A free box that an interrupted finish of an earlier version committed: it
// ends with our marker and a movie box follows it.
bool ReadCommitted(RandomAccessFile& file, uint64_t fileSize, const BoxHeader& box,
                   Marker& marker) {
    if (box.size < box.headerSize + kMarkerSize) {
        return false;
    }
    uint8_t bytes[kMarkerSize];
    BoxHeader movie;
    if (!file.ReadAt(box.End() - kMarkerSize, bytes, sizeof bytes) ||
        Mp4::ReadU32(bytes + 4) != FourCc("free") || Mp4::ReadU32(bytes + 8) != kMarkerTag ||
        Mp4::ReadBoxHeader(file, box.End(), fileSize, movie) != HeaderStatus::Whole ||
        movie.type != FourCc("moov")) {
        return false;
    }
    marker.firstBox = box.offset;
    marker.firstBoxSize = Mp4::ReadU32(bytes + 12);
    marker.offset = box.End() - kMarkerSize;
    return marker.firstBoxSize >= 16 && marker.firstBoxSize <= marker.offset - box.offset;
}

// An earlier version committed with a free box reaching past the marker and
// then hid the fragment headers one by one; whatever of that it did, the
// same box committed as media data completes it.
Mp4FinishResult CompleteCommitted(RandomAccessFile& file, const Marker& marker) {
    Mp4FinishResult result;
    result.resumed = true;
    result.outcome =
        WriteCommit(file, marker.firstBox, marker.offset + kMarkerSize - marker.firstBox)
            ? Mp4FinishOutcome::Finished
            : Mp4FinishOutcome::FileError;
    return result;
}

Mp4FinishResult FinishFragmented(RandomAccessFile& file, const FragmentedMp4& fragmented) {
    Mp4FinishResult result;
    std::vector<uint8_t> tail(kMarkerSize);
    std::vector<uint8_t> movie;
    if (!BuildOrdinaryMovieBox(fragmented, movie) || fragmented.movie.size > UINT32_MAX ||
        movie.size() > UINT32_MAX - kMarkerSize) {
        result.outcome = Mp4FinishOutcome::Damaged;
        return result;
    }
    Marker marker;
    marker.firstBox = fragmented.movie.offset;
    marker.firstBoxSize = static_cast<uint32_t>(fragmented.movie.size);
    marker.offset = fragmented.keepEnd;
    Mp4::PutU32(tail.data(), static_cast<uint32_t>(kMarkerSize + movie.size()));
    Mp4::PutU32(tail.data() + 4, FourCc("free"));
    Mp4::PutU32(tail.data() + 8, kMarkerTag);
    Mp4::PutU32(tail.data() + 12, marker.firstBoxSize);
    tail.insert(tail.end(), movie.begin(), movie.end());

    for (const Mp4TrackSamples& track : fragmented.tracks) {
        const auto count = static_cast<uint32_t>(track.samples.size());
        result.videoSamples += track.handler == FourCc("vide") ? count : 0;
        result.audioSamples += track.handler == FourCc("soun") ? count : 0;
    }
    result.fragments = static_cast<uint32_t>(fragmented.fragmentOffsets.size());
    result.damagedStretches = fragmented.damagedStretches;
    result.damagedBytes = fragmented.damagedBytes;
    result.bytesTrimmed = fragmented.fileSize - fragmented.keepEnd;
    result.bytesAdded = tail.size();
    const uint64_t committedSize = marker.offset + kMarkerSize - marker.firstBox;
    const bool done =
        (fragmented.fileSize == fragmented.keepEnd || file.Truncate(fragmented.keepEnd)) &&
        file.WriteAt(marker.offset, tail.data(), tail.size()) && file.Flush() &&
        WriteCommit(file, marker.firstBox, committedSize);
    result.outcome = done ? Mp4FinishOutcome::Finished : Mp4FinishOutcome::FileError;
    return result;
}

Mp4FinishResult Finish(RandomAccessFile& file) {
    Mp4FinishResult result;
    uint64_t fileSize = 0;
    if (!file.Size(fileSize)) {
        return result;
    }
    BoxHeader box;
    if (Mp4::ReadBoxHeader(file, 0, fileSize, box) != HeaderStatus::Whole ||
        box.type != FourCc("ftyp")) {
        result.outcome = Mp4FinishOutcome::NotOurs;
        return result;
    }
    // The top-level boxes up to the movie box. The committed free box can
    // only be where the empty movie box was, before any media data.
    bool mediaSeen = false;
    uint64_t offset = box.End();
    while (Mp4::ReadBoxHeader(file, offset, fileSize, box) == HeaderStatus::Whole) {
        if (box.type == FourCc("moov") && !MayAnnounceFragments(file, box)) {
            result.outcome = Mp4FinishOutcome::AlreadyOrdinary;
            return result;
        }
        if (box.type == FourCc("moov")) {
            FragmentedMp4 fragmented;
            switch (ReadFragmentedMp4(file, fileSize, box, fragmented)) {
            case Mp4IndexStatus::Read:
                return FinishFragmented(file, fragmented);
            case Mp4IndexStatus::NotFragmented:
                result.outcome = Mp4FinishOutcome::AlreadyOrdinary;
                return result;
            case Mp4IndexStatus::Damaged:
                result.outcome = Mp4FinishOutcome::Damaged;
                return result;
            case Mp4IndexStatus::ReadError:
                return result;
            }
        }
        Marker marker;
        if (!mediaSeen && (box.type == FourCc("free") || box.type == FourCc("skip"))) {
            if (IsFinishedMark(file, box)) {
                result.outcome = Mp4FinishOutcome::AlreadyOrdinary;
                return result;
            }
            if (ReadCommitted(file, fileSize, box, marker)) {
                return CompleteCommitted(file, marker);
            }
        }
        mediaSeen = mediaSeen || box.type == FourCc("mdat") || box.type == FourCc("moof");
        offset = box.End();
    }
    result.outcome = Mp4FinishOutcome::NotOurs;
    return result;
}

} // namespace

Mp4FinishResult FinishFragmentedMp4(RandomAccessFile& file) {
    try {
        return Finish(file);
    } catch (const std::bad_alloc&) {
        return Mp4FinishResult{};
    }
}
