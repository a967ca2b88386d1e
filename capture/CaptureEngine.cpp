#include "capture/CaptureEngine.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>

#include "capture/MonotonicClock.h"
#include "capture/OutputFolder.h"

namespace {

// How long stopping waits for the worker to finish the picture in hand.
constexpr DWORD kStopWaitMs = 5000;
// Newer camera samples waiting that make the worker skip drawing a picture.
constexpr std::size_t kDrawingBacklog = 2;
// The longest the preview goes without drawing while it skips (microseconds).
constexpr int64_t kLongestUndrawnUs = 100000;
// How long a recording's start waits for the camera's first picture after a
// format switch; cameras take up to a second or two to restart their sensor.
constexpr DWORD kFirstPictureWaitMs = 3000;

// Waits for handle, at most timeoutMs, serving messages sent to this thread
// meanwhile: Direct3D may send messages to windows of this thread while the
// worker presents, and the worker must be able to go on. Answers
// WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED.
DWORD WaitServingSentMessages(HANDLE handle, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMs) {
            return ::WaitForSingleObject(handle, 0);
        }
        const DWORD result =
            ::MsgWaitForMultipleObjects(1, &handle, FALSE, timeoutMs - elapsed, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0 + 1) {
            MSG message;
            ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            continue;
        }
        if (result != WAIT_TIMEOUT) {
            return result;
        }
    }
}

} // namespace

CaptureEngine& CaptureEngine::Instance() {
    static CaptureEngine* const engine = [] {
        CaptureEngine* made = new CaptureEngine();
        std::atexit(&CaptureEngine::EndAtExit);
        return made;
    }();
    return *engine;
}

void CaptureEngine::EndAtExit() {
    CaptureEngine& engine = Instance();
    engine.m_recording = false;
    // A worker stuck inside a call that never came back may go on at any
    // moment with the queue, the pipeline and the renderer: all of the engine
    // is then left to the end of the process.
    if (engine.RequestStop()) {
        delete &engine;
    }
}

CaptureEngine::CaptureEngine() {
    if (m_workerEnded.Valid()) {
        m_worker = std::thread([this] { WorkerLoop(); });
    } else {
        m_workerState = WorkerState::Ended;
    }
}

bool CaptureEngine::WorkerRunning() const {
    return m_worker.joinable() && !m_workerEnded.IsSet();
}

bool CaptureEngine::RequestStop() {
    WorkerState running = WorkerState::Running;
    m_workerState.compare_exchange_strong(running, WorkerState::Stopping);
    // Wakes the worker when it waits for a sample.
    m_queue.Close();
    if (!m_worker.joinable()) {
        return true;
    }
    if (std::this_thread::get_id() == m_worker.get_id()) {
        return false;
    }
    if (WaitServingSentMessages(m_workerEnded.Get(), kStopWaitMs) != WAIT_OBJECT_0) {
        return false;
    }
    // Past its last step: the join returns at once.
    m_worker.join();
    return true;
}

bool CaptureEngine::AttachPreview(std::unique_ptr<PictureSink> preview) {
    if (m_previewReady || !preview) {
        return false;
    }
    m_pipeline.reset(new (std::nothrow) MediaPipeline());
    if (!m_pipeline) {
        return false;
    }
    m_preview = std::move(preview);
    m_previewReady = true;
    return true;
}

void CaptureEngine::TakeSample(const StreamFormat& format, double sampleTime, const uint8_t* buffer,
                               int32_t length) {
    QueueVideoSample(format, sampleTime, buffer, length);
}

int32_t CaptureEngine::QueueVideoSample(const StreamFormat& format, double sampleTime,
                                        const uint8_t* buffer, int32_t length) {
    if (length <= 0 || buffer == nullptr) {
        return -1;
    }
    CaptureItem item;
    // Zeroed padding after the copy: the pipeline's row readers may touch it.
    item.data.reset(new (std::nothrow)
                        uint8_t[static_cast<size_t>(length) + MediaPipeline::kSamplePadding]);
    if (!item.data) {
        return -1;
    }
    std::memcpy(item.data.get(), buffer, static_cast<size_t>(length));
    std::memset(item.data.get() + length, 0, MediaPipeline::kSamplePadding);
    item.arrivalUs = MonotonicMicros();
    item.kind = CaptureItem::kVideo;
    item.format = format;
    item.sampleTime = sampleTime;
    item.length = length;
    m_queue.PushVideo(std::move(item), m_recording ? CaptureQueue<CaptureItem>::kRecordingLimit
                                                   : CaptureQueue<CaptureItem>::kLimit);
    return 0;
}

void CaptureEngine::WorkerLoop() {
    while (m_workerState == WorkerState::Running) {
        std::optional<CaptureItem> item = m_queue.WaitPop();
        if (!item) {
            continue; // closed: the state says stop
        }
        ProcessVideo(*item);
    }
    if (m_previewReady) {
        m_preview->WorkerEnding();
    }
    m_workerState = WorkerState::Ended;
    m_workerEnded.Set();
}

void CaptureEngine::ProcessVideo(CaptureItem& item) {
    // Samples that arrive before the preview and the pipeline exist are
    // dropped: there is nothing to decode them with yet.
    if (!m_previewReady) {
        return;
    }
    if (item.format.width != m_frameWidth || item.format.height != m_frameHeight) {
        m_frameWidth = item.format.width;
        m_frameHeight = item.format.height;
        m_preview->PictureSizeChanged(item.format.width, item.format.height);
    }
    bool decoded = false;
    {
        // Decoding and everything that uses the new picture's FFmpeg frame
        // (the recording, a pending photo) run under the pipeline's lock,
        // which a recording's start and a photo's preparation also take.
        std::lock_guard<std::mutex> lock(m_pipeline->ContextLock());
        decoded = m_pipeline->DecodeFrame(item.format, item.data.get(), item.length);
        if (decoded && m_recording &&
            m_recorder.PushPicture(m_pipeline->ShownPicture(), item.arrivalUs)) {
            ++m_recorded;
        }
        PhotoState pending = PhotoState::Pending;
        if (decoded && m_photoState.compare_exchange_strong(pending, PhotoState::Writing)) {
            // Tried once: a photo that fails to write is not retried.
            const bool written = m_pipeline->WritePhotoFrame();
            if (written) {
                ++m_photos;
            }
            m_photoOutcome.result =
                written ? PhotoOutcome::Result::Written : PhotoOutcome::Result::NotWritten;
            m_photoOutcome.problem = m_pipeline->Photo().Problem();
            m_photoOutcome.path = m_pipeline->Photo().LastPath();
            m_photoState = PhotoState::Done;
        }
    }
    if (!decoded) {
        return;
    }
    ++m_decoded;
    m_pictureEvent.Set();
    if (m_minimized) {
        return;
    }
    // Drawing costs more than decoding on slow devices. When drawing falls
    // behind by more than one sample, this picture would be stale on screen:
    // skip the drawing, not the decoding, so that the queue does not overflow
    // and the recording still gets every picture.
    // Skipping is bounded in time, though: on a machine too busy to catch
    // up (a recording encodes meanwhile) every picture would be skipped and
    // the preview would freeze.
    const std::size_t waiting = m_queue.Size();
    const int64_t now = MonotonicMicros();
    if (waiting >= kDrawingBacklog && now - m_lastDrawnUs < kLongestUndrawnUs) {
        ++m_skippedDrawing;
        return;
    }
    m_lastDrawnUs = now;
    // The packed picture changes only on this thread, so it is read without the lock.
    if (m_preview->ShowPicture(item.format, m_pipeline->PackedPicture(),
                               m_pipeline->PackedPictureSize())) {
        ++m_presented;
        if (m_latencyLogging.load(std::memory_order_relaxed)) {
            LogPresentLatency(MonotonicMicros() - item.arrivalUs);
        }
    }
}

void CaptureEngine::StartPresentLatencyLog(std::size_t capacity) {
    std::lock_guard<std::mutex> lock(m_latencyLock);
    m_latencies.clear();
    // Reserved here so that the worker never allocates while it logs.
    m_latencies.reserve(capacity);
    m_latencyCapacity = capacity;
    m_latencyLogging = true;
}

std::vector<int64_t> CaptureEngine::StopPresentLatencyLog() {
    m_latencyLogging = false;
    std::lock_guard<std::mutex> lock(m_latencyLock);
    std::vector<int64_t> kept;
    kept.swap(m_latencies);
    m_latencyCapacity = 0;
    return kept;
}

void CaptureEngine::LogPresentLatency(int64_t micros) {
    std::lock_guard<std::mutex> lock(m_latencyLock);
    if (m_latencies.size() < m_latencyCapacity) {
        m_latencies.push_back(micros);
    }
}

bool CaptureEngine::StartRecording(const RecordingSource& source) {
    if (!m_previewReady) {
        return false;
    }
    // A running recording is closed before the new name is chosen, so the
    // new file never takes the old one's name.
    StopRecording();
    return StartRecordingTo(NewOutputFilePath(m_preview->Window(), ".mp4"), source);
}

bool CaptureEngine::StartRecordingTo(const std::string& path, const RecordingSource& source) {
    if (!m_previewReady) {
        return false;
    }
    StopRecording();
    // Right after a format switch the last picture may still be of the old
    // size; the file is made at the size the camera delivers now.
    int32_t width = m_frameWidth;
    int32_t height = m_frameHeight;
    if (source.format.width > 0 && source.format.height > 0) {
        // A camera slower than that still delivers this size: the recording
        // scales only the pictures taken before.
        WaitForPictureSize(source.format.width, source.format.height, kFirstPictureWaitMs);
        width = source.format.width;
        height = source.format.height;
    }
    return StartRecordingWith(path, width, height, source.frameRate, source.microphoneName);
}

bool CaptureEngine::StartRecordingWith(const std::string& path, int32_t width, int32_t height,
                                       int32_t frameRate, const std::wstring& microphoneName) {
    if (!m_previewReady) {
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_pipeline->ContextLock());
        if (!m_pipeline->DecoderReady()) {
            return false;
        }
    }
    StopRecording();
    // Opening the devices and the file takes a while: the preview goes on
    // meanwhile, and only the start below holds the pipeline's lock, so that
    // the picture on screen is the recording's first.
    m_recordingProblem = OutputProblem::None;
    if (!m_recorder.Open(path, width, height, frameRate, microphoneName, Disk())) {
        m_recordingProblem = m_recorder.OpenProblem();
        m_recordingEnded = false;
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_pipeline->ContextLock());
        m_recorder.Begin(m_pipeline->ShownPicture());
    }
    m_recording = true;
    return true;
}

bool CaptureEngine::WaitForPictureSize(int32_t width, int32_t height, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (m_frameWidth != width || m_frameHeight != height) {
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMs || !m_pictureEvent.Valid() ||
            WaitServingSentMessages(m_pictureEvent.Get(), timeoutMs - elapsed) == WAIT_FAILED) {
            return false;
        }
    }
    return true;
}

bool CaptureEngine::StopRecording() {
    if (m_recording) {
        // Kept for the window: the stop would forget why it ended.
        const OutputProblem ended = m_recorder.EndProblem();
        if (ended != OutputProblem::None) {
            m_recordingProblem = ended;
            m_recordingEnded = true;
        }
        m_recording = false;
        m_recorder.Stop();
    }
    return true;
}

bool CaptureEngine::WaitForFinishedRecordings(unsigned timeoutMs) {
    return m_recorder.WaitForFinished(timeoutMs);
}

bool CaptureEngine::RecordingEndedByItself() {
    return m_recording && m_recorder.EndedByItself();
}

bool CaptureEngine::TakeRecordingContinuation(std::string* path) {
    return m_recording && m_recorder.TakeContinuation(path);
}

bool CaptureEngine::TakePhoto() {
    if (!m_previewReady) {
        return false;
    }
    return TakePhotoTo(NewOutputFilePath(m_preview->Window(), ".jpg"));
}

bool CaptureEngine::TakePhotoTo(const std::string& path) {
    if (!m_previewReady) {
        return false;
    }
    // The earlier photo still waiting is given up; one being written goes on.
    CancelPhoto();
    OutputProblem problem = OutputProblem::None;
    if (!m_pipeline->PreparePhoto(path, Disk(), &problem)) {
        m_photoRefused.result = PhotoOutcome::Result::NotWritten;
        m_photoRefused.problem = problem;
        m_photoRefused.path = path;
        return false;
    }
    m_photoRefused = PhotoOutcome{};
    m_photoState = PhotoState::Pending;
    return true;
}

void CaptureEngine::CancelPhoto() {
    PhotoState pending = PhotoState::Pending;
    m_photoState.compare_exchange_strong(pending, PhotoState::Idle);
}

PhotoOutcome CaptureEngine::TakePhotoOutcome() {
    PhotoOutcome outcome;
    if (m_photoRefused.result != PhotoOutcome::Result::None) {
        std::swap(outcome, m_photoRefused);
    } else if (m_photoState == PhotoState::Done) {
        outcome = m_photoOutcome;
        m_photoState = PhotoState::Idle;
    }
    return outcome;
}

OutputProblem CaptureEngine::TakeRecordingProblem(bool* ended) {
    const OutputProblem problem = m_recordingProblem;
    if (ended != nullptr) {
        *ended = m_recordingEnded;
    }
    m_recordingProblem = OutputProblem::None;
    return problem;
}

void CaptureEngine::StopRecordingAndRepaint() {
    StopRecording();
    ::Sleep(100);
    if (m_previewReady) {
        m_preview->ShowBlank();
    }
}

void CaptureEngine::SetPictureFlip(bool flip) {
    if (m_pipeline) {
        m_pipeline->softwareMirror = flip;
    }
}

void CaptureEngine::SetRecordingVolume(int32_t percent) {
    m_recorder.SetVolume(percent);
}

void CaptureEngine::WriteOn(std::weak_ptr<OutputDisk> disk) {
    std::lock_guard<std::mutex> lock(m_diskLock);
    m_disk = std::move(disk);
}

std::shared_ptr<OutputDisk> CaptureEngine::Disk() {
    std::lock_guard<std::mutex> lock(m_diskLock);
    std::shared_ptr<OutputDisk> disk = m_disk.lock();
    return disk ? disk : RealOutputDisk();
}
