// Finishing fragmented recordings in place, on files that the host's ffmpeg
// writes the way our recorder does (H.264 with a key picture every 12, AAC,
// movflags frag_keyframe+empty_moov+default_base_moof). The results are read
// back with ffprobe and with mediainfo, which shares no code with FFmpeg.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "capture/mp4/Mp4Boxes.h"
#include "capture/mp4/Mp4HeaderCopy.h"
#include "capture/mp4/Mp4InPlaceFinisher.h"
#include "capture/mp4/PosixRandomAccessFile.h"
#include "tests/Mp4TestLayout.h"
#include "tests/support/WholeFile.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string Shell(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t got = 0;
        while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            output.append(buffer, got);
        }
        pclose(pipe);
    }
    return output;
}

using Mp4TestLayout::OfType;
using Mp4TestLayout::TopBox;
using Mp4TestLayout::TopLevel;
using TestSupport::WholeFile;
using TestSupport::WriteWholeFile;

Mp4FinishResult Finish(const std::string& path) {
    PosixRandomAccessFile file(path);
    EXPECT_TRUE(file.IsOpen()) << path;
    return FinishFragmentedMp4(file);
}

// Every packet as a reader sees it: stream, times, size, key flag and a hash of its bytes.
std::string Packets(const std::string& path) {
    return Shell("ffprobe -v error -show_data_hash MD5 -show_entries "
                 "packet=stream_index,pts,dts,size,flags,data_hash -of csv '" +
                 path + "'");
}

// FFmpeg's reader meets neither fragment headers nor the fragments' movie extension.
::testing::AssertionResult ReaderSeesNoFragments(const std::string& path) {
    const std::string trace = Shell("ffprobe -v trace '" + path + "' 2>&1");
    for (const char* box : {"type:'moof'", "type:'mvex'"}) {
        if (trace.find(box) != std::string::npos) {
            return ::testing::AssertionFailure() << "ffprobe meets " << box << " in " << path;
        }
    }
    return ::testing::AssertionSuccess();
}

// The frame count mediainfo gives each track (of the media itself, where an
// edit list makes the track longer).
std::string MediaInfoFrames(const std::string& path) {
    const std::string json = Shell("mediainfo --Output=JSON '" + path + "'");
    std::string counts;
    size_t track = json.find("{\"@type\"");
    while (track != std::string::npos) {
        const size_t next = json.find("{\"@type\"", track + 1);
        const std::string fields = json.substr(track, next - track);
        for (const char* key : {"\"Source_FrameCount\":\"", "\"FrameCount\":\""}) {
            const size_t at = fields.find(key);
            if (at != std::string::npos) {
                const size_t begin = at + std::string(key).size();
                counts += fields.substr(begin, fields.find('"', begin) - begin) + " ";
                break;
            }
        }
        track = next;
    }
    return counts;
}

// Where each stream starts and how long it lasts, in seconds.
std::vector<std::pair<double, double>> StreamTimes(const std::string& path) {
    std::vector<std::pair<double, double>> times;
    const std::string text = Shell(
        "ffprobe -v error -show_entries stream=start_time,duration -of csv=p=0 '" + path + "'");
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        const size_t comma = line.find(',');
        times.emplace_back(std::atof(line.c_str()), std::atof(line.c_str() + comma + 1));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return times;
}

// The finished file holds every byte of the fragmented one where it was,
// but the header of the first, empty movie box, which became the media data
// box's.
::testing::AssertionResult KeptBelowTheIndex(const Bytes& fragmented, const Bytes& finished) {
    const std::vector<TopBox> movies = OfType(TopLevel(fragmented), "moov");
    if (movies.size() != 1 || finished.size() < fragmented.size()) {
        return ::testing::AssertionFailure() << "not a finish of the fragmented file";
    }
    Bytes expected = fragmented;
    std::copy_n(finished.begin() + movies[0].offset, 8, expected.begin() + movies[0].offset);
    const auto differ = std::mismatch(expected.begin(), expected.end(), finished.begin());
    if (differ.first != expected.end()) {
        return ::testing::AssertionFailure()
               << "byte " << differ.first - expected.begin() << " of the recording changed";
    }
    return ::testing::AssertionSuccess();
}

class Folder {
public:
    Folder() {
        char pattern[] = "/tmp/orvana-mp4-XXXXXX";
        if (mkdtemp(pattern) != nullptr) {
            m_path = pattern;
        }
    }
    ~Folder() {
        if (!m_path.empty()) {
            Shell("rm -rf '" + m_path + "'");
        }
    }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

enum class Kind { Video, VideoAndSound, BFramesAndSound, LongVideoAndSound };

// One second at 30 pictures a second (three fragments), or four (ten
// fragments) for the long one, made once per test program.
const Bytes& Recording(Kind kind) {
    static Folder folder;
    static Bytes made[4];
    Bytes& bytes = made[static_cast<int>(kind)];
    if (bytes.empty()) {
        const std::string path = folder / "recording.mp4";
        const bool sound = kind != Kind::Video;
        Shell(
            "ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=30 " +
            std::string(sound ? "-f lavfi -i sine=frequency=440:sample_rate=48000 -c:a aac " : "") +
            "-t " + (kind == Kind::LongVideoAndSound ? "4" : "1") +
            " -c:v libx264 -g 12 -preset superfast " +
            (kind == Kind::BFramesAndSound ? "-bf 2 " : "-bf 0 -tune zerolatency ") +
            "-video_track_timescale 90000 "
            "-movflags frag_keyframe+empty_moov+default_base_moof '" +
            path + "'");
        bytes = WholeFile<Bytes>(path);
    }
    EXPECT_FALSE(bytes.empty()) << "the host's ffmpeg made no recording";
    return bytes;
}

// Adds `ticks` to the decode time of track 1 (the pictures) in every
// fragment from `first` on: from the first, as a camera whose first picture
// comes after the sound gives; from a later one, a gap that the pictures'
// own durations do not account for (the muxer gives a fragment's last
// picture its packet's duration, while the next one's time is the clock's).
Bytes PicturesLater(Bytes bytes, size_t first, uint32_t ticks) {
    const std::vector<TopBox> moofs = OfType(TopLevel(bytes), "moof");
    for (size_t i = first; i < moofs.size(); ++i) {
        Mp4::ChildBoxes fragments(&bytes[moofs[i].offset + 8], moofs[i].size - 8);
        Mp4::BoxView traf;
        while (fragments.Next(traf)) {
            Mp4::BoxView tfhd, tfdt;
            if (traf.type != Mp4::FourCc("traf") ||
                !Mp4::FindChild(traf, Mp4::FourCc("tfhd"), tfhd) ||
                Mp4::ReadU32(tfhd.Payload() + 4) != 1 ||
                !Mp4::FindChild(traf, Mp4::FourCc("tfdt"), tfdt)) {
                continue;
            }
            auto* time = const_cast<uint8_t*>(tfdt.Payload()) + 4;
            Mp4::PutU64(time, Mp4::ReadU64(time) + ticks);
        }
    }
    return bytes;
}

TEST(Mp4InPlaceFinisherTest, FinishedFileIsOrdinaryWithEveryPacketWhereItWas) {
    Folder folder;
    const struct {
        const char* name;
        Bytes fragmented;
    } cases[] = {{"pictures only", Recording(Kind::Video)},
                 {"pictures and sound", Recording(Kind::VideoAndSound)},
                 {"B-frames (composition offsets)", Recording(Kind::BFramesAndSound)},
                 {"pictures starting half a second late",
                  PicturesLater(Recording(Kind::VideoAndSound), 0, 45000)},
                 {"pictures resuming 0.1 s late after the first fragment",
                  PicturesLater(Recording(Kind::VideoAndSound), 1, 9000)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string fragmentedPath = folder / "fragmented.mp4";
        const std::string path = folder / "finished.mp4";
        WriteWholeFile(fragmentedPath, c.fragmented);
        WriteWholeFile(path, c.fragmented);
        const std::vector<TopBox> before = TopLevel(c.fragmented);
        ASSERT_FALSE(OfType(before, "moof").empty());

        const Mp4FinishResult result = Finish(path);
        ASSERT_EQ(result.outcome, Mp4FinishOutcome::Finished);
        EXPECT_TRUE(ReaderSeesNoFragments(path));
        EXPECT_EQ(Packets(path), Packets(fragmentedPath));
        // FFmpeg's reader counts a fragmented track's late start into its
        // duration; where tracks start at 0 the durations must agree.
        const auto wasTimed = StreamTimes(fragmentedPath);
        const auto isTimed = StreamTimes(path);
        ASSERT_EQ(isTimed.size(), wasTimed.size());
        for (size_t i = 0; i < isTimed.size(); ++i) {
            EXPECT_EQ(isTimed[i].first, wasTimed[i].first);
            if (wasTimed[i].first == 0) {
                EXPECT_NEAR(isTimed[i].second, wasTimed[i].second, 1.0 / 30);
            }
        }
        EXPECT_EQ(MediaInfoFrames(path), MediaInfoFrames(fragmentedPath));
        EXPECT_EQ(result.fragments, OfType(before, "moof").size());

        // Nothing went, not even the fragment index at the end: the index
        // alone came, and below it only the header of the first, empty movie
        // box changed: it now spans everything up to the new movie box.
        const Bytes finished = WholeFile<Bytes>(path);
        const std::vector<TopBox> after = TopLevel(finished);
        ASSERT_EQ(before.back().type, "mfra");
        EXPECT_EQ(result.bytesTrimmed, 0u);
        ASSERT_EQ(after.size(), 3u);
        EXPECT_EQ(after[0].type, "ftyp");
        EXPECT_EQ(after[1].type, "mdat");
        EXPECT_EQ(after[2].type, "moov");
        EXPECT_EQ(finished.size(), c.fragmented.size() + result.bytesAdded);
        EXPECT_EQ(after.back().offset + after.back().size, finished.size());
        EXPECT_EQ(result.bytesAdded, after.back().size + 16);
        EXPECT_TRUE(KeptBelowTheIndex(c.fragmented, finished));

        const Mp4FinishResult again = Finish(path);
        EXPECT_EQ(again.outcome, Mp4FinishOutcome::AlreadyOrdinary);
        EXPECT_EQ(WholeFile<Bytes>(path), finished);

        // A file that the earlier version committed as free space, with no
        // fragment header hidden yet, is completed into the same file.
        Bytes committedAsFree = finished;
        std::copy_n("free", 4, committedAsFree.begin() + after[1].offset + 4);
        WriteWholeFile(path, committedAsFree);
        const Mp4FinishResult resumed = Finish(path);
        EXPECT_EQ(resumed.outcome, Mp4FinishOutcome::Finished);
        EXPECT_TRUE(resumed.resumed);
        EXPECT_EQ(WholeFile<Bytes>(path), finished);
    }
}

// The recorder shows the header copy every write as the muxer makes it; the
// finish at the stop then reads nothing from the disk and gives the very
// file a finish that reads it gives. A write into a gap ends the copy, and
// the finish reads the file instead.
TEST(Mp4InPlaceFinisherTest, HeadersCopiedWhileWritingSpareEveryReadAndGiveTheSameFile) {
    class CountingFile final : public RandomAccessFile {
    public:
        explicit CountingFile(const std::string& path) : m_file(path) {}
        int reads = 0;
        bool ReadAt(uint64_t offset, void* buffer, size_t size) override {
            ++reads;
            return m_file.ReadAt(offset, buffer, size);
        }
        bool WriteAt(uint64_t offset, const void* data, size_t size) override {
            return m_file.WriteAt(offset, data, size);
        }
        bool Size(uint64_t& size) override { return m_file.Size(size); }
        bool Flush() override { return m_file.Flush(); }
        bool Truncate(uint64_t size) override { return m_file.Truncate(size); }

    private:
        PosixRandomAccessFile m_file;
    };
    Folder folder;
    const Bytes& recording = Recording(Kind::VideoAndSound);
    const std::string reference = folder / "reference.mp4";
    WriteWholeFile(reference, recording);
    ASSERT_EQ(Finish(reference).outcome, Mp4FinishOutcome::Finished);
    const Bytes finished = WholeFile<Bytes>(reference);

    const std::string path = folder / "copied.mp4";
    for (const bool gap : {false, true}) {
        SCOPED_TRACE(gap ? "a write into a gap" : "written in order");
        WriteWholeFile(path, recording);
        Mp4HeaderCopy copy;
        // Pieces of every size the muxer's buffer gives, a header split too;
        // the first bytes written again, as a muxer that patches its header.
        size_t at = 0;
        for (size_t piece = 1; at < recording.size(); piece = piece * 3 % 4099 + 1) {
            const size_t size = std::min(piece, recording.size() - at);
            const size_t skipped = gap && at > recording.size() / 2 ? 1 : 0;
            copy.Written(at + skipped, recording.data() + at + skipped, size - skipped);
            at += size;
        }
        copy.Written(0, recording.data(), 64);
        ASSERT_EQ(copy.Following(), !gap);
        CountingFile file(path);
        HeaderCopiedFile copied(file, copy);
        EXPECT_EQ(FinishFragmentedMp4(copied).outcome, Mp4FinishOutcome::Finished);
        EXPECT_EQ(WholeFile<Bytes>(path), finished);
        if (!gap) {
            EXPECT_EQ(file.reads, 0);
        } else {
            EXPECT_GT(file.reads, 0);
        }
    }
}

TEST(Mp4InPlaceFinisherTest, FragmentCutOffAtTheEndStaysHiddenAndTheWholeOnesPlay) {
    Folder folder;
    const Bytes& whole = Recording(Kind::VideoAndSound);
    const std::vector<TopBox> boxes = TopLevel(whole);
    const TopBox lastMoof = OfType(boxes, "moof").back();
    const TopBox lastMdat = OfType(boxes, "mdat").back();
    const TopBox mfra = boxes.back();
    ASSERT_EQ(mfra.type, "mfra");

    const std::string reference = folder / "reference.mp4";
    WriteWholeFile(reference, Bytes(whole.begin(), whole.begin() + lastMoof.offset));
    const std::string wholeFragments = Packets(reference);
    WriteWholeFile(reference, whole);
    const std::string allFragments = Packets(reference);

    const struct {
        const char* where;
        uint64_t cut;
        const std::string* packets;
    } cuts[] = {{"in the fragment header's header", lastMoof.offset + 5, &wholeFragments},
                {"in the fragment header", lastMoof.offset + lastMoof.size / 2, &wholeFragments},
                {"before the media data box", lastMoof.offset + lastMoof.size, &wholeFragments},
                {"in the media data box's header", lastMdat.offset + 3, &wholeFragments},
                {"in the media data", lastMdat.offset + lastMdat.size / 2, &wholeFragments},
                {"a byte short of the end", lastMdat.offset + lastMdat.size - 1, &wholeFragments},
                {"in the fragment index", mfra.offset + 10, &allFragments}};
    for (const auto& c : cuts) {
        SCOPED_TRACE(c.where);
        const std::string path = folder / "cut.mp4";
        const Bytes cut(whole.begin(), whole.begin() + c.cut);
        WriteWholeFile(path, cut);
        ASSERT_EQ(Finish(path).outcome, Mp4FinishOutcome::Finished);
        EXPECT_EQ(Packets(path), *c.packets);
        EXPECT_TRUE(KeptBelowTheIndex(cut, WholeFile<Bytes>(path)));
    }

    // A power cut can leave the file longer than what reached it, the rest zeros.
    Bytes zeroTail(whole.begin(), whole.begin() + lastMoof.offset);
    zeroTail.resize(zeroTail.size() + 5000, 0);
    const std::string path = folder / "zeros.mp4";
    WriteWholeFile(path, zeroTail);
    ASSERT_EQ(Finish(path).outcome, Mp4FinishOutcome::Finished);
    EXPECT_EQ(Packets(path), wholeFragments);
    EXPECT_TRUE(KeptBelowTheIndex(zeroTail, WholeFile<Bytes>(path)));
}

// After a power cut the file system may have grown the file without the data
// reaching it: zeros, or whatever the clusters held, in the middle of a
// recording. The finish skips such a stretch and indexes every whole
// fragment on both sides of it; the stretch stays, hidden in the media data.
TEST(Mp4InPlaceFinisherTest, DamagedStretchesAreSkippedAndEveryWholeFragmentAroundThemPlays) {
    Folder folder;
    const Bytes& recording = Recording(Kind::LongVideoAndSound);
    const std::vector<TopBox> boxes = TopLevel(recording);
    const std::vector<TopBox> moofs = OfType(boxes, "moof");
    const std::vector<TopBox> mdats = OfType(boxes, "mdat");
    ASSERT_GE(moofs.size(), 9u);
    ASSERT_EQ(mdats.size(), moofs.size());

    // Each packet of the fragmented file with the fragment that holds it.
    const std::string original = folder / "original.mp4";
    WriteWholeFile(original, recording);
    std::vector<std::pair<size_t, std::string>> packets;
    {
        const std::string text =
            Shell("ffprobe -v error -show_data_hash MD5 -show_entries "
                  "packet=stream_index,pts,dts,size,pos,flags,data_hash -of csv '" +
                  original + "'");
        size_t start = 0;
        while (start < text.size()) {
            const size_t end = text.find('\n', start);
            std::string line = text.substr(start, end - start + 1);
            start = end == std::string::npos ? text.size() : end + 1;
            // packet,stream,pts,dts,size,pos,flags,hash: pos goes, it changes with the layout
            size_t field = 0;
            for (int i = 0; i < 5 && field != std::string::npos; ++i) {
                field = line.find(',', field + 1);
            }
            const size_t posEnd = line.find(',', field + 1);
            ASSERT_NE(posEnd, std::string::npos) << line;
            const uint64_t pos = std::strtoull(line.c_str() + field + 1, nullptr, 10);
            line.erase(field, posEnd - field);
            size_t fragment = 0;
            while (fragment + 1 < moofs.size() && moofs[fragment + 1].offset <= pos) {
                ++fragment;
            }
            packets.emplace_back(fragment, line);
        }
    }
    ASSERT_GT(packets.size(), 150u);

    // Zeros, or bytes that read as nothing (a fixed pseudo-random sequence).
    const auto zeros = [](Bytes& bytes, uint64_t from, uint64_t to) {
        std::fill(bytes.begin() + from, bytes.begin() + to, 0);
    };
    const auto garbage = [](Bytes& bytes, uint64_t from, uint64_t to) {
        uint32_t state = 12345;
        for (uint64_t i = from; i < to; ++i) {
            state = state * 1103515245u + 12345u;
            bytes[i] = static_cast<uint8_t>(state >> 16);
        }
    };
    const struct {
        const char* what;
        std::function<void(Bytes&)> damage;
        std::vector<size_t> lost; // fragments no longer whole
    } cases[] = {
        {"zeros over a fragment header and the start of its media",
         [&](Bytes& b) { zeros(b, moofs[1].offset, mdats[1].offset + 100); },
         {1}},
        {"garbage from inside one fragment header to inside another two later",
         [&](Bytes& b) { garbage(b, moofs[3].offset + 10, moofs[5].offset + 30); },
         {3, 4, 5}},
        {"zeros over a media data box's header",
         [&](Bytes& b) { zeros(b, mdats[7].offset, mdats[7].offset + 16); },
         {7}},
        {"three stretches: zeros, garbage, zeros",
         [&](Bytes& b) {
             zeros(b, moofs[2].offset, moofs[2].offset + 8);
             garbage(b, moofs[5].offset + 4, moofs[5].offset + 12);
             zeros(b, mdats[8].offset - 20, mdats[8].offset + 4000);
         },
         {2, 5, 8}},
        {"a media data box's size grown past the next fragments",
         [&](Bytes& b) {
             const uint64_t into = mdats[6].offset + mdats[6].size / 2;
             Mp4::PutU32(&b[mdats[2].offset], static_cast<uint32_t>(into - mdats[2].offset));
         },
         {}},
        {"a fragment naming a track the file does not have",
         [&](Bytes& b) {
             Mp4::BoxView moof{Mp4::FourCc("moof"), &b[moofs[4].offset], moofs[4].size, 8};
             Mp4::BoxView traf, tfhd;
             if (Mp4::FindChild(moof, Mp4::FourCc("traf"), traf) &&
                 Mp4::FindChild(traf, Mp4::FourCc("tfhd"), tfhd)) {
                 Mp4::PutU32(const_cast<uint8_t*>(tfhd.Payload()) + 4, 99);
             }
         },
         {4}},
        {"garbage from inside the last fragment's header to the end",
         [&](Bytes& b) { garbage(b, moofs.back().offset + 20, b.size()); },
         {moofs.size() - 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes damaged = recording;
        c.damage(damaged);
        std::string expected;
        size_t videoFrames = 0;
        for (const auto& packet : packets) {
            if (std::find(c.lost.begin(), c.lost.end(), packet.first) == c.lost.end()) {
                expected += packet.second;
                videoFrames += packet.second.compare(0, 9, "packet,0,") == 0 ? 1 : 0;
            }
        }
        const std::string path = folder / "damaged.mp4";
        WriteWholeFile(path, damaged);
        const Mp4FinishResult result = Finish(path);
        ASSERT_EQ(result.outcome, Mp4FinishOutcome::Finished);
        EXPECT_GE(result.damagedStretches, 1u);
        EXPECT_EQ(result.fragments, moofs.size() - c.lost.size());
        EXPECT_TRUE(ReaderSeesNoFragments(path));
        EXPECT_EQ(Packets(path), expected);
        // Each fragment starts with a key picture: what is left decodes cleanly.
        EXPECT_EQ(Shell("ffmpeg -v error -i '" + path + "' -f null - 2>&1"), "");
        EXPECT_EQ(Shell("mediainfo --Inform='Video;%FrameCount%' '" + path + "'"),
                  std::to_string(videoFrames) + "\n");
        const Bytes finished = WholeFile<Bytes>(path);
        EXPECT_TRUE(KeptBelowTheIndex(damaged, finished));
        EXPECT_EQ(Finish(path).outcome, Mp4FinishOutcome::AlreadyOrdinary);
        EXPECT_EQ(WholeFile<Bytes>(path), finished);
    }
}

// Stands for the process dying after a number of writes and cuts (what
// reached the system stays; a write it was in the middle of leaves its first
// half), or the power going after a number of writes, cuts and flushes
// (writes not yet flushed are lost, except the most recent: the worst order
// a disk may choose). Its flush only marks what would be on the disk.
class InterruptedFile final : public RandomAccessFile {
public:
    enum class Stop { Kill, PowerCut };

    InterruptedFile(const std::string& path, int operations, Stop stop)
        : m_file(path), m_left(operations), m_stop(stop) {}

    int Performed() const { return m_performed; }

    bool ReadAt(uint64_t offset, void* buffer, size_t size) override {
        return !m_stopped && m_file.ReadAt(offset, buffer, size);
    }
    bool WriteAt(uint64_t offset, const void* data, size_t size) override {
        if (!Allow()) {
            if (m_stop == Stop::Kill && size > 16) {
                m_file.WriteAt(offset, data, size / 2);
            }
            return false;
        }
        if (m_stop == Stop::PowerCut) {
            Undo undo{offset, Bytes(size), 0};
            m_file.Size(undo.size);
            const uint64_t old =
                offset < undo.size ? std::min<uint64_t>(size, undo.size - offset) : 0;
            m_file.ReadAt(offset, undo.bytes.data(), old);
            m_pending.push_back(undo);
        }
        return m_file.WriteAt(offset, data, size);
    }
    bool Size(uint64_t& size) override { return !m_stopped && m_file.Size(size); }
    bool Flush() override {
        if (m_stop == Stop::PowerCut ? !Allow() : m_stopped) {
            return false;
        }
        m_pending.clear();
        return true;
    }
    bool Truncate(uint64_t size) override { return Allow() && m_file.Truncate(size); }

private:
    // What a write replaced; bytes it added past the end become zeros.
    struct Undo {
        uint64_t offset;
        Bytes bytes;
        uint64_t size;
    };

    bool Allow() {
        if (m_stopped || m_left == 0) {
            if (!m_stopped && m_stop == Stop::PowerCut) {
                for (size_t i = m_pending.size(); i-- > 1;) {
                    const Undo& undo = m_pending[i - 1];
                    m_file.WriteAt(undo.offset, undo.bytes.data(), undo.bytes.size());
                }
            }
            m_stopped = true;
            return false;
        }
        --m_left;
        ++m_performed;
        return true;
    }

    PosixRandomAccessFile m_file;
    int m_left;
    Stop m_stop;
    bool m_stopped = false;
    int m_performed = 0;
    std::vector<Undo> m_pending;
};

// The bytes of two files, outside a hole that both leave unwritten.
::testing::AssertionResult SameBytes(const std::string& a, const std::string& b, uint64_t holeBegin,
                                     uint64_t holeEnd) {
    PosixRandomAccessFile first(a);
    PosixRandomAccessFile second(b);
    uint64_t size = 0;
    uint64_t otherSize = 0;
    if (!first.Size(size) || !second.Size(otherSize) || size != otherSize) {
        return ::testing::AssertionFailure()
               << a << " holds " << size << " bytes, " << b << " " << otherSize;
    }
    Bytes x(1 << 20);
    Bytes y(1 << 20);
    for (uint64_t offset = 0; offset < size;) {
        if (offset >= holeBegin && offset < holeEnd) {
            offset = holeEnd;
            continue;
        }
        const uint64_t limit = offset < holeBegin ? holeBegin : size;
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(x.size(), limit - offset));
        if (!first.ReadAt(offset, x.data(), piece) || !second.ReadAt(offset, y.data(), piece)) {
            return ::testing::AssertionFailure() << "cannot read at " << offset;
        }
        const auto differ = std::mismatch(x.begin(), x.begin() + piece, y.begin());
        if (differ.first != x.begin() + piece) {
            return ::testing::AssertionFailure() << a << " and " << b << " differ at byte "
                                                 << offset + (differ.first - x.begin());
        }
        offset += piece;
    }
    return ::testing::AssertionSuccess();
}

// Stops a finish after every possible number of operations, both ways; each
// time the file must play every packet, and finishing it again must give
// exactly the file an uninterrupted finish gives.
void CheckEveryInterruption(const std::function<void(const std::string&)>& make,
                            const std::vector<InterruptedFile::Stop>& stops, uint64_t holeBegin,
                            uint64_t holeEnd) {
    Folder folder;
    const std::string original = folder / "original.mp4";
    const std::string reference = folder / "reference.mp4";
    const std::string path = folder / "interrupted.mp4";
    make(original);
    const std::string packets = Packets(original);
    make(reference);
    ASSERT_EQ(Finish(reference).outcome, Mp4FinishOutcome::Finished);
    for (InterruptedFile::Stop stop : stops) {
        make(path);
        InterruptedFile counting(path, 1 << 30, stop);
        ASSERT_EQ(FinishFragmentedMp4(counting).outcome, Mp4FinishOutcome::Finished);
        const int operations = counting.Performed();
        for (int done = 0; done <= operations; ++done) {
            SCOPED_TRACE(std::string(stop == InterruptedFile::Stop::Kill ? "killed" : "power cut") +
                         " after " + std::to_string(done) + " of " + std::to_string(operations));
            make(path);
            InterruptedFile interrupted(path, done, stop);
            const Mp4FinishOutcome first = FinishFragmentedMp4(interrupted).outcome;
            EXPECT_EQ(first,
                      done < operations ? Mp4FinishOutcome::FileError : Mp4FinishOutcome::Finished);
            EXPECT_EQ(Packets(path), packets);
            // Stopped at the last flush, the file may already be in its final form.
            // (Resumed without waiting for the disk: flushes are not what is checked here.)
            InterruptedFile resumed(path, 1 << 30, InterruptedFile::Stop::Kill);
            const Mp4FinishOutcome second = FinishFragmentedMp4(resumed).outcome;
            if (done < operations - 1) {
                EXPECT_EQ(second, Mp4FinishOutcome::Finished);
            } else {
                EXPECT_TRUE(second == Mp4FinishOutcome::Finished ||
                            second == Mp4FinishOutcome::AlreadyOrdinary);
            }
            EXPECT_TRUE(SameBytes(path, reference, holeBegin, holeEnd));
        }
    }
}

TEST(Mp4InPlaceFinisherTest, InterruptedFinishPlaysThroughoutAndResumesToTheSameFile) {
    const Bytes& recording = Recording(Kind::VideoAndSound);
    CheckEveryInterruption([&](const std::string& path) { WriteWholeFile(path, recording); },
                           {InterruptedFile::Stop::Kill, InterruptedFile::Stop::PowerCut}, 0, 0);
}

// The recording's first fragment, then 4.5 GB of free space (a sparse hole),
// then its other fragments: offsets past 4 GiB need 64-bit chunk offsets, and
// the commit a 64-bit box size. (How flushes are ordered does not depend on
// the size; the test above covers power cuts.)
TEST(Mp4InPlaceFinisherTest, MediaPastFourGibibytes) {
    const Mp4TestLayout::SpreadRecording spread =
        Mp4TestLayout::SpreadPast(Recording(Kind::VideoAndSound), 4500000000ull);
    ASSERT_FALSE(spread.rest.empty());
    const auto make = [&](const std::string& path) {
        WriteWholeFile(path, spread.head);
        PosixRandomAccessFile file(path);
        ASSERT_TRUE(file.WriteAt(spread.restOffset, spread.rest.data(), spread.rest.size()));
    };
    CheckEveryInterruption(make, {InterruptedFile::Stop::Kill}, spread.holeBegin,
                           spread.restOffset);
}

TEST(Mp4InPlaceFinisherTest, FilesNotOursOrDamagedAreLeftAsTheyWere) {
    Folder folder;
    const Bytes& recording = Recording(Kind::VideoAndSound);
    const std::vector<TopBox> boxes = TopLevel(recording);
    const std::string fragmentedPath = folder / "fragmented.mp4";
    WriteWholeFile(fragmentedPath, recording);
    const std::string ordinaryPath = folder / "ordinary.mp4";
    Shell("ffmpeg -v error -y -i '" + fragmentedPath + "' -c copy '" + ordinaryPath + "'");

    Bytes damagedMovie = recording;
    const TopBox movie = OfType(boxes, "moov").at(0);
    Mp4::PutU32(&damagedMovie[movie.offset + 8], 0xFFFF); // first child runs past the movie box

    const std::string text = "not a film at all\n";
    const struct {
        const char* what;
        Bytes bytes;
        Mp4FinishOutcome outcome;
    } files[] = {{"ordinary", WholeFile<Bytes>(ordinaryPath), Mp4FinishOutcome::AlreadyOrdinary},
                 {"text", Bytes(text.begin(), text.end()), Mp4FinishOutcome::NotOurs},
                 {"fragments without a movie box",
                  [&] {
                      Bytes bytes(recording.begin(), recording.begin() + movie.offset);
                      bytes.insert(bytes.end(), recording.begin() + movie.offset + movie.size,
                                   recording.end());
                      return bytes;
                  }(),
                  Mp4FinishOutcome::NotOurs},
                 {"damaged movie box", damagedMovie, Mp4FinishOutcome::Damaged}};
    for (const auto& f : files) {
        SCOPED_TRACE(f.what);
        ASSERT_FALSE(f.bytes.empty());
        const std::string path = folder / "file.mp4";
        WriteWholeFile(path, f.bytes);
        EXPECT_EQ(Finish(path).outcome, f.outcome);
        EXPECT_EQ(WholeFile<Bytes>(path), f.bytes);
    }
}

} // namespace
