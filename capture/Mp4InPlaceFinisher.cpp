#include "capture/Mp4InPlaceFinisher.h"

#include <new>
#include <vector>

#include "capture/FragmentedMp4Index.h"
#include "capture/Mp4MovieBox.h"
#include "capture/RandomAccessFile.h"

namespace {

using Mp4::BoxHeader;
using Mp4::FourCc;
using Mp4::HeaderStatus;

constexpr uint32_t kMarkerSize = 16;
// Says that the free box before the movie box was left by this finisher.
constexpr uint32_t kMarkerTag = FourCc("OvFn");
// Opens the first free box once finishing is complete, so that a finished
// file is known as such without walking its thousands of boxes.
constexpr uint32_t kFinishedTag = FourCc("OvFd");

struct Marker {
    uint64_t firstBox = 0;     // where the empty movie box was
    uint32_t firstBoxSize = 0; // and its size
    uint64_t offset = 0;       // of the marker
};

bool WriteBoxHeader(RandomAccessFile& file, uint64_t offset, uint64_t size, uint32_t type) {
    uint8_t bytes[16];
    Mp4::PutU32(bytes + 4, type);
    if (size <= UINT32_MAX) {
        Mp4::PutU32(bytes, static_cast<uint32_t>(size));
        return file.WriteAt(offset, bytes, 8);
    }
    Mp4::PutU32(bytes, 1);
    Mp4::PutU64(bytes + 8, size);
    return file.WriteAt(offset, bytes, 16);
}

// Steps 4 and 5: everything here happens inside the committed free box.
bool HideFragments(RandomAccessFile& file, const Marker& marker,
                   const std::vector<uint64_t>& fragments) {
    uint8_t ownSize[4];
    Mp4::PutU32(ownSize, kMarkerSize);
    uint8_t freeType[4];
    Mp4::PutU32(freeType, FourCc("free"));
    if (!file.WriteAt(marker.offset, ownSize, sizeof ownSize)) {
        return false;
    }
    for (uint64_t fragment : fragments) {
        if (!file.WriteAt(fragment + 4, freeType, sizeof freeType)) {
            return false;
        }
    }
    uint8_t first[12];
    Mp4::PutU32(first, marker.firstBoxSize);
    Mp4::PutU32(first + 4, FourCc("free"));
    Mp4::PutU32(first + 8, kFinishedTag);
    return file.Flush() && file.WriteAt(marker.firstBox, first, sizeof first) && file.Flush();
}

bool IsFinishedMark(RandomAccessFile& file, const BoxHeader& box) {
    uint8_t tag[4];
    return box.headerSize == 8 && box.size >= 12 && file.ReadAt(box.offset + 8, tag, 4) &&
           Mp4::ReadU32(tag) == kFinishedTag;
}

// A free box that an interrupted finish committed: it ends with our marker
// and a movie box follows it.
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

Mp4FinishResult CompleteCommitted(RandomAccessFile& file, const Marker& marker) {
    Mp4FinishResult result;
    result.resumed = true;
    // The boxes between the first one and the marker keep their headers;
    // only the fragment headers among them are still to be hidden.
    std::vector<uint64_t> fragments;
    uint64_t offset = marker.firstBox + marker.firstBoxSize;
    while (offset < marker.offset) {
        BoxHeader box;
        if (Mp4::ReadBoxHeader(file, offset, marker.offset, box) != HeaderStatus::Whole) {
            // Plays as it is (the commit hides all of this); left alone.
            result.outcome = Mp4FinishOutcome::Damaged;
            return result;
        }
        if (box.type == FourCc("moof")) {
            fragments.push_back(box.offset);
        }
        offset = box.End();
    }
    result.outcome = HideFragments(file, marker, fragments) ? Mp4FinishOutcome::Finished
                                                            : Mp4FinishOutcome::FileError;
    result.fragments = static_cast<uint32_t>(fragments.size());
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
    result.bytesTrimmed = fragmented.fileSize - fragmented.keepEnd;
    result.bytesAdded = tail.size();
    const uint64_t committedSize = marker.offset + kMarkerSize - marker.firstBox;
    const bool done =
        (fragmented.fileSize == fragmented.keepEnd || file.Truncate(fragmented.keepEnd)) &&
        file.WriteAt(marker.offset, tail.data(), tail.size()) && file.Flush() &&
        WriteBoxHeader(file, marker.firstBox, committedSize, FourCc("free")) && file.Flush() &&
        HideFragments(file, marker, fragmented.fragmentOffsets);
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
