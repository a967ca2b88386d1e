#include "bench/SyntheticFragmentedMp4.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "capture/mp4/Mp4Boxes.h"
#include "capture/mp4/PosixRandomAccessFile.h"

namespace {

using Mp4::BoxWriter;
using Mp4::FourCc;

constexpr uint32_t kVideoScale = 90000;
constexpr uint32_t kSyncFlags = 0x02000000;    // depends on no other sample
constexpr uint32_t kNonSyncFlags = 0x01010000; // depends on others, not a sync sample

void WriteTrack(BoxWriter& out, uint32_t id, uint32_t timeScale, bool video) {
    const size_t trak = out.Begin(FourCc("trak"));
    const size_t tkhd = out.BeginFull(FourCc("tkhd"), 0, 3);
    for (uint32_t field : {0u, 0u, id, 0u, 0u, 0u, 0u}) {
        out.U32(field);
    }
    out.U16(0);
    out.U16(0);
    out.U16(video ? 0 : 0x0100);
    out.U16(0);
    for (uint32_t m : {0x10000u, 0u, 0u, 0u, 0x10000u, 0u, 0u, 0u, 0x40000000u}) {
        out.U32(m);
    }
    out.U32(video ? 1920u << 16 : 0);
    out.U32(video ? 1080u << 16 : 0);
    out.End(tkhd);
    const size_t mdia = out.Begin(FourCc("mdia"));
    const size_t mdhd = out.BeginFull(FourCc("mdhd"), 0, 0);
    out.U32(0);
    out.U32(0);
    out.U32(timeScale);
    out.U32(0);
    out.U16(0x55c4);
    out.U16(0);
    out.End(mdhd);
    const size_t hdlr = out.BeginFull(FourCc("hdlr"), 0, 0);
    out.U32(0);
    out.U32(video ? FourCc("vide") : FourCc("soun"));
    out.U32(0);
    out.U32(0);
    out.U32(0);
    out.U8(0);
    out.End(hdlr);
    const size_t minf = out.Begin(FourCc("minf"));
    const size_t header = out.BeginFull(video ? FourCc("vmhd") : FourCc("smhd"), 0, video ? 1 : 0);
    out.U32(0);
    if (video) {
        out.U32(0);
    }
    out.End(header);
    const size_t stbl = out.Begin(FourCc("stbl"));
    const size_t stsd = out.BeginFull(FourCc("stsd"), 0, 0);
    out.U32(1);
    out.End(out.Begin(video ? FourCc("avc1") : FourCc("mp4a")));
    out.End(stsd);
    for (uint32_t table : {FourCc("stts"), FourCc("stsc"), FourCc("stco")}) {
        const size_t box = out.BeginFull(table, 0, 0);
        out.U32(0);
        out.End(box);
    }
    const size_t stsz = out.BeginFull(FourCc("stsz"), 0, 0);
    out.U32(0);
    out.U32(0);
    out.End(stsz);
    out.End(stbl);
    out.End(minf);
    out.End(mdia);
    out.End(trak);
}

std::vector<uint8_t> Header(const SyntheticRecording& recording) {
    std::vector<uint8_t> bytes;
    BoxWriter out(bytes);
    const size_t ftyp = out.Begin(FourCc("ftyp"));
    for (const char* brand : {"isom", "\0\0\2\0", "isom", "iso2", "avc1", "mp41"}) {
        out.Bytes(reinterpret_cast<const uint8_t*>(brand), 4);
    }
    out.End(ftyp);
    const size_t moov = out.Begin(FourCc("moov"));
    const size_t mvhd = out.BeginFull(FourCc("mvhd"), 0, 0);
    out.U32(0);
    out.U32(0);
    out.U32(1000);
    out.U32(0);
    out.U32(0x10000);
    out.U16(0x100);
    out.U16(0);
    out.U64(0);
    for (uint32_t m : {0x10000u, 0u, 0u, 0u, 0x10000u, 0u, 0u, 0u, 0x40000000u}) {
        out.U32(m);
    }
    for (int i = 0; i < 6; ++i) {
        out.U32(0);
    }
    out.U32(3);
    out.End(mvhd);
    WriteTrack(out, 1, kVideoScale, true);
    WriteTrack(out, 2, static_cast<uint32_t>(recording.sampleRate), false);
    const size_t mvex = out.Begin(FourCc("mvex"));
    for (uint32_t id : {1u, 2u}) {
        const size_t trex = out.BeginFull(FourCc("trex"), 0, 0);
        out.U32(id);
        out.U32(1);
        out.U32(0);
        out.U32(0);
        out.U32(0);
        out.End(trex);
    }
    out.End(mvex);
    out.End(moov);
    return bytes;
}

} // namespace

bool WriteSyntheticFragmentedMp4(const std::string& path, const SyntheticRecording& recording,
                                 SyntheticFile& written) {
    if (FILE* created = std::fopen(path.c_str(), "wb")) {
        std::fclose(created);
    } else {
        return false;
    }
    PosixRandomAccessFile file(path);
    const std::vector<uint8_t> header = Header(recording);
    if (!file.IsOpen() || !file.WriteAt(0, header.data(), header.size())) {
        return false;
    }
    written = SyntheticFile{};
    uint64_t offset = header.size();
    const uint32_t frameTicks = kVideoScale / static_cast<uint32_t>(recording.frameRate);
    const int64_t fragmentBytes =
        recording.videoBitRate / 8 * recording.picturesPerFragment / recording.frameRate;
    // A key picture as large as three others.
    const auto otherSize =
        static_cast<uint32_t>(fragmentBytes / (recording.picturesPerFragment + 2));
    const uint32_t keySize = otherSize * 3;
    const auto soundSize =
        static_cast<uint32_t>(recording.audioBitRate / 8 * 1024 / recording.sampleRate);
    const uint32_t totalPictures = static_cast<uint32_t>(recording.seconds * recording.frameRate);
    std::vector<uint8_t> moof;
    for (uint32_t first = 0; first < totalPictures; first += recording.picturesPerFragment) {
        const uint32_t pictures =
            std::min<uint32_t>(recording.picturesPerFragment, totalPictures - first);
        // Sound up to the end of this fragment's pictures.
        const uint64_t soundEnd = static_cast<uint64_t>(first + pictures) * recording.sampleRate /
                                  recording.frameRate / 1024;
        const auto sounds = static_cast<uint32_t>(soundEnd - written.soundFrames);
        moof.clear();
        BoxWriter out(moof);
        const size_t moofBox = out.Begin(FourCc("moof"));
        const size_t mfhd = out.BeginFull(FourCc("mfhd"), 0, 0);
        out.U32(written.fragments + 1);
        out.End(mfhd);
        size_t dataOffsetAt[2] = {};
        for (int track = 0; track < 2; ++track) {
            const bool video = track == 0;
            const size_t traf = out.Begin(FourCc("traf"));
            const size_t tfhd = out.BeginFull(FourCc("tfhd"), 0, 0x20020);
            out.U32(video ? 1 : 2);
            out.U32(video ? kNonSyncFlags : kSyncFlags);
            out.End(tfhd);
            const size_t tfdt = out.BeginFull(FourCc("tfdt"), 1, 0);
            out.U64(video ? static_cast<uint64_t>(first) * frameTicks
                          : static_cast<uint64_t>(written.soundFrames) * 1024);
            out.End(tfdt);
            const size_t trun = out.BeginFull(FourCc("trun"), 0, video ? 0x305 : 0x301);
            out.U32(video ? pictures : sounds);
            dataOffsetAt[track] = moof.size();
            out.U32(0);
            if (video) {
                out.U32(kSyncFlags);
            }
            for (uint32_t i = 0; i < (video ? pictures : sounds); ++i) {
                out.U32(video ? frameTicks : 1024);
                out.U32(video ? (i == 0 ? keySize : otherSize) : soundSize);
            }
            out.End(trun);
            out.End(traf);
        }
        out.End(moofBox);
        const uint64_t videoBytes = keySize + static_cast<uint64_t>(pictures - 1) * otherSize;
        const uint64_t payload = videoBytes + static_cast<uint64_t>(sounds) * soundSize;
        Mp4::PutU32(moof.data() + dataOffsetAt[0], static_cast<uint32_t>(moof.size() + 8));
        Mp4::PutU32(moof.data() + dataOffsetAt[1],
                    static_cast<uint32_t>(moof.size() + 8 + videoBytes));
        out.U32(static_cast<uint32_t>(payload + 8));
        out.U32(FourCc("mdat"));
        if (!file.WriteAt(offset, moof.data(), moof.size())) {
            return false;
        }
        offset += moof.size() + payload;
        ++written.fragments;
        written.pictures += pictures;
        written.soundFrames += sounds;
    }
    written.bytes = offset;
    return file.Truncate(offset) && file.Flush();
}
