// Recorder: the running recording and the stopped ones still finishing their
// files. A recording is a RecordingThread (encoders, muxer, file) and, when
// there is a microphone, the AudioInput whose frames go straight to that
// thread. The capture engine's worker hands it every decoded picture.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "capture/recording/AudioInput.h"
#include "capture/recording/MicrophoneProblem.h"
#include "capture/recording/RecordingFile.h"
#include "capture/recording/RecordingThread.h"

struct AVFrame;

class Recorder {
public:
    Recorder() = default;
    // Stops the running recording and waits a few seconds for the files
    // still finishing; a finish stuck on a dead disk is left to its thread.
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Opens the microphone of that name (none when empty or when it does not
    // open: the file then has no sound track, and WhyNoSound tells why once
    // the recording runs) and the file for a width x height
    // recording on disk. Slow, and holds no lock: the preview goes on meanwhile.
    // False, with nothing left open, when the file cannot be made. A running
    // recording is stopped first.
    bool Open(const std::string& path, int width, int height, int frameRate,
              const std::wstring& microphoneName,
              std::shared_ptr<OutputDisk> disk = RealOutputDisk());
    // Why the last Open could not make the file, as far as the folder or the
    // disk is to blame (RecordingFile::Problem).
    OutputProblem OpenProblem() const { return m_openProblem; }
    // Starts what Open opened, with firstPicture (may be null) as the picture
    // at its time 0, then the microphone. The caller holds the lock under
    // which it hands pictures to PushPicture, so that none comes before the
    // first. False when nothing was opened.
    bool Begin(const AVFrame* firstPicture);
    // Hands a picture that arrived at arrivalUs (MonotonicMicros) to the
    // running recording; false when none runs or it could not be referenced.
    bool PushPicture(const AVFrame* picture, int64_t arrivalUs);
    // Lets the microphone hand over its sound up to now (what is still in
    // the device's buffer comes a little later), then the recording's own
    // thread drain the encoders, write the trailer and finish the file in
    // place; returns without waiting for either (a new recording may start
    // meanwhile).
    void Stop();
    // Waits up to timeoutMs for the files of stopped recordings to be
    // finished, and joins their threads; true when none is left finishing.
    bool WaitForFinished(unsigned timeoutMs);
    bool Active();
    // Whether the running recording ended without a stop (a write failed or
    // the disk is nearly full); Stop still has to be called.
    bool EndedByItself();
    // Why it did (None while it runs on).
    OutputProblem EndProblem();
    // What the running recording has written and its disk's free space;
    // false when none runs. Any thread.
    bool DiskUse(RecordingDiskUse* use);
    // True once after each time the running recording went on in a new file,
    // with that file's path (RecordingThread::TakeContinuation).
    bool TakeContinuation(std::string* path = nullptr);

    // Why the running recording has no sound from its microphone; None while
    // it has, when it was started without a microphone, and when none runs.
    // Any thread (the window polls it).
    MicrophoneProblem WhyNoSound();

    // Volume in percent applied to the sound of the next recording.
    void SetVolume(int32_t percent) { m_volume = percent; }
    int32_t Volume() const { return m_volume; }

    // Of the recording whose file was finished last (see WaitForFinished):
    // the pictures it holds, those its encoder dropped because it was behind,
    // the sound frames dropped because the encoder was stuck, what its finish
    // left, and the microseconds from its stop to the finished file.
    uint64_t LastPictures() const { return m_lastPictures; }
    uint64_t LastDroppedPictures() const { return m_lastDropped; }
    uint64_t LastDroppedSound() const { return m_lastDroppedSound; }
    FinishedRecording LastFinished();
    int64_t LastFinishMicros() const { return m_lastFinishUs; }

private:
    // Joins the threads of stopped recordings that have finished their files.
    void CollectFinished(std::unique_lock<std::mutex>& finishingLock);

    std::atomic<int32_t> m_volume{100};
    // Between Open and Begin (the starting thread only).
    std::unique_ptr<RecordingFile> m_openedFile;
    std::unique_ptr<AudioInput> m_openedMicrophone;
    MicrophoneProblem m_openedProblem = MicrophoneProblem::None;
    OutputProblem m_openProblem = OutputProblem::None;
    int64_t m_openedFramePeriodUs = 0;

    std::mutex m_lock; // guards the three below
    std::unique_ptr<RecordingThread> m_recording;
    // Feeds m_recording; ends it once its sound up to the stop is in.
    std::unique_ptr<AudioInput> m_microphone;
    MicrophoneProblem m_problem = MicrophoneProblem::None; // of m_recording's start
    // Arrival of the last picture handed to m_recording (-1: none yet), and
    // how long a picture lasts in its file: where its pictures end.
    int64_t m_lastPictureUs = -1;
    int64_t m_framePeriodUs = 0;

    // A stopped recording, and the microphone that ends it once the sound up
    // to the stop is handed over (none: it was ended at the stop).
    struct Finishing {
        std::unique_ptr<RecordingThread> file;
        std::unique_ptr<AudioInput> microphone;
    };
    std::mutex m_finishingLock; // guards the two below
    // Stopped recordings whose threads still finish their files, oldest first.
    std::vector<Finishing> m_finishing;
    FinishedRecording m_lastFinished;
    std::atomic<uint64_t> m_lastPictures{0};
    std::atomic<uint64_t> m_lastDropped{0};
    std::atomic<uint64_t> m_lastDroppedSound{0};
    std::atomic<int64_t> m_lastFinishUs{0};
};
