#include "capture/recording/Recorder.h"

#include <algorithm>

extern "C" {
#include <libavutil/frame.h>
}

#include "Core/MicrophoneStartCheck.h"
#include "capture/MonotonicClock.h"

namespace {
// How long the end of the program waits for a recording's file to be finished.
constexpr unsigned kExitFinishWaitMs = 5000;
// The sound ends where the pictures do: the pictures still queued at a stop
// (a busy machine) do not reach the file, the sound up to the stop would.
// A camera that stalled longer ago than this does not cut the sound back.
constexpr int64_t kMostSoundCutUs = 250000;
} // namespace

Recorder::~Recorder() {
    Stop();
    if (!WaitForFinished(kExitFinishWaitMs)) {
        // A finish stuck on a dead disk: its thread owns all it uses and the
        // process is ending; the file, fragmented, is finished at the next start.
        std::lock_guard<std::mutex> lock(m_finishingLock);
        for (Finishing& stuck : m_finishing) {
            (void)stuck.file.release();
            (void)stuck.microphone.release(); // may still hand its sound to the file
        }
        m_finishing.clear();
    }
}

bool Recorder::Open(const std::string& path, int width, int height, int frameRate,
                    const std::wstring& microphoneName, std::shared_ptr<OutputDisk> disk) {
    // The previous recording's file is finished by its own thread meanwhile.
    Stop();
    m_openedFile.reset();
    m_openedMicrophone.reset();
    m_openedProblem = MicrophoneProblem::None;
    m_openProblem = OutputProblem::None;
    auto microphone = std::make_unique<AudioInput>();
    bool haveSound = false;
    if (!microphoneName.empty()) {
        // Started alone first: FFmpeg would only say that the device did not
        // run (and, under Wine, never return from a device that refused).
        const HRESULT started = StartMicrophoneAlone(microphoneName);
        if (SUCCEEDED(started) || started == kMicrophoneNotFound) {
            haveSound = microphone->Open(microphoneName);
            m_openedProblem = haveSound ? MicrophoneProblem::None : MicrophoneProblem::Failed;
        } else {
            m_openedProblem = ProblemOfStartFailure(started);
        }
    }
    const SoundFormat sound = microphone->Format();
    m_openedFramePeriodUs = 1000000 / RecordingFrameRate(frameRate);
    auto file = std::make_unique<RecordingFile>(std::move(disk));
    if (!file->Open(path, width, height, frameRate, haveSound ? &sound : nullptr)) {
        m_openProblem = file->Problem();
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
    m_problem = m_openedProblem;
    m_framePeriodUs = m_openedFramePeriodUs;
    m_lastPictureUs = -1;
    m_openedFile->Begin(MonotonicMicros());
    m_recording = std::make_unique<RecordingThread>(std::move(m_openedFile));
    // The picture on screen when the recording starts is its first: the
    // file's picture begins at 0 even when the camera's next sample is late.
    if (firstPicture != nullptr) {
        const int64_t now = MonotonicMicros();
        if (m_recording->PushVideo(firstPicture, now)) {
            m_lastPictureUs = now;
        }
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
    if (microphone) {
        if (microphone->Start(m_recording->EncoderSound(), m_volume, std::move(onSound))) {
            m_microphone = std::move(microphone);
        } else {
            m_problem = MicrophoneProblem::Failed;
        }
    }
    return true;
}

bool Recorder::PushPicture(const AVFrame* picture, int64_t arrivalUs) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_recording || picture == nullptr || !m_recording->PushVideo(picture, arrivalUs)) {
        return false;
    }
    m_lastPictureUs = std::max(m_lastPictureUs, arrivalUs);
    return true;
}

void Recorder::Stop() {
    int64_t stopUs = MonotonicMicros();
    Finishing stopped;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        stopped.file = std::move(m_recording);
        stopped.microphone = std::move(m_microphone);
        m_problem = MicrophoneProblem::None;
        if (m_lastPictureUs >= 0) {
            const int64_t picturesEndUs = m_lastPictureUs + m_framePeriodUs;
            stopUs = std::max(stopUs - kMostSoundCutUs, std::min(stopUs, picturesEndUs));
        }
    }
    std::unique_lock<std::mutex> lock(m_finishingLock);
    if (stopped.file) {
        RecordingThread* file = stopped.file.get();
        if (stopped.microphone) {
            // The sound up to the stop is still on its way (in the device's
            // buffer, being read): the microphone ends the recording once it
            // has handed it over, so that no sound comes after the end.
            stopped.microphone->EndAt(stopUs, [file] { file->End(); });
        } else {
            file->End();
        }
        m_finishing.push_back(std::move(stopped));
    }
    CollectFinished(lock);
}

void Recorder::CollectFinished(std::unique_lock<std::mutex>& finishingLock) {
    (void)finishingLock;
    for (auto each = m_finishing.begin(); each != m_finishing.end();) {
        RecordingThread& file = *each->file;
        if (!file.WaitFinished(0)) {
            ++each;
            continue;
        }
        // The microphone has ended the recording: its thread is at its end.
        if (each->microphone) {
            each->microphone->Close();
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
    for (const Finishing& stopped : m_finishing) {
        const int64_t left = deadline - MonotonicMicros();
        stopped.file->WaitFinished(left > 0 ? static_cast<unsigned>((left + 999) / 1000) : 0);
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

OutputProblem Recorder::EndProblem() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_recording != nullptr && m_recording->EndedByItself() ? m_recording->EndProblem()
                                                                  : OutputProblem::None;
}

bool Recorder::DiskUse(RecordingDiskUse* use) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_recording) {
        return false;
    }
    *use = m_recording->DiskUse();
    return true;
}

bool Recorder::TakeContinuation(std::string* path) {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_recording != nullptr && m_recording->TakeContinuation(path);
}

MicrophoneProblem Recorder::WhyNoSound() {
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_recording) {
        return MicrophoneProblem::None;
    }
    if (m_problem == MicrophoneProblem::None && m_microphone && m_microphone->Lost()) {
        return MicrophoneProblem::Lost;
    }
    return m_problem;
}
