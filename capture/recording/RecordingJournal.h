// RecordingJournal: the journal of the recordings under way, kept in
// %LOCALAPPDATA%\Orvana\Journal as one small file per recording (its name
// the recording's identifier, its text RecordingJournalEntry.h's). An entry
// is written and flushed before the first byte of its recording and removed
// once the recording is finished; the start-up repair (RecordingRepair.h)
// finishes only what the journal names. While its recording runs, the entry
// is held open, sharing only reading: a repair in another running copy of
// the program cannot open it for removal and so leaves the recording alone.
#pragma once

#include <string>

#include "Core/HandleOwners.h"
#include "capture/recording/RecordingJournalEntry.h"

// The journal's folder, made when missing; empty when there is none.
std::wstring RecordingJournalFolder();

// The entry of one recording, from before its first byte to its finish.
class RecordingJournalHold {
public:
    RecordingJournalHold() = default;
    // Leaves the entry: the next start finishes the recording.
    ~RecordingJournalHold() { Close(false); }
    RecordingJournalHold(const RecordingJournalHold&) = delete;
    RecordingJournalHold& operator=(const RecordingJournalHold&) = delete;

    // Writes the entry into the journal's folder (a new file: identifiers
    // are never reused) and flushes it to the disk. False when it could not be written: the
    // recording then goes on without one, and a crash leaves it fragmented
    // (it plays), unfinished by the next start.
    bool Open(const RecordingJournalEntry& entry, const std::wstring& folder);
    // Lets go of the entry: removed when the recording needs nothing more
    // (finished, or its file gone), else left for the next start.
    void Close(bool remove);

private:
    UniqueHandle m_handle;
    std::wstring m_path;
};
