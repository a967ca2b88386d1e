// The mark by which the start-up repair knows a recording as this program's
// own before it writes a byte: the comment of the file's movie box, which
// names the recording's journal entry (RecordingJournalEntry.h). The
// recorder hands it to FFmpeg as the "comment" metadata, which the MP4
// muxer writes as "©cmt" under udta/meta/ilst of the first, empty movie box;
// the finish in place copies it into the new movie box. Free of Windows and
// FFmpeg headers, tested natively.
#pragma once

#include <string>

class RandomAccessFile;

// The comment that marks the recording of the journal entry `id`.
std::string RecordingMarkComment(const std::string& id);

enum class Mp4MarkStatus {
    Marked,    // the movie box carries our mark
    Unmarked,  // not an MP4 of ours, or one without the mark
    ReadError, // the file could not be read; it may be ours
};

// Reads the mark of the file's first movie box; `id` is the journal entry it names.
Mp4MarkStatus ReadRecordingMark(RandomAccessFile& file, std::string& id);
