// The mark and the journal entry by which the start-up repair knows a
// recording as ours. Files are made by the host's ffmpeg, which writes the
// comment metadata as our recorder's FFmpeg does; files of other programs are
// stood for by ffmpeg files without our mark or with another comment.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "capture/mp4/Mp4InPlaceFinisher.h"
#include "capture/mp4/Mp4RecordingMark.h"
#include "capture/mp4/PosixRandomAccessFile.h"
#include "capture/recording/RecordingJournalEntry.h"
#include "tests/support/WholeFile.h"

namespace {

class Folder {
public:
    Folder() {
        char pattern[] = "/tmp/orvana-mark-XXXXXX";
        if (mkdtemp(pattern) != nullptr) {
            m_path = pattern;
        }
    }
    ~Folder() {
        if (!m_path.empty()) {
            std::system(("rm -rf '" + m_path + "'").c_str());
        }
    }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// A short recording as the recorder writes it, with `options` for the muxer
// (the comment among them); false when ffmpeg failed.
bool Make(const std::string& path, const std::string& options) {
    const std::string command =
        "ffmpeg -v error -y -f lavfi -i testsrc=size=160x120:rate=30 -t 1 -c:v libx264 -g 12 "
        "-preset superfast " +
        options + " '" + path + "'";
    return std::system(command.c_str()) == 0;
}

Mp4MarkStatus MarkOf(const std::string& path, std::string& id) {
    PosixRandomAccessFile file(path);
    return file.IsOpen() ? ReadRecordingMark(file, id) : Mp4MarkStatus::ReadError;
}

const char* const kFragmented = "-movflags frag_keyframe+empty_moov+default_base_moof";

TEST(RecordingMarkTest, OurMarkIsReadFromTheFragmentedFileAndFromTheFinishedOne) {
    Folder folder;
    const std::string id = NewRecordingId();
    const std::string path = folder / "2024-03-07_09-05-01.mp4";
    ASSERT_TRUE(Make(path, std::string(kFragmented) + " -metadata comment='" +
                               RecordingMarkComment(id) + "'"));
    std::string read;
    EXPECT_EQ(MarkOf(path, read), Mp4MarkStatus::Marked);
    EXPECT_EQ(read, id);
    {
        PosixRandomAccessFile file(path);
        ASSERT_EQ(FinishFragmentedMp4(file).outcome, Mp4FinishOutcome::Finished);
    }
    read.clear();
    EXPECT_EQ(MarkOf(path, read), Mp4MarkStatus::Marked);
    EXPECT_EQ(read, id);
}

TEST(RecordingMarkTest, FilesOfOtherProgramsCarryNoMark) {
    Folder folder;
    const struct {
        const char* what;
        std::string options;
    } files[] = {
        {"fragmented, no comment", kFragmented},
        {"fragmented, the user's comment", std::string(kFragmented) + " -metadata comment=holiday"},
        {"fragmented, our words with no identifier",
         std::string(kFragmented) + " -metadata comment='" + RecordingMarkComment("") + "'"},
        {"fragmented, an identifier cut short",
         std::string(kFragmented) + " -metadata comment='" +
             RecordingMarkComment(NewRecordingId().substr(1)) + "'"},
        {"fragmented, bit-exact (no metadata at all)", std::string(kFragmented) + " -bitexact"},
        {"ordinary", "-metadata comment=holiday"},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.what);
        const std::string path = folder / "file.mp4";
        ASSERT_TRUE(Make(path, f.options));
        std::string id;
        EXPECT_EQ(MarkOf(path, id), Mp4MarkStatus::Unmarked);
    }
    for (const std::string& bytes : {std::string(), std::string("not a film at all\n"),
                                     std::string("\0\0\0\x10"
                                                 "ftypisom\0\0\0\0",
                                                 16)}) {
        const std::string path = folder / "other.mp4";
        TestSupport::WriteWholeFile(path, bytes);
        std::string id;
        EXPECT_EQ(MarkOf(path, id), Mp4MarkStatus::Unmarked) << bytes.size() << " bytes";
    }
}

TEST(RecordingMarkTest, JournalEntriesReadBackOnlyWhenWrittenWhole) {
    std::set<std::string> ids;
    for (int i = 0; i < 1000; ++i) {
        const std::string id = NewRecordingId();
        EXPECT_TRUE(IsRecordingId(id)) << id;
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), 1000u) << "identifiers repeat";

    const RecordingJournalEntry entry{NewRecordingId(),
                                      "C:\\Users\\Łucja\\Videos\\OrvanaCapture\\2024-03-07_09-05-"
                                      "01.mp4"};
    const std::string text = FormatJournalEntry(entry);
    RecordingJournalEntry read;
    ASSERT_TRUE(ParseJournalEntry(text, read));
    EXPECT_EQ(read.id, entry.id);
    EXPECT_EQ(read.path, entry.path);
    EXPECT_TRUE(IsJournalEntryFileName(JournalEntryFileName(entry.id)));
    EXPECT_FALSE(IsJournalEntryFileName("desktop.ini"));
    EXPECT_FALSE(IsJournalEntryFileName(JournalEntryFileName(entry.id) + ".tmp"));

    // A power cut while it was written leaves any part of it.
    for (size_t length = 0; length < text.size(); ++length) {
        EXPECT_FALSE(ParseJournalEntry(text.substr(0, length), read)) << length;
    }
    const std::string otherId = NewRecordingId();
    for (const std::string& bad :
         {text + "more\r\n",
          text.substr(0, text.find("id=")) + "id=" + otherId.substr(2) + "\r\npath=a\r\n",
          FormatJournalEntry({entry.id, ""}), FormatJournalEntry({entry.id, "a\nb"}),
          FormatJournalEntry({"G" + otherId.substr(1), "a"}), std::string(text.size(), '\0')}) {
        EXPECT_FALSE(ParseJournalEntry(bad, read)) << bad;
    }
}

} // namespace
