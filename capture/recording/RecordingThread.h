// RecordingThread: runs a RecordingFile on a thread of its own, so that
// encoding never holds up the preview. Pictures and sound are handed over
// by reference with the time they were taken; when the encoder falls
// behind, the oldest waiting pictures are dropped (their time stamps leave
// no gap in time), never the sound. Before a file would outgrow what its
// volume allows (FAT32: 4 GiB - 1), the recording goes on in a new file,
// the next picture its first, and the old one is finished meanwhile.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "capture/CaptureQueue.h"
#include "capture/OutputProblem.h"
#include "capture/recording/RecordingFile.h"

struct AVFrame;

// How much a recording has written and how much its disk still takes.
struct RecordingDiskUse {
    int64_t recordedBytes = 0; // into all its files so far
    int64_t freeBytes = -1;    // on its volume when last looked at; -1: not known
    int64_t reserveBytes = 0;  // the free space at which it ends by itself
};

class RecordingThread {
public:
    // Takes over an open file and starts encoding into it.
    explicit RecordingThread(std::unique_ptr<RecordingFile> file);
    // Finishes the file when Finish was not called.
    ~RecordingThread();
    RecordingThread(const RecordingThread&) = delete;
    RecordingThread& operator=(const RecordingThread&) = delete;

    bool HasSound() const { return m_hasSound; }
    SoundFormat EncoderSound() const { return m_sound; }

    // Hand a picture or a frame of sound over (a new reference is taken; the
    // caller keeps its own). False when it could not be referenced.
    bool PushVideo(const AVFrame* picture, int64_t arrivalUs);
    bool PushAudio(const AVFrame* sound, int64_t readUs);

    // Lets the thread encode what still waits, drain the encoders, write the
    // trailer and finish the file in place, and returns at once: nothing
    // handed over after this is taken.
    void End();
    // Waits up to timeoutMs for the thread to have finished the file; true
    // when it has (Finish then returns at once).
    bool WaitFinished(unsigned timeoutMs);
    // End, then joins the thread. True when the file is complete. Safe to
    // call twice.
    bool Finish();

    // Whether the recording ended without Finish: a write failed, or the
    // free space of its volume fell below RecordingFile::ReserveBytes. The
    // file is then finished as far as it was written; Finish still joins.
    bool EndedByItself() const { return m_endedByItself; }
    // Why it ended by itself: the disk is full, a write failed.
    OutputProblem EndProblem() const { return m_endProblem; }
    // Any thread: what it has written, and the free space it last saw.
    RecordingDiskUse DiskUse() const;

    // True once after each time the recording went on in a new file (the
    // user-interface thread polls it to say so), with that file's path.
    bool TakeContinuation(std::string* path = nullptr);
    // Files the recording has written into so far, 1 before any switch.
    uint32_t Files() const { return m_files; }

    // Pictures encoded, and pictures dropped because the encoder was behind.
    uint64_t WrittenPictures() const { return m_written; }
    uint64_t DroppedPictures() const { return m_queue.Dropped(); }
    // Sound frames dropped because the encoder was stuck for seconds.
    uint64_t DroppedSound() const { return m_queue.DroppedAudio(); }
    // What Finish left: an ordinary MP4 or the fragmented file (read after
    // Finish), and how long the thread took from End to the finished file.
    FinishedRecording Finished() const { return m_file ? m_file->Finished() : FinishedRecording{}; }
    int64_t EndToFinishedMicros() const { return m_endToFinishedUs; }

private:
    struct FrameDeleter {
        void operator()(AVFrame* frame) const;
    };
    struct Item {
        static constexpr int kVideo = 1;
        static constexpr int kAudio = 2;
        int kind = 0;
        std::unique_ptr<AVFrame, FrameDeleter> frame;
        int64_t time = 0;
    };

    // A file of the recording that is no longer written, finished on a
    // thread of its own.
    struct Finishing {
        std::unique_ptr<RecordingFile> file;
        bool complete = false;
        std::thread thread;
    };

    bool Push(int kind, const AVFrame* frame, int64_t time);
    void Run();
    void WriteSound(const Item& item);
    // Writes the sound held back that was read until untilUs.
    void WriteHeldSound(int64_t untilUs);
    // Whether the next picture might take the file past its volume's limit,
    // less aheadBytes.
    bool NearLimit(int64_t aheadBytes) const;
    // Near the limit, makes the next file on a thread of its own (a file
    // and two encoders take a while to open) and, once it is open or the
    // limit leaves no more room, goes on in it from atUs on. False (the
    // recording then ends) when it could not be made.
    bool FollowLimit(int64_t atUs);
    void ContinueIn(std::unique_ptr<RecordingFile> next, int64_t atUs);
    // Waits for a next file still being made, and removes it unused.
    void DropNextFile();
    // Hands the previous file to a thread that finishes it.
    void RetirePrevious();
    // Looks at the free space at most once a second (nextCheckUs).
    bool OutOfRoom(int64_t& nextCheckUs);
    // Ends the recording without a stop, for the reason given.
    void EndByItself(OutputProblem why);

    std::unique_ptr<RecordingFile> m_file;
    // The file before the last switch: it takes the sound captured before
    // m_switchUs, which comes later than the picture that began the next.
    std::unique_ptr<RecordingFile> m_previous;
    int64_t m_switchUs = 0;
    int64_t m_largestFile = -1; // on m_file's volume; -1: no limit
    std::vector<std::unique_ptr<Finishing>> m_finishing;
    std::future<std::unique_ptr<RecordingFile>> m_opening; // the next file, being made
    // Sound held back from the moment the next file is being made until the
    // pictures of its moment have come, oldest first.
    std::deque<Item> m_heldSound;
    int64_t m_lastSoundUs = INT64_MIN; // read time of the last sound in m_file
    std::atomic<uint32_t> m_files{1};
    std::atomic<bool> m_continued{false};
    std::mutex m_pathLock; // guards m_continuedPath
    std::string m_continuedPath;
    bool m_hasSound = false;
    SoundFormat m_sound;
    CaptureQueue<Item> m_queue;
    std::atomic<bool> m_ending{false};
    std::atomic<bool> m_endedByItself{false};
    std::atomic<OutputProblem> m_endProblem{OutputProblem::None};
    // For DiskUse: the media of the files written before m_file (this
    // thread only), and what was last published.
    int64_t m_earlierFilesBytes = 0;
    std::atomic<int64_t> m_recordedBytes{0};
    std::atomic<int64_t> m_freeBytes{-1};
    std::atomic<int64_t> m_reserveBytes{0};
    std::atomic<uint64_t> m_written{0};
    bool m_complete = false;
    std::atomic<int64_t> m_endedAtUs{0};
    int64_t m_endToFinishedUs = 0;
    std::mutex m_doneLock; // guards m_done
    std::condition_variable m_doneChanged;
    bool m_done = false;
    std::thread m_thread;
};
