#include "capture/mp4/FragmentedMp4Index.h"

#include <algorithm>
#include <iterator>

#include "capture/mp4/RandomAccessFile.h"

namespace {

using Mp4::BoxHeader;
using Mp4::BoxView;
using Mp4::ByteReader;
using Mp4::ChildBoxes;
using Mp4::FourCc;
using Mp4::HeaderStatus;

// Headers we write are a few kilobytes; anything far larger is not ours and
// is not read into memory.
constexpr uint64_t kMaxHeaderBox = 64u << 20;
// One read usually takes a whole fragment header and the "mdat" header after it.
constexpr size_t kReadAhead = 4096;

constexpr uint32_t kTfhdBaseDataOffset = 0x1;
constexpr uint32_t kTfhdDescriptionIndex = 0x2;
constexpr uint32_t kTfhdDefaultDuration = 0x8;
constexpr uint32_t kTfhdDefaultSize = 0x10;
constexpr uint32_t kTfhdDefaultFlags = 0x20;
constexpr uint32_t kTfhdDefaultBaseIsMoof = 0x20000;
constexpr uint32_t kTrunDataOffset = 0x1;
constexpr uint32_t kTrunFirstSampleFlags = 0x4;
constexpr uint32_t kTrunDuration = 0x100;
constexpr uint32_t kTrunSize = 0x200;
constexpr uint32_t kTrunFlags = 0x400;
constexpr uint32_t kTrunCompositionOffset = 0x800;
constexpr uint32_t kSampleIsNonSync = 0x10000;

BoxView ViewOf(const std::vector<uint8_t>& bytes, const BoxHeader& header) {
    BoxView view;
    view.type = header.type;
    view.data = bytes.data();
    view.size = bytes.size();
    view.headerSize = header.headerSize;
    return view;
}

bool ParseTrack(const BoxView& trak, Mp4TrackSamples& track) {
    BoxView tkhd, mdia, mdhd, hdlr;
    if (!Mp4::FindChild(trak, FourCc("tkhd"), tkhd) ||
        !Mp4::FindChild(trak, FourCc("mdia"), mdia) ||
        !Mp4::FindChild(mdia, FourCc("mdhd"), mdhd) ||
        !Mp4::FindChild(mdia, FourCc("hdlr"), hdlr)) {
        return false;
    }
    track.trackId = Mp4::FieldAfterTimes(tkhd);
    track.timeScale = Mp4::FieldAfterTimes(mdhd);
    ByteReader handler(hdlr.Payload(), hdlr.PayloadSize());
    handler.Skip(8);
    track.handler = handler.U32();
    return handler.Ok() && track.trackId != 0 && track.timeScale != 0;
}

Mp4IndexStatus ParseMovie(const BoxView& moov, std::vector<Mp4TrackSamples>& tracks) {
    ChildBoxes children(moov);
    BoxView child;
    bool fragmented = false;
    std::vector<BoxView> extends;
    while (children.Next(child)) {
        if (child.type == FourCc("trak")) {
            Mp4TrackSamples track;
            if (!ParseTrack(child, track)) {
                return Mp4IndexStatus::Damaged;
            }
            for (const Mp4TrackSamples& other : tracks) {
                if (other.trackId == track.trackId) {
                    return Mp4IndexStatus::Damaged;
                }
            }
            tracks.push_back(track);
        } else if (child.type == FourCc("mvex")) {
            fragmented = true;
            ChildBoxes entries(child);
            BoxView entry;
            while (entries.Next(entry)) {
                if (entry.type == FourCc("trex")) {
                    extends.push_back(entry);
                }
            }
            if (entries.Failed()) {
                return Mp4IndexStatus::Damaged;
            }
        }
    }
    if (children.Failed()) {
        return Mp4IndexStatus::Damaged;
    }
    if (!fragmented) {
        return Mp4IndexStatus::NotFragmented;
    }
    if (tracks.empty()) {
        return Mp4IndexStatus::Damaged;
    }
    for (const BoxView& trex : extends) {
        ByteReader reader(trex.Payload(), trex.PayloadSize());
        reader.Skip(4);
        const uint32_t trackId = reader.U32();
        const uint32_t description = reader.U32();
        const uint32_t duration = reader.U32();
        const uint32_t size = reader.U32();
        const uint32_t flags = reader.U32();
        if (!reader.Ok()) {
            return Mp4IndexStatus::Damaged;
        }
        for (Mp4TrackSamples& track : tracks) {
            if (track.trackId == trackId) {
                track.defaultDescription = description;
                track.defaultDuration = duration;
                track.defaultSize = size;
                track.defaultFlags = flags;
            }
        }
    }
    return Mp4IndexStatus::Read;
}

// What a track held before a fragment, to undo a fragment that fails halfway.
struct TrackMark {
    size_t samples;
    size_t chunks;
    uint64_t startTime;
    uint64_t endTime;
    uint32_t lastDuration;
    bool compositionOffsets;
    bool signedCompositionOffsets;
};

class FragmentReader {
public:
    FragmentReader(std::vector<Mp4TrackSamples>& tracks, uint64_t moofOffset, uint64_t dataBegin,
                   uint64_t dataEnd)
        : m_tracks(tracks), m_moofOffset(moofOffset), m_dataBegin(dataBegin), m_dataEnd(dataEnd) {}

    bool Read(const BoxView& moof) {
        ChildBoxes children(moof);
        BoxView child;
        while (children.Next(child)) {
            if (child.type == FourCc("traf") && !ReadTrackFragment(child)) {
                return false;
            }
        }
        return !children.Failed();
    }

    // The end of the last sample byte any run names.
    uint64_t DataEnd() const { return m_samplesEnd; }

private:
    Mp4TrackSamples* Track(uint32_t trackId) {
        for (Mp4TrackSamples& track : m_tracks) {
            if (track.trackId == trackId) {
                return &track;
            }
        }
        return nullptr;
    }

    bool ReadTrackFragment(const BoxView& traf) {
        BoxView tfhd;
        if (!Mp4::FindChild(traf, FourCc("tfhd"), tfhd)) {
            return false;
        }
        ByteReader header(tfhd.Payload(), tfhd.PayloadSize());
        header.U8();
        const uint32_t flags = header.U24();
        Mp4TrackSamples* track = Track(header.U32());
        if (track == nullptr) {
            return false;
        }
        // Where the data offsets count from: given, the "moof", or (the old
        // rule) the end of the data of the track fragment before.
        uint64_t base = (flags & kTfhdBaseDataOffset)      ? header.U64()
                        : (flags & kTfhdDefaultBaseIsMoof) ? m_moofOffset
                        : m_firstTraf                      ? m_moofOffset
                                                           : m_previousDataEnd;
        m_firstTraf = false;
        Defaults defaults;
        defaults.description =
            (flags & kTfhdDescriptionIndex) ? header.U32() : track->defaultDescription;
        defaults.duration = (flags & kTfhdDefaultDuration) ? header.U32() : track->defaultDuration;
        defaults.size = (flags & kTfhdDefaultSize) ? header.U32() : track->defaultSize;
        defaults.flags = (flags & kTfhdDefaultFlags) ? header.U32() : track->defaultFlags;
        if (!header.Ok()) {
            return false;
        }
        BoxView tfdt;
        if (Mp4::FindChild(traf, FourCc("tfdt"), tfdt)) {
            ByteReader time(tfdt.Payload(), tfdt.PayloadSize());
            const uint8_t version = time.U8();
            time.Skip(3);
            const uint64_t decodeTime = version == 1 ? time.U64() : time.U32();
            if (!time.Ok()) {
                return false;
            }
            PlaceAt(*track, decodeTime);
        }
        ChildBoxes children(traf);
        BoxView child;
        uint64_t runStart = base;
        while (children.Next(child)) {
            if (child.type == FourCc("trun") && !ReadRun(child, *track, defaults, base, runStart)) {
                return false;
            }
        }
        m_previousDataEnd = runStart;
        return !children.Failed();
    }

    // A fragment's decode time that differs from where the track ended (a
    // gap, or a last duration the writer guessed) lengthens or shortens the
    // sample before it, so that every sample keeps the time the fragmented
    // file gave it. Times that would need a negative or oversized duration
    // are left to run on.
    static void PlaceAt(Mp4TrackSamples& track, uint64_t decodeTime) {
        if (track.samples.empty()) {
            track.startTime = decodeTime;
            track.endTime = decodeTime;
            return;
        }
        Mp4Sample& last = track.samples.back();
        const uint64_t lastTime = track.endTime - last.duration;
        if (decodeTime > lastTime && decodeTime - lastTime <= UINT32_MAX) {
            last.duration = static_cast<uint32_t>(decodeTime - lastTime);
            track.endTime = decodeTime;
        }
    }

    struct Defaults {
        uint32_t description = 1;
        uint32_t duration = 0;
        uint32_t size = 0;
        uint32_t flags = 0;
    };

    bool ReadRun(const BoxView& trun, Mp4TrackSamples& track, const Defaults& defaults,
                 uint64_t base, uint64_t& runStart) {
        ByteReader run(trun.Payload(), trun.PayloadSize());
        const uint8_t version = run.U8();
        const uint32_t flags = run.U24();
        const uint32_t count = run.U32();
        uint64_t offset = runStart;
        if (flags & kTrunDataOffset) {
            const int64_t relative = static_cast<int32_t>(run.U32());
            if (relative < 0 && static_cast<uint64_t>(-relative) > base) {
                return false;
            }
            offset = base + static_cast<uint64_t>(relative);
        }
        const bool firstFlagsGiven = (flags & kTrunFirstSampleFlags) != 0;
        const uint32_t firstFlags = firstFlagsGiven ? run.U32() : defaults.flags;
        size_t entryBytes = 0;
        for (uint32_t field : {kTrunDuration, kTrunSize, kTrunFlags, kTrunCompositionOffset}) {
            entryBytes += (flags & field) ? 4 : 0;
        }
        // The count cannot ask for more entries than the box holds.
        if (!run.Ok() || (entryBytes > 0 && count > run.Remaining() / entryBytes) ||
            (entryBytes == 0 && count > (1u << 24))) {
            return false;
        }
        if (count == 0) {
            return true;
        }
        if (track.samples.empty()) {
            track.startTime = track.endTime;
        }
        uint64_t end = offset;
        for (uint32_t i = 0; i < count; ++i) {
            Mp4Sample sample;
            sample.duration = (flags & kTrunDuration) ? run.U32() : defaults.duration;
            sample.size = (flags & kTrunSize) ? run.U32() : defaults.size;
            const uint32_t sampleFlags =
                (flags & kTrunFlags) ? run.U32() : (i == 0 ? firstFlags : defaults.flags);
            sample.sync = (sampleFlags & kSampleIsNonSync) == 0;
            if (flags & kTrunCompositionOffset) {
                sample.compositionOffset = run.U32();
                track.compositionOffsets |= sample.compositionOffset != 0;
                track.signedCompositionOffsets |=
                    version != 0 && static_cast<int32_t>(sample.compositionOffset) < 0;
            }
            end += sample.size;
            track.endTime += sample.duration;
            track.samples.push_back(sample);
        }
        // Every byte of the run must be in this fragment's "mdat".
        if (offset < m_dataBegin || end > m_dataEnd || end < offset) {
            return false;
        }
        Mp4Chunk chunk;
        chunk.offset = offset;
        chunk.sampleCount = count;
        chunk.descriptionIndex = defaults.description;
        track.chunks.push_back(chunk);
        runStart = end;
        m_samplesEnd = std::max(m_samplesEnd, end);
        return true;
    }

    std::vector<Mp4TrackSamples>& m_tracks;
    uint64_t m_moofOffset;
    uint64_t m_dataBegin;
    uint64_t m_dataEnd;
    bool m_firstTraf = true;
    uint64_t m_previousDataEnd = 0;
    uint64_t m_samplesEnd = 0;
};

std::vector<TrackMark> MarkTracks(const std::vector<Mp4TrackSamples>& tracks) {
    std::vector<TrackMark> marks;
    marks.reserve(tracks.size());
    for (const Mp4TrackSamples& track : tracks) {
        marks.push_back({track.samples.size(), track.chunks.size(), track.startTime, track.endTime,
                         track.samples.empty() ? 0 : track.samples.back().duration,
                         track.compositionOffsets, track.signedCompositionOffsets});
    }
    return marks;
}

void RestoreTracks(std::vector<Mp4TrackSamples>& tracks, const std::vector<TrackMark>& marks) {
    for (size_t i = 0; i < tracks.size(); ++i) {
        Mp4TrackSamples& track = tracks[i];
        const TrackMark& mark = marks[i];
        track.samples.resize(mark.samples);
        track.chunks.resize(mark.chunks);
        track.startTime = mark.startTime;
        track.endTime = mark.endTime;
        if (!track.samples.empty()) {
            track.samples.back().duration = mark.lastDuration;
        }
        track.compositionOffsets = mark.compositionOffsets;
        track.signedCompositionOffsets = mark.signedCompositionOffsets;
    }
}

enum class FragmentStatus { Whole, CutOff, Damaged, ReadError };

struct FragmentEnd {
    uint64_t end = 0;      // of its "mdat"
    uint64_t dataEnd = 0;  // of the last sample byte its runs name
    uint32_t sequence = 0; // from its "mfhd" (0 without one)
};

uint32_t SequenceNumber(const BoxView& moof) {
    BoxView mfhd;
    if (!Mp4::FindChild(moof, FourCc("mfhd"), mfhd)) {
        return 0;
    }
    ByteReader reader(mfhd.Payload(), mfhd.PayloadSize());
    reader.Skip(4);
    const uint32_t sequence = reader.U32();
    return reader.Ok() ? sequence : 0;
}

// Reads the fragment whose "moof" is `moof`. A fragment found past a damaged
// stretch must also come after the last one read (leftovers of an older file
// in the clusters the file system handed out are not ours): its sequence
// number at least `leastSequence` (0: any).
FragmentStatus ReadFragment(RandomAccessFile& file, uint64_t fileSize, const BoxHeader& moof,
                            const std::vector<uint8_t>& ahead, std::vector<uint8_t>& buffer,
                            std::vector<Mp4TrackSamples>& tracks, uint32_t leastSequence,
                            FragmentEnd& read) {
    if (moof.size > kMaxHeaderBox) {
        return FragmentStatus::Damaged;
    }
    const size_t moofSize = static_cast<size_t>(moof.size);
    // The "moof" and the header after it, from the read-ahead when they are in it.
    const size_t wanted =
        static_cast<size_t>(std::min<uint64_t>(moofSize + 16, fileSize - moof.offset));
    const uint8_t* bytes = ahead.data();
    if (wanted > ahead.size()) {
        buffer.resize(wanted);
        if (!file.ReadAt(moof.offset, buffer.data(), wanted)) {
            return FragmentStatus::ReadError;
        }
        bytes = buffer.data();
    }
    BoxHeader mdat;
    const HeaderStatus next =
        Mp4::ParseBoxHeader(bytes + moofSize, wanted - moofSize, moof.End(), fileSize, mdat);
    if (next != HeaderStatus::Whole) {
        return FragmentStatus::CutOff;
    }
    if (mdat.type != FourCc("mdat")) {
        return FragmentStatus::Damaged;
    }
    BoxView view;
    view.type = moof.type;
    view.data = bytes;
    view.size = moofSize;
    view.headerSize = moof.headerSize;
    const uint32_t sequence = SequenceNumber(view);
    if (leastSequence > 0 && sequence < leastSequence) {
        return FragmentStatus::Damaged;
    }
    const std::vector<TrackMark> marks = MarkTracks(tracks);
    FragmentReader reader(tracks, moof.offset, mdat.PayloadOffset(), mdat.End());
    if (!reader.Read(view)) {
        RestoreTracks(tracks, marks);
        // A fragment that ends the file was being written when it stopped.
        return mdat.End() == fileSize ? FragmentStatus::CutOff : FragmentStatus::Damaged;
    }
    read.end = mdat.End();
    read.dataEnd = std::max(reader.DataEnd(), mdat.PayloadOffset());
    read.sequence = sequence;
    return FragmentStatus::Whole;
}

// Top-level boxes that may lie between fragments; any other type is taken
// for garbage that happens to read as a box header.
bool Skippable(uint32_t type) {
    static constexpr uint32_t kTypes[] = {FourCc("mdat"), FourCc("free"), FourCc("skip"),
                                          FourCc("wide"), FourCc("mfra"), FourCc("sidx"),
                                          FourCc("styp"), FourCc("prft"), FourCc("uuid")};
    return std::find(std::begin(kTypes), std::end(kTypes), type) != std::end(kTypes);
}

// Whether the box at `offset` (its first bytes in `bytes`) is the tail an
// interrupted finish appended: a free box tagged as ours, reaching to the
// end of the file or, when its writing was cut short, past it.
bool IsFinishTail(const uint8_t* bytes, size_t available, uint64_t offset, uint64_t fileSize) {
    if (available < 12 || Mp4::ReadU32(bytes + 4) != FourCc("free") ||
        Mp4::ReadU32(bytes + 8) != kFinishTailTag) {
        return false;
    }
    const uint32_t size = Mp4::ReadU32(bytes);
    return size >= 16 && offset + size >= fileSize;
}

// The first offset at or after `from` where a box named "moof" or "free"
// may begin (a fragment, or the finisher's tail); fileSize when there is
// none. False when a read fails.
bool NextCandidate(RandomAccessFile& file, uint64_t from, uint64_t fileSize,
                   std::vector<uint8_t>& buffer, uint64_t& at) {
    constexpr size_t kScanBytes = 1 << 16;
    while (from < fileSize && fileSize - from >= 8) {
        buffer.resize(static_cast<size_t>(std::min<uint64_t>(kScanBytes, fileSize - from)));
        const size_t got = file.ReadUpTo(from, buffer.data(), buffer.size());
        if (got < 8) {
            return false;
        }
        for (size_t i = 0; i + 8 <= got; ++i) {
            const uint32_t type = Mp4::ReadU32(&buffer[i + 4]);
            if (type == FourCc("moof") || type == FourCc("free")) {
                at = from + i;
                return true;
            }
        }
        from += got - 7;
    }
    at = fileSize;
    return true;
}

// Walks the fragments after the movie box in file order, into out: each
// whole fragment in turn, and past a damaged stretch to the next whole one.
class FragmentWalk {
public:
    FragmentWalk(RandomAccessFile& file, uint64_t fileSize, FragmentedMp4& out)
        : m_file(file), m_fileSize(fileSize), m_out(out), m_offset(out.movie.End()),
          m_resumeFrom(m_offset) {}

    Mp4IndexStatus Run() {
        m_out.keepEnd = m_fileSize;
        while (m_offset < m_fileSize) {
            bool goOn = false;
            const Mp4IndexStatus status = Step(goOn);
            if (status != Mp4IndexStatus::Read) {
                return status;
            }
            if (!goOn) {
                break;
            }
        }
        return Mp4IndexStatus::Read;
    }

private:
    // The box at the walk's place: a whole fragment or a box to skip moves
    // on; anything else is a damaged stretch. goOn: whether to read further.
    Mp4IndexStatus Step(bool& goOn) {
        if (!ReadAhead(m_offset)) {
            return Mp4IndexStatus::ReadError;
        }
        if (IsFinishTail(m_ahead.data(), m_ahead.size(), m_offset, m_fileSize)) {
            m_out.keepEnd = m_offset;
            return Mp4IndexStatus::Read;
        }
        BoxHeader box;
        const HeaderStatus header =
            Mp4::ParseBoxHeader(m_ahead.data(), m_ahead.size(), m_offset, m_fileSize, box);
        if (header == HeaderStatus::Whole && box.type == FourCc("moof")) {
            const FragmentStatus status = Take(box, 0);
            if (status == FragmentStatus::ReadError) {
                return Mp4IndexStatus::ReadError;
            }
            if (status == FragmentStatus::Whole) {
                goOn = true;
                return Mp4IndexStatus::Read;
            }
        } else if (header == HeaderStatus::Whole && Skippable(box.type)) {
            m_offset = m_resumeFrom = box.End();
            goOn = true;
            return Mp4IndexStatus::Read;
        }
        return CrossDamagedStretch(goOn);
    }

    // A damaged stretch: it goes on to the next whole fragment (or the
    // finisher's tail, or the end of the file) and stays as it is.
    Mp4IndexStatus CrossDamagedStretch(bool& found) {
        const uint64_t stretch = m_resumeFrom < m_offset ? m_resumeFrom : m_offset;
        uint64_t from = m_resumeFrom < m_offset ? m_resumeFrom : m_offset + 1;
        uint64_t next = m_fileSize;
        found = false;
        for (;;) {
            uint64_t at = m_fileSize;
            if (!NextCandidate(m_file, from, m_fileSize, m_scan, at)) {
                return Mp4IndexStatus::ReadError;
            }
            if (at >= m_fileSize) {
                break;
            }
            if (!ReadAhead(at)) {
                return Mp4IndexStatus::ReadError;
            }
            if (IsFinishTail(m_ahead.data(), m_ahead.size(), at, m_fileSize)) {
                next = m_out.keepEnd = at;
                break;
            }
            BoxHeader candidate;
            if (Mp4::ParseBoxHeader(m_ahead.data(), m_ahead.size(), at, m_fileSize, candidate) ==
                    HeaderStatus::Whole &&
                candidate.type == FourCc("moof")) {
                const FragmentStatus status = Take(candidate, m_sequence + 1);
                if (status == FragmentStatus::ReadError) {
                    return Mp4IndexStatus::ReadError;
                }
                if (status == FragmentStatus::Whole) {
                    next = candidate.offset;
                    found = true;
                    break;
                }
            }
            from = at + 1;
        }
        ++m_out.damagedStretches;
        m_out.damagedBytes += next > stretch ? next - stretch : 0;
        return Mp4IndexStatus::Read;
    }

    // The one reader of a fragment, in order and after a damaged stretch:
    // a whole fragment (its sequence at least minSequence) is taken, and the
    // walk goes on after it.
    FragmentStatus Take(const BoxHeader& moof, uint32_t minSequence) {
        FragmentEnd read;
        const FragmentStatus status = ReadFragment(m_file, m_fileSize, moof, m_ahead, m_buffer,
                                                   m_out.tracks, minSequence, read);
        if (status == FragmentStatus::Whole) {
            m_out.fragmentOffsets.push_back(moof.offset);
            m_sequence = read.sequence;
            m_resumeFrom = read.dataEnd;
            m_offset = read.end;
        }
        return status;
    }

    // Reads the first bytes at `at` into the look-ahead; false when that fails.
    bool ReadAhead(uint64_t at) {
        m_ahead.resize(static_cast<size_t>(std::min<uint64_t>(kReadAhead, m_fileSize - at)));
        const size_t got = m_file.ReadUpTo(at, m_ahead.data(), m_ahead.size());
        m_ahead.resize(got);
        return got > 0;
    }

    RandomAccessFile& m_file;
    const uint64_t m_fileSize;
    FragmentedMp4& m_out;
    std::vector<uint8_t> m_ahead;
    std::vector<uint8_t> m_buffer;
    std::vector<uint8_t> m_scan;
    uint64_t m_offset;
    // Where a search for the next fragment starts when the box at the walk's
    // place turns out damaged: the end of what was last read as whole. It
    // lies before that place when a damaged size sent the reading too far.
    uint64_t m_resumeFrom;
    uint32_t m_sequence = 0;
};

} // namespace

Mp4IndexStatus ReadFragmentedMp4(RandomAccessFile& file, uint64_t fileSize,
                                 const Mp4::BoxHeader& movie, FragmentedMp4& out) {
    out = FragmentedMp4{};
    out.fileSize = fileSize;
    out.movie = movie;
    if (movie.size > kMaxHeaderBox || movie.End() > fileSize) {
        return Mp4IndexStatus::Damaged;
    }
    out.movieBytes.resize(static_cast<size_t>(movie.size));
    if (!file.ReadAt(movie.offset, out.movieBytes.data(), out.movieBytes.size())) {
        return Mp4IndexStatus::ReadError;
    }
    const Mp4IndexStatus parsed = ParseMovie(ViewOf(out.movieBytes, movie), out.tracks);
    if (parsed != Mp4IndexStatus::Read) {
        return parsed;
    }
    return FragmentWalk(file, fileSize, out).Run();
}
