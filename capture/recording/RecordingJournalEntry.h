// One entry of the journal of recordings under way: which file a recording
// writes and the identifier its mark carries (Mp4RecordingMark.h). Each
// recording has an entry of its own, named after its identifier, so two
// running copies of the program never write the same one. The text form is
// what the entry's file holds. Free of Windows headers, tested natively.
#pragma once

#include <string>

struct RecordingJournalEntry {
    std::string id;   // 32 lower-case hexadecimal digits
    std::string path; // UTF-8
};

// A new identifier, random: two recordings never share one.
std::string NewRecordingId();
bool IsRecordingId(const std::string& id);

// The name of the entry's file in the journal's folder.
std::string JournalEntryFileName(const std::string& id);
// Whether a file name in the journal's folder is an entry's.
bool IsJournalEntryFileName(const std::string& name);

std::string FormatJournalEntry(const RecordingJournalEntry& entry);
// False for anything FormatJournalEntry does not write whole (an entry a
// power cut left empty or half written among them).
bool ParseJournalEntry(const std::string& text, RecordingJournalEntry& entry);
