#include "capture/Recorder.h"

extern "C" {
#include <libavutil/frame.h>
}

#include "capture/MonotonicClock.h"

namespace {
// How long the end of the program waits for a recording's file to be finished.
constexpr unsigned kExitFinishWaitMs = 5000;
} // namespace

Recorder::~Recorder() {
    Stop();
    if (!WaitForFinished(kExitFinishWaitMs)) {
        // A finish stuck on a dead disk: its thread owns all it uses and the
        // process is ending; the file, fragmented, is finished at the next start.
        std::lock_guard<std::mutex> lock(m_finishingLock);
        for (std::unique_ptr<RecordingThread>& stuck : m_finishing) {
            (void)stuck.release();
        }
        m_finishing.clear();
    }
}

bool Recorder::Open(const std::string& path, int width, int height, int frameRate,
                    const std::wstring& microphoneName) {
    // The previous recording's file is finished by its own thread meanwhile.
    Stop();
    m_openedFile.reset();
    m_openedMicrophone.reset();
    auto microphone = std::make_unique<AudioInput>();
    const bool haveSound = microphone->Open(microphoneName);
    const SoundFormat sound = microphone->Format();
    auto file = std::make_unique<RecordingFile>();
    if (!file->Open(path, width, height, frameRate, haveSound ? &sound : nullptr)) {
        return false;
    }
    m_openedFile = std::move(file);
    if (haveSound) {
        m_openedMicrophone = std::move(microphone);
    }
    return true;
}

bool Recorder::Begin(const AVFrame* firstPicture) {
    if (!m_openedFile) {
        return false;
    }
    std::unique_ptr<AudioInput> microphone = std::move(m_openedMicrophone);
    std::lock_guard<std::mutex> lock(m_lock);
    m_openedFile->Begin(MonotonicMicros());
    m_recording = std::make_unique<RecordingThread>(std::move(m_openedFile));
    // The picture on screen when the recording starts is its first: the
    // file's picture begins at 0 even when the camera's next sample is late.
    if (firstPicture != nullptr) {
        m_recording->PushVideo(firstPicture, MonotonicMicros());
    }
    RecordingThread* recording = m_recording.get();
    // The microphone is joined before its recording ends (Stop), so the
    // recording outlives every call of this callback.
    auto onSound = [recording](AVStream*, AVFrame* frame, int64_t readUs) {
        if (recording->HasSound()) {
            recording->PushAudio(frame, readUs);
        }
        av_frame_free(&frame);
    };
    if (microphone &&
        microphone->Start(m_recording->EncoderSound(), m_volume, std::move(onSound))) {
        m_microphone = std::move(microphone);
    }
    return true;
}

bool Recorder::PushPicture(const AVFrame* picture, int64_t arrivalUs) {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_recording && picture != nullptr && m_recording->PushVideo(picture, arrivalUs);
}

void Recorder::Stop() {
    std::unique_ptr<RecordingThread> file;
    std::unique_ptr<AudioInput> microphone;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        file = std::move(m_recording);
        microphone = std::move(m_microphone);
    }
    // Joined before the recording ends: no sound comes after its end.
    microphone.reset();
    std::unique_lock<std::mutex> lock(m_finishingLock);
    if (file) {
        file->End();
        m_finishing.push_back(std::move(file));
    }
    CollectFinished(lock);
}

void Recorder::CollectFinished(std::unique_lock<std::mutex>& finishingLock) {
    (void)finishingLock;
    for (auto each = m_finishing.begin(); each != m_finishing.end();) {
        RecordingThread& file = **each;
        if (!file.WaitFinished(0)) {
            ++each;
            continue;
        }
        file.Finish();
        m_lastPictures = file.WrittenPictures();
        m_lastDropped = file.DroppedPictures();
        m_lastDroppedSound = file.DroppedSound();
        m_lastFinishUs = file.EndToFinishedMicros();
        m_lastFinished = file.Finished();
        each = m_finishing.erase(each);
    }
}

bool Recorder::WaitForFinished(unsigned timeoutMs) {
    const int64_t deadline = MonotonicMicros() + static_cast<int64_t>(timeoutMs) * 1000;
    std::unique_lock<std::mutex> lock(m_finishingLock);
    for (const std::unique_ptr<RecordingThread>& file : m_finishing) {
        const int64_t left = deadline - MonotonicMicros();
        file->WaitFinished(left > 0 ? static_cast<unsigned>((left + 999) / 1000) : 0);
    }
    CollectFinished(lock);
    return m_finishing.empty();
}

FinishedRecording Recorder::LastFinished() {
    std::lock_guard<std::mutex> lock(m_finishingLock);
    return m_lastFinished;
}

bool Recorder::Active() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_recording != nullptr;
}

bool Recorder::EndedByItself() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_recording != nullptr && m_recording->EndedByItself();
}

MicrophoneProblem Recorder::WhyNoSound() {
    return MicrophoneProblem::None;
}
