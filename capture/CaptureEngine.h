// CaptureEngine: the queue of camera samples and the worker thread that
// decodes each picture, hands it to a running recording and a pending photo,
// and shows it through the attached preview (a PictureSink). Cameras hand it
// their samples as its SampleSink; what a recording needs of the devices
// (the camera's format, the microphone) is handed in by the caller. One per
// process; the rest of the program reaches live video through it.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Core/HandleOwners.h"
#include "Core/SampleSink.h"
#include "capture/CaptureItem.h"
#include "capture/CaptureQueue.h"
#include "capture/MediaPipeline.h"
#include "capture/OutputProblem.h"
#include "capture/PhotoOutcome.h"
#include "capture/PictureSink.h"
#include "capture/recording/Recorder.h"

// What a recording takes from the devices: the format the camera delivers
// now, and the microphone's name for the recorder (empty for none).
struct RecordingSource {
    StreamFormat format{};
    int32_t frameRate = 0;
    std::wstring microphoneName;
};

class CaptureEngine final : public SampleSink {
public:
    // The engine is made on first use and destroyed at process exit once its
    // worker has ended; a worker that does not end within RequestStop's wait
    // may still use all of it, so then nothing of it is freed.
    static CaptureEngine& Instance();
    CaptureEngine(const CaptureEngine&) = delete;
    CaptureEngine& operator=(const CaptureEngine&) = delete;

    // Takes the preview that shows every decoded picture from now on, and
    // makes the pipeline. Succeeds once per process.
    bool AttachPreview(std::unique_ptr<PictureSink> preview);
    // True once the preview and the pipeline exist; samples that come
    // earlier are dropped.
    bool PreviewReady() const { return m_previewReady; }

    // A camera's sample (streaming thread), queued as QueueVideoSample does.
    void TakeSample(const StreamFormat& format, double sampleTime, const uint8_t* buffer,
                    int32_t length) override;
    // Copies the sample into the queue: 0 queued, -1 refused (empty sample,
    // no memory).
    int32_t QueueVideoSample(const StreamFormat& format, double sampleTime, const uint8_t* buffer,
                             int32_t length);
    // Starts recording the camera's pictures (and the microphone's sound,
    // when source names one) into a new time-stamped MP4 file in the output
    // folder; a running recording is finished first. The microphone's sound
    // goes straight to the recording. The file takes the size of the
    // source's format: after a format switch this waits (at most a few
    // seconds) for the first picture of that size. False, with the flags
    // unchanged, when no picture has been decoded yet or the file cannot be
    // made.
    bool StartRecording(const RecordingSource& source);
    // The same into the given file.
    bool StartRecordingTo(const std::string& path, const RecordingSource& source);
    // The same of a width x height picture at frameRate with the microphone
    // of that name (none when empty), whatever the camera; false before the
    // first decoded picture or when the file cannot be made.
    bool StartRecordingWith(const std::string& path, int32_t width, int32_t height,
                            int32_t frameRate, const std::wstring& microphoneName);
    bool IsRecording() const { return m_recording; }
    // Finishes a running recording (trailer written, file closed); always true.
    bool StopRecording();
    // Waits up to timeoutMs for the files of stopped recordings to be
    // finished in place; true when none is left finishing.
    bool WaitForFinishedRecordings(unsigned timeoutMs);
    // The running recording and the figures of the last finished one.
    Recorder& Recordings() { return m_recorder; }
    // Whether the running recording ended by itself (a write failed, the
    // disk is nearly full); the user interface then stops it as the user
    // would.
    bool RecordingEndedByItself();
    // True once after each time the running recording went on in a new file
    // (its file reached what its volume allows), with that file's path: the
    // user interface polls it to say so.
    bool TakeRecordingContinuation(std::string* path = nullptr);
    // Why the running recording has no sound (the microphone refused to
    // start or was lost); None while it has, or when no recording runs.
    MicrophoneProblem WhyNoSound() { return m_recorder.WhyNoSound(); }
    // Makes a new time-stamped JPEG file; the next decoded picture goes into
    // it. False when the file cannot be made.
    bool TakePhoto();
    bool TakePhotoTo(const std::string& path);
    // Whether a prepared photo still waits for its picture (or is being written).
    bool PhotoPending() const {
        return m_photoState != PhotoState::Idle && m_photoState != PhotoState::Done;
    }
    // Gives up a photo still waiting for its picture (the camera has stopped
    // delivering): it leaves no file, and no later picture goes into it.
    // One being written is written.
    void CancelPhoto();
    // Once for each photo asked for: written, or not and why (refused at
    // once, or when its picture came). None while none is known; a photo
    // asked for before the last one was told of replaces it. The worker
    // hands it over without a lock: the picture's way is never held up.
    // User-interface thread.
    PhotoOutcome TakePhotoOutcome();

    // Once: why the last recording could not start (its file could not be
    // made) or ended by itself (*ended: the disk filled, a write failed), as
    // far as the folder or the disk is to blame; None when nothing is to
    // tell. User-interface thread.
    OutputProblem TakeRecordingProblem(bool* ended = nullptr);
    // What the running recording has written and its disk's free space;
    // false when none runs.
    bool RecordingDiskUse(RecordingDiskUse* use) { return m_recording && m_recorder.DiskUse(use); }
    // Stops a running recording, then lets the preview window show its black
    // background until the next picture.
    void StopRecordingAndRepaint();
    // Flips every picture from now on (preview, photos and recordings), for
    // a camera without a mirror switch of its own.
    void SetPictureFlip(bool flip);
    // Volume in percent for the next recording's sound.
    void SetRecordingVolume(int32_t percent);
    // The disk the recordings and photos started from now on are written
    // on: the one handed in for as long as it lives (a test's), then the
    // real one again.
    void WriteOn(std::weak_ptr<OutputDisk> disk);
    // Tells the worker thread to end and waits (up to a few seconds, serving
    // messages sent to this thread meanwhile) until it has. Answers whether
    // it has ended.
    bool RequestStop();

    // Camera samples the queue dropped to stay within its bound.
    uint64_t DroppedSamples() const { return m_queue.Dropped(); }
    // Pictures handed to the recording, and photos written, so far.
    uint64_t RecordedFrames() const { return m_recorded; }
    uint64_t PhotosWritten() const { return m_photos; }
    std::size_t QueuedItems() const { return m_queue.Size(); }
    // Pictures decoded and presented by the worker thread so far.
    uint64_t DecodedFrames() const { return m_decoded; }
    uint64_t PresentedFrames() const { return m_presented; }
    // Decoded pictures not drawn because newer samples were already waiting.
    uint64_t SkippedDrawings() const { return m_skippedDrawing; }
    bool WorkerRunning() const;

    // The worker runs from the engine's construction until RequestStop; it
    // has ended once it let go of what it made (the renderer's device).
    enum class WorkerState { Running, Stopping, Ended };
    WorkerState State() const { return m_workerState; }

    // Measurement of preview delay, off unless started: for each presented
    // picture, the microseconds from its sample's arrival (the stamp taken in
    // QueueVideoSample) to the return of its Present, kept for at most
    // capacity pictures. Costs one clock read per picture while on.
    void StartPresentLatencyLog(std::size_t capacity);
    // Ends the measurement and hands over what it kept, oldest first.
    std::vector<int64_t> StopPresentLatencyLog();

    // Size of the last camera sample the worker took.
    int32_t PictureWidth() const { return m_frameWidth; }
    int32_t PictureHeight() const { return m_frameHeight; }
    // Set by the main window on every WM_SIZE; nothing is drawn while true.
    void SetMinimized(bool minimized) { m_minimized = minimized; }
    bool IsMinimized() const { return m_minimized; }
    // The decoder and its current picture; null until the preview exists.
    MediaPipeline* Pipeline() { return m_pipeline.get(); }

private:
    CaptureEngine();
    // Only EndAtExit destroys the engine, and only once the worker has ended.
    ~CaptureEngine() = default;
    static void EndAtExit();
    std::shared_ptr<OutputDisk> Disk();
    // Waits until the last picture the worker took has the given size, at
    // most timeoutMs; answers whether it has.
    bool WaitForPictureSize(int32_t width, int32_t height, DWORD timeoutMs);
    void WorkerLoop();
    void ProcessVideo(CaptureItem& item);

    CaptureQueue<CaptureItem> m_queue;
    std::unique_ptr<MediaPipeline> m_pipeline;
    // Set once, before m_previewReady; used by the worker from then on.
    std::unique_ptr<PictureSink> m_preview;
    std::atomic<bool> m_previewReady{false};
    Recorder m_recorder;
    std::mutex m_diskLock; // guards m_disk
    std::weak_ptr<OutputDisk> m_disk;
    std::atomic<int32_t> m_frameWidth{1080};
    std::atomic<int32_t> m_frameHeight{720};
    std::atomic<bool> m_recording{false};
    // A photo's way: the user-interface thread makes it Pending and takes
    // a Done one back to Idle; the worker makes Pending Writing, then Done,
    // filling the outcome between. So each side touches the outcome only in
    // states the other does not leave.
    enum class PhotoState { Idle, Pending, Writing, Done };
    std::atomic<PhotoState> m_photoState{PhotoState::Idle};
    PhotoOutcome m_photoOutcome; // worker writes in Writing, UI reads in Done
    PhotoOutcome m_photoRefused; // user-interface thread only
    // User-interface thread only: what TakeRecordingProblem tells.
    OutputProblem m_recordingProblem = OutputProblem::None;
    bool m_recordingEnded = false;
    std::atomic<bool> m_minimized{false};
    std::atomic<WorkerState> m_workerState{WorkerState::Running};
    // Manual reset, set as the worker ends: stopping waits on it while
    // serving sent messages, which a join cannot do, and only then joins.
    EventHandle m_workerEnded{EventHandle::Reset::Manual};
    std::thread m_worker;
    // The worker has decoded a picture.
    EventHandle m_pictureEvent{EventHandle::Reset::Automatic};
    std::atomic<uint64_t> m_decoded{0};
    std::atomic<uint64_t> m_presented{0};
    std::atomic<uint64_t> m_skippedDrawing{0};
    std::atomic<uint64_t> m_recorded{0};
    int64_t m_lastDrawnUs = 0; // worker thread only
    std::atomic<uint64_t> m_photos{0};
    void LogPresentLatency(int64_t micros);
    std::atomic<bool> m_latencyLogging{false};
    std::mutex m_latencyLock; // guards the two below
    std::vector<int64_t> m_latencies;
    std::size_t m_latencyCapacity = 0;
};
