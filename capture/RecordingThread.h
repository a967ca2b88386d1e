// RecordingThread: runs a RecordingFile on a thread of its own, so that
// encoding never holds up the preview. Pictures and sound are handed over
// by reference with the time they were taken; when the encoder falls
// behind, the oldest waiting pictures are dropped (their time stamps leave
// no gap in time), never the sound.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "capture/CaptureQueue.h"
#include "capture/RecordingFile.h"

struct AVFrame;

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

    bool Push(int kind, const AVFrame* frame, int64_t time);
    void Run();
    // Looks at the free space at most once a second (nextCheckUs).
    bool OutOfRoom(int64_t& nextCheckUs) const;

    std::unique_ptr<RecordingFile> m_file;
    bool m_hasSound = false;
    SoundFormat m_sound;
    CaptureQueue<Item> m_queue;
    std::atomic<bool> m_ending{false};
    std::atomic<bool> m_endedByItself{false};
    std::atomic<uint64_t> m_written{0};
    bool m_complete = false;
    std::atomic<int64_t> m_endedAtUs{0};
    int64_t m_endToFinishedUs = 0;
    std::mutex m_doneLock; // guards m_done
    std::condition_variable m_doneChanged;
    bool m_done = false;
    std::thread m_thread;
};
