// RecordingRepair: at the start of the program, finishes in place the
// recordings that a crash, a kill or a power cut left in fragmented form,
// on a thread of its own so that the window and the preview do not wait.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

// Finishes (FinishFragmentedMp4) every file in folder named as the program
// names recordings ("YYYY-MM-DD_hh-mm-ss.mp4", or with "_N") and last
// written before writtenBefore (a FILETIME as one number): files written
// later are this run's own. A finished file is recognised in two reads, so
// scanning costs little. Stops between files once stop is set. Answers the
// files it finished.
unsigned RepairUnfinishedRecordings(const std::string& folder, uint64_t writtenBefore,
                                    const std::atomic<bool>& stop);

class RecordingRepair {
public:
    RecordingRepair() = default;
    // Stop.
    ~RecordingRepair();
    RecordingRepair(const RecordingRepair&) = delete;
    RecordingRepair& operator=(const RecordingRepair&) = delete;

    // Repairs the recordings in the output folder (not made when missing)
    // that were written before now, in the background. Once only.
    void Start();
    // Lets the file in hand be finished, then joins the thread.
    void Stop();
    // Files finished so far.
    unsigned Repaired() const { return m_repaired; }
    // Whether the thread has gone through the whole folder.
    bool Done() const { return m_done; }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<unsigned> m_repaired{0};
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};
