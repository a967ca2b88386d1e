// RecordingRepair: at the start of the program, finishes in place the
// recordings that a crash, a kill or a power cut left in fragmented form,
// on a thread of its own so that the window and the preview do not wait.
// Only what the journal of recordings under way names (RecordingJournal.h)
// is touched, and only once its mark (Mp4RecordingMark.h) confirms it:
// a file of another program never, whatever its name or folder.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "capture/recording/OutputDisk.h"

// What became of the journal's entries.
struct RepairCounts {
    unsigned finished = 0;    // recordings finished now
    unsigned removed = 0;     // entries gone: finished, or nothing (more) to do
    unsigned unreachable = 0; // entries left: the file cannot be reached now
    unsigned inUse = 0;       // entries left: their recordings are still running
};

// Goes through the journal in `folder`: each entry whose recording is not
// running is finished (when its file carries its mark and needs it) and
// removed, or left for a later start when its file cannot be reached now (a
// removed drive, a file kept online only, a file open elsewhere, a failed
// write). A file is opened for writing only when it is ours and needs a
// finish; one kept online only is not opened at all. Stops between entries,
// and in the middle of a finish (which the next start resumes), once stop
// is set. The files are looked at and opened on disk.
RepairCounts RepairJournaledRecordings(const std::wstring& folder, const std::atomic<bool>& stop,
                                       OutputDisk& disk = *RealOutputDisk());

class RecordingRepair {
public:
    // Repairs what the journal on disk names.
    explicit RecordingRepair(std::shared_ptr<OutputDisk> disk = RealOutputDisk());
    // Stop, waiting a second at most.
    ~RecordingRepair();
    RecordingRepair(const RecordingRepair&) = delete;
    RecordingRepair& operator=(const RecordingRepair&) = delete;

    // Repairs what the journal names, in the background. Once only.
    void Start();
    // Asks the thread to stop and waits for it, waitMs at most: a finish
    // that a stalled disk holds up is left to the end of the process (the
    // next start resumes it). True when the thread ended.
    bool Stop(unsigned waitMs = 1000);
    // Asks the thread to stop without waiting; Done tells when it has.
    void RequestStop() { m_state->stop = true; }
    // Recordings finished so far.
    unsigned Repaired() const { return m_state->repaired; }
    // Whether the thread has gone through the whole journal.
    bool Done() const { return m_state->done; }

private:
    // Shared with the thread, which may outlive this object.
    struct State {
        std::atomic<bool> stop{false};
        std::atomic<unsigned> repaired{0};
        std::atomic<bool> done{false};
    };
    std::shared_ptr<OutputDisk> m_disk;
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};
