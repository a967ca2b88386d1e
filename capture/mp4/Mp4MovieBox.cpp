#include "capture/mp4/Mp4MovieBox.h"

#include <algorithm>
#include <iterator>

namespace {

using Mp4::BoxView;
using Mp4::BoxWriter;
using Mp4::ByteReader;
using Mp4::ChildBoxes;
using Mp4::FourCc;

// value * numerator / denominator, rounded up, without overflowing on the way.
uint64_t ScaleUp(uint64_t value, uint64_t numerator, uint64_t denominator) {
    const uint64_t whole = value / denominator;
    const uint64_t rest = value % denominator;
    return whole * numerator + (rest * numerator + denominator - 1) / denominator;
}

// The tables this builder writes; the originals (empty) are dropped.
bool IsSampleTable(uint32_t type) {
    static constexpr uint32_t kTables[] = {FourCc("stts"), FourCc("ctts"), FourCc("stss"),
                                           FourCc("stsc"), FourCc("stsz"), FourCc("stz2"),
                                           FourCc("stco"), FourCc("co64")};
    return std::find(std::begin(kTables), std::end(kTables), type) != std::end(kTables);
}

struct TrackTiming {
    uint64_t emptyEdit = 0; // movie time units before the first sample
    uint64_t duration = 0;  // movie time units, edit included
    bool newEdit = false;
};

// Copies a movie, track or media header with its duration replaced. The
// first two fields (creation and modification time) and the duration are
// 32-bit in version 0 and 64-bit in version 1; version 1 is written only
// when the duration needs it. `middle` is the 32-bit field count between.
bool CopyHeaderWithDuration(const BoxView& box, int middle, uint64_t duration, BoxWriter& out) {
    ByteReader in(box.Payload(), box.PayloadSize());
    const uint8_t version = in.U8();
    const uint32_t flags = in.U24();
    const uint64_t created = version == 1 ? in.U64() : in.U32();
    const uint64_t modified = version == 1 ? in.U64() : in.U32();
    uint32_t fields[2] = {};
    for (int i = 0; i < middle; ++i) {
        fields[i] = in.U32();
    }
    if (version == 1) {
        in.U64();
    } else {
        in.U32();
    }
    if (!in.Ok() || version > 1) {
        return false;
    }
    const bool wide = version == 1 || duration > UINT32_MAX;
    const size_t start = out.BeginFull(box.type, wide ? 1 : 0, flags);
    if (wide) {
        out.U64(created);
        out.U64(modified);
    } else {
        out.U32(static_cast<uint32_t>(created));
        out.U32(static_cast<uint32_t>(modified));
    }
    for (int i = 0; i < middle; ++i) {
        out.U32(fields[i]);
    }
    if (wide) {
        out.U64(duration);
    } else {
        out.U32(static_cast<uint32_t>(duration));
    }
    out.Bytes(box.Payload() + in.Position(), in.Remaining());
    out.End(start);
    return true;
}

uint32_t MovieTimeScale(const BoxView& moov) {
    BoxView mvhd;
    return Mp4::FindChild(moov, FourCc("mvhd"), mvhd) ? Mp4::FieldAfterTimes(mvhd) : 0;
}

uint32_t TrackIdOf(const BoxView& trak) {
    BoxView tkhd;
    return Mp4::FindChild(trak, FourCc("tkhd"), tkhd) ? Mp4::FieldAfterTimes(tkhd) : 0;
}

// Consecutive samples with the same value of a field, as (count, value) pairs.
template <typename Field>
void WriteRunTable(const std::vector<Mp4Sample>& samples, Field field, uint32_t type,
                   uint8_t version, BoxWriter& out) {
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    for (const Mp4Sample& sample : samples) {
        if (!runs.empty() && runs.back().second == field(sample)) {
            ++runs.back().first;
        } else {
            runs.emplace_back(1, field(sample));
        }
    }
    const size_t box = out.BeginFull(type, version, 0);
    out.U32(static_cast<uint32_t>(runs.size()));
    for (const auto& run : runs) {
        out.U32(run.first);
        out.U32(run.second);
    }
    out.End(box);
}

void WriteTimeToSample(const Mp4TrackSamples& track, BoxWriter& out) {
    WriteRunTable(
        track.samples, [](const Mp4Sample& s) { return s.duration; }, FourCc("stts"), 0, out);
}

void WriteCompositionOffsets(const Mp4TrackSamples& track, BoxWriter& out) {
    if (track.compositionOffsets) {
        WriteRunTable(
            track.samples, [](const Mp4Sample& s) { return s.compositionOffset; }, FourCc("ctts"),
            track.signedCompositionOffsets ? 1 : 0, out);
    }
}

void WriteSyncSamples(const Mp4TrackSamples& track, BoxWriter& out) {
    const size_t syncCount = static_cast<size_t>(std::count_if(
        track.samples.begin(), track.samples.end(), [](const Mp4Sample& s) { return s.sync; }));
    // Without the table every sample is a sync sample.
    if (syncCount == track.samples.size()) {
        return;
    }
    const size_t box = out.BeginFull(FourCc("stss"), 0, 0);
    out.U32(static_cast<uint32_t>(syncCount));
    for (size_t i = 0; i < track.samples.size(); ++i) {
        if (track.samples[i].sync) {
            out.U32(static_cast<uint32_t>(i + 1));
        }
    }
    out.End(box);
}

void WriteSampleToChunk(const Mp4TrackSamples& track, BoxWriter& out) {
    struct Entry {
        uint32_t firstChunk, samplesPerChunk, descriptionIndex;
    };
    std::vector<Entry> entries;
    for (size_t i = 0; i < track.chunks.size(); ++i) {
        const Mp4Chunk& chunk = track.chunks[i];
        if (entries.empty() || entries.back().samplesPerChunk != chunk.sampleCount ||
            entries.back().descriptionIndex != chunk.descriptionIndex) {
            entries.push_back(
                {static_cast<uint32_t>(i + 1), chunk.sampleCount, chunk.descriptionIndex});
        }
    }
    const size_t box = out.BeginFull(FourCc("stsc"), 0, 0);
    out.U32(static_cast<uint32_t>(entries.size()));
    for (const Entry& entry : entries) {
        out.U32(entry.firstChunk);
        out.U32(entry.samplesPerChunk);
        out.U32(entry.descriptionIndex);
    }
    out.End(box);
}

void WriteSampleSizes(const Mp4TrackSamples& track, BoxWriter& out) {
    const bool uniform =
        !track.samples.empty() &&
        std::all_of(track.samples.begin(), track.samples.end(),
                    [&](const Mp4Sample& s) { return s.size == track.samples.front().size; });
    const size_t box = out.BeginFull(FourCc("stsz"), 0, 0);
    out.U32(uniform ? track.samples.front().size : 0);
    out.U32(static_cast<uint32_t>(track.samples.size()));
    if (!uniform) {
        for (const Mp4Sample& sample : track.samples) {
            out.U32(sample.size);
        }
    }
    out.End(box);
}

void WriteChunkOffsets(const Mp4TrackSamples& track, BoxWriter& out) {
    // 32-bit offsets while they reach; past 4 GiB every one is 64-bit.
    const bool wide = std::any_of(track.chunks.begin(), track.chunks.end(),
                                  [](const Mp4Chunk& c) { return c.offset > UINT32_MAX; });
    const size_t box = out.BeginFull(wide ? FourCc("co64") : FourCc("stco"), 0, 0);
    out.U32(static_cast<uint32_t>(track.chunks.size()));
    for (const Mp4Chunk& chunk : track.chunks) {
        if (wide) {
            out.U64(chunk.offset);
        } else {
            out.U32(static_cast<uint32_t>(chunk.offset));
        }
    }
    out.End(box);
}

void WriteSampleTable(const BoxView& stbl, const Mp4TrackSamples& track, BoxWriter& out) {
    const size_t box = out.Begin(stbl.type);
    ChildBoxes children(stbl);
    BoxView child;
    std::vector<BoxView> others;
    while (children.Next(child)) {
        if (child.type == FourCc("stsd")) {
            out.Bytes(child.data, child.size);
        } else if (!IsSampleTable(child.type)) {
            others.push_back(child);
        }
    }
    WriteTimeToSample(track, out);
    WriteCompositionOffsets(track, out);
    WriteSyncSamples(track, out);
    WriteSampleToChunk(track, out);
    WriteSampleSizes(track, out);
    WriteChunkOffsets(track, out);
    for (const BoxView& other : others) {
        out.Bytes(other.data, other.size);
    }
    out.End(box);
}

// Rebuilds a container, handing each child to `each`, which answers whether it wrote it.
template <typename Each> bool RebuildContainer(const BoxView& parent, BoxWriter& out, Each each) {
    const size_t box = out.Begin(parent.type);
    ChildBoxes children(parent);
    BoxView child;
    while (children.Next(child)) {
        bool ok = true;
        if (!each(child, ok)) {
            out.Bytes(child.data, child.size);
        }
        if (!ok) {
            return false;
        }
    }
    out.End(box);
    return !children.Failed();
}

void WriteEditList(const TrackTiming& timing, BoxWriter& out) {
    const bool wide = timing.duration > UINT32_MAX;
    const size_t edts = out.Begin(FourCc("edts"));
    const size_t elst = out.BeginFull(FourCc("elst"), wide ? 1 : 0, 0);
    out.U32(2);
    // An empty edit holds the track back to where its first sample was...
    if (wide) {
        out.U64(timing.emptyEdit);
        out.U64(UINT64_MAX);
    } else {
        out.U32(static_cast<uint32_t>(timing.emptyEdit));
        out.U32(UINT32_MAX);
    }
    out.U32(0x00010000);
    // ...then the media plays from its start.
    const uint64_t media = timing.duration - timing.emptyEdit;
    if (wide) {
        out.U64(media);
        out.U64(0);
    } else {
        out.U32(static_cast<uint32_t>(media));
        out.U32(0);
    }
    out.U32(0x00010000);
    out.End(elst);
    out.End(edts);
}

bool WriteTrack(const BoxView& trak, const Mp4TrackSamples& track, const TrackTiming& timing,
                BoxWriter& out) {
    return RebuildContainer(trak, out, [&](const BoxView& child, bool& ok) {
        if (child.type == FourCc("tkhd")) {
            ok = CopyHeaderWithDuration(child, 2, timing.duration, out);
            if (ok && timing.newEdit) {
                WriteEditList(timing, out);
            }
            return true;
        }
        if (child.type != FourCc("mdia")) {
            return false;
        }
        ok = RebuildContainer(child, out, [&](const BoxView& media, bool& mediaOk) {
            if (media.type == FourCc("mdhd")) {
                mediaOk = CopyHeaderWithDuration(media, 1, track.MediaDuration(), out);
                return true;
            }
            if (media.type != FourCc("minf")) {
                return false;
            }
            mediaOk = RebuildContainer(media, out, [&](const BoxView& info, bool&) {
                if (info.type != FourCc("stbl")) {
                    return false;
                }
                WriteSampleTable(info, track, out);
                return true;
            });
            return true;
        });
        return true;
    });
}

} // namespace

bool BuildOrdinaryMovieBox(const FragmentedMp4& file, std::vector<uint8_t>& out) {
    out.clear();
    BoxView moov;
    moov.type = FourCc("moov");
    moov.data = file.movieBytes.data();
    moov.size = file.movieBytes.size();
    moov.headerSize = file.movie.headerSize;
    const uint32_t movieScale = MovieTimeScale(moov);
    if (movieScale == 0) {
        return false;
    }
    // Tracks that already carry an edit list keep it; it says where they start.
    std::vector<uint32_t> edited;
    ChildBoxes children(moov);
    BoxView child;
    while (children.Next(child)) {
        BoxView edts;
        if (child.type == FourCc("trak") && Mp4::FindChild(child, FourCc("edts"), edts)) {
            edited.push_back(TrackIdOf(child));
        }
    }
    std::vector<TrackTiming> timings(file.tracks.size());
    uint64_t movieDuration = 0;
    for (size_t i = 0; i < file.tracks.size(); ++i) {
        const Mp4TrackSamples& track = file.tracks[i];
        TrackTiming& timing = timings[i];
        // A track whose first sample comes after the movie's start keeps that
        // delay, as the fragments' decode times gave it.
        timing.newEdit = track.startTime > 0 &&
                         std::find(edited.begin(), edited.end(), track.trackId) == edited.end();
        if (timing.newEdit) {
            timing.emptyEdit = ScaleUp(track.startTime, movieScale, track.timeScale);
        }
        timing.duration =
            timing.emptyEdit + ScaleUp(track.MediaDuration(), movieScale, track.timeScale);
        movieDuration = std::max(movieDuration, timing.duration);
    }
    BoxWriter writer(out);
    return RebuildContainer(moov, writer, [&](const BoxView& child, bool& ok) {
        if (child.type == FourCc("mvex")) {
            return true; // dropped: the file no longer has fragments
        }
        if (child.type == FourCc("mvhd")) {
            ok = CopyHeaderWithDuration(child, 1, movieDuration, writer);
            return true;
        }
        if (child.type != FourCc("trak")) {
            return false;
        }
        const uint32_t trackId = TrackIdOf(child);
        for (size_t i = 0; i < file.tracks.size(); ++i) {
            if (file.tracks[i].trackId == trackId) {
                ok = WriteTrack(child, file.tracks[i], timings[i], writer);
                return true;
            }
        }
        ok = false;
        return true;
    });
}
