#include "capture/recording/RecordingThread.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <optional>

#include "capture/MonotonicClock.h"
#include "capture/OutputFolder.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/mathematics.h>
}

namespace {
// How often the free space of the recording's volume is looked at.
constexpr int64_t kSpaceCheckUs = 1000000;
// Room kept below a volume's file-size limit on top of what the next
// pictures may add.
constexpr int64_t kLimitSlackBytes = 16 * 1024;
// Sound reaches the recording later than pictures; a microphone that has
// not delivered the sound of a switch by then is not waited for.
constexpr int64_t kSwitchSoundWaitUs = 1000000;
// Sound held back near a switch goes out at the latest this much after it
// was read, pictures or not.
constexpr int64_t kSoundHoldUs = 1000000;

// A new file beside the one a recording outgrew, named for now.
std::string NextRecordingPath(const std::string& previous) {
    const size_t slash = previous.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? "." : previous.substr(0, slash);
    return NewOutputFilePathIn(folder, ".mp4");
}
} // namespace

void RecordingThread::FrameDeleter::operator()(AVFrame* frame) const {
    av_frame_free(&frame);
}

RecordingThread::RecordingThread(std::unique_ptr<RecordingFile> file) : m_file(std::move(file)) {
    m_hasSound = m_file && m_file->HasSound();
    m_sound = m_file ? m_file->EncoderSound() : SoundFormat{};
    m_thread = std::thread([this] { Run(); });
}

RecordingThread::~RecordingThread() {
    Finish();
}

bool RecordingThread::Push(int kind, const AVFrame* frame, int64_t time) {
    if (frame == nullptr || m_ending) {
        return false;
    }
    Item item;
    item.kind = kind;
    item.time = time;
    item.frame.reset(av_frame_alloc());
    if (!item.frame || av_frame_ref(item.frame.get(), frame) < 0) {
        return false;
    }
    if (kind == Item::kVideo) {
        m_queue.PushVideo(std::move(item));
    } else {
        m_queue.PushAudio(std::move(item));
    }
    return true;
}

bool RecordingThread::PushVideo(const AVFrame* picture, int64_t arrivalUs) {
    return Push(Item::kVideo, picture, arrivalUs);
}

bool RecordingThread::PushAudio(const AVFrame* sound, int64_t readUs) {
    return Push(Item::kAudio, sound, readUs);
}

void RecordingThread::Run() {
    // The preview comes first: when the cores are busy the encoder falls
    // behind and drops pictures, the screen does not freeze.
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    // Asked here, not where the recording starts: a network volume may take
    // a while to answer. Its next files go into the same folder.
    m_largestFile = m_file->Disk()->LargestFile(m_file->Path());
    int64_t nextSpaceCheckUs = 0;
    for (;;) {
        // A failed write loses all that follows; a disk about to fill would
        // soon do the same. Either ends the recording as a stop does.
        if (!m_ending && m_file->WriteFailed()) {
            EndByItself(m_file->Problem());
        } else if (!m_ending && OutOfRoom(nextSpaceCheckUs)) {
            EndByItself(OutputProblem::DiskFull);
        }
        // Read before looking at the queue: once ending is seen, nothing
        // more arrives, so an empty queue then means all is written. Until
        // then the thread sleeps until work comes, End, or the next look at
        // the free space.
        const bool ending = m_ending;
        std::optional<Item> item =
            ending ? m_queue.Pop()
                   : m_queue.WaitPop(std::chrono::microseconds(
                         std::max<int64_t>(0, nextSpaceCheckUs - MonotonicMicros())));
        if (m_previous && MonotonicMicros() > m_switchUs + kSwitchSoundWaitUs) {
            RetirePrevious();
        }
        if (!item) {
            if (ending) {
                break;
            }
            continue;
        }
        if (item->kind == Item::kVideo) {
            if (!m_endedByItself && !FollowLimit(item->time)) {
                EndByItself(OutputProblem::WriteFailed);
            }
            m_written += m_file->WriteVideo(item->frame.get(), item->time) ? 1 : 0;
            WriteHeldSound(item->time);
            m_recordedBytes = m_earlierFilesBytes + m_file->MediaBytes();
        } else if (m_opening.valid() || !m_heldSound.empty()) {
            m_heldSound.push_back(std::move(*item));
        } else {
            WriteSound(*item);
        }
        // Pictures that stopped coming hold back no sound for long.
        WriteHeldSound(MonotonicMicros() - kSoundHoldUs);
    }
    WriteHeldSound(INT64_MAX);
    DropNextFile();
    RetirePrevious();
    bool complete = m_file->Finish();
    for (std::unique_ptr<Finishing>& finishing : m_finishing) {
        finishing->thread.join();
        complete = complete && finishing->complete;
    }
    m_complete = complete;
    const int64_t endedAt = m_endedAtUs;
    m_endToFinishedUs = endedAt > 0 ? MonotonicMicros() - endedAt : 0;
    std::lock_guard<std::mutex> lock(m_doneLock);
    m_done = true;
    m_doneChanged.notify_all();
}

void RecordingThread::WriteHeldSound(int64_t untilUs) {
    while (!m_heldSound.empty() && m_heldSound.front().time <= untilUs) {
        WriteSound(m_heldSound.front());
        m_heldSound.pop_front();
    }
}

void RecordingThread::WriteSound(const Item& item) {
    const AVFrame* sound = item.frame.get();
    if (m_previous && sound->sample_rate > 0) {
        const int64_t firstUs =
            item.time - av_rescale(sound->nb_samples, 1000000, sound->sample_rate);
        if (firstUs < m_switchUs) {
            m_previous->WriteAudio(sound, item.time);
        }
        if (item.time >= m_switchUs) {
            RetirePrevious(); // all its sound is in
        } else {
            return;
        }
    }
    m_file->WriteAudio(sound, item.time);
    m_lastSoundUs = std::max(m_lastSoundUs, item.time);
}

bool RecordingThread::NearLimit(int64_t aheadBytes) const {
    if (m_largestFile < 0 || m_file->VideoFrames() == 0) {
        return false;
    }
    // A picture, the sound beside it, or a whole fragment the muxer held
    // back may come before the next look.
    const int64_t next = 4 * m_file->LargestPacketBytes() + kLimitSlackBytes;
    return m_file->BytesAtFinish() + next + aheadBytes > m_largestFile;
}

bool RecordingThread::FollowLimit(int64_t atUs) {
    if (!m_opening.valid()) {
        // About a second ahead, at the rate the file has grown so far.
        const int64_t seconds =
            std::max<int64_t>(1, (m_file->PictureEndMicros() - m_file->StartMicros()) / 1000000);
        if (!NearLimit(m_file->MediaBytes() / seconds)) {
            return true;
        }
        auto next = std::make_unique<RecordingFile>(m_file->Disk());
        RecordingFile* model = m_file.get();
        const std::string path = NextRecordingPath(model->Path());
        // What Open takes from the model was set when it opened, and stays.
        m_opening = std::async(std::launch::async, [model, path, next = std::move(next)]() mutable {
            return next->OpenLike(*model, path) ? std::move(next)
                                                : std::unique_ptr<RecordingFile>();
        });
    }
    // Sound is held back meanwhile; the switch waits for the pictures, which
    // may come later than the sound of the same moment, to catch up with
    // the sound already in this file, so that none of it lies past the end.
    const bool open = m_opening.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    if (!(open && atUs >= m_lastSoundUs) && !NearLimit(0)) {
        return true;
    }
    // At the limit the recording waits for the next file: pictures queue meanwhile.
    std::unique_ptr<RecordingFile> next = m_opening.get();
    if (!next) {
        return false;
    }
    ContinueIn(std::move(next), atUs);
    return true;
}

void RecordingThread::ContinueIn(std::unique_ptr<RecordingFile> next, int64_t atUs) {
    // Switched again before the sound of the last switch came.
    RetirePrevious();
    // The next file begins where the last picture of this one ends, its
    // sound too; a picture that came late starts a moment into it.
    const int64_t pictureEnd = m_file->PictureEndMicros();
    int64_t boundary = pictureEnd > 0 && pictureEnd < atUs ? pictureEnd : atUs;
    boundary = std::max(boundary, std::min(m_lastSoundUs, atUs));
    m_lastSoundUs = INT64_MIN;
    next->Begin(boundary);
    m_file->EndSoundAt(boundary);
    m_earlierFilesBytes += m_file->MediaBytes();
    m_previous = std::move(m_file);
    m_switchUs = boundary;
    m_file = std::move(next);
    {
        std::lock_guard<std::mutex> lock(m_pathLock);
        m_continuedPath = m_file->Path();
    }
    ++m_files;
    m_continued = true;
    if (!m_hasSound) {
        RetirePrevious();
    }
}

void RecordingThread::DropNextFile() {
    if (!m_opening.valid()) {
        return;
    }
    std::unique_ptr<RecordingFile> unused = m_opening.get();
    if (unused) {
        unused->Discard();
    }
}

void RecordingThread::RetirePrevious() {
    if (!m_previous) {
        return;
    }
    auto finishing = std::make_unique<Finishing>();
    finishing->file = std::move(m_previous);
    Finishing* retired = finishing.get();
    // Draining, the trailer and the finish in place take a while on a big
    // file or a slow disk; the recording goes on meanwhile.
    retired->thread = std::thread([retired] {
        ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
        retired->complete = retired->file->Finish();
    });
    m_finishing.push_back(std::move(finishing));
}

bool RecordingThread::TakeContinuation(std::string* path) {
    if (!m_continued.exchange(false)) {
        return false;
    }
    if (path != nullptr) {
        std::lock_guard<std::mutex> lock(m_pathLock);
        *path = m_continuedPath;
    }
    return true;
}

bool RecordingThread::OutOfRoom(int64_t& nextCheckUs) {
    const int64_t now = MonotonicMicros();
    if (now < nextCheckUs) {
        return false;
    }
    nextCheckUs = now + kSpaceCheckUs;
    const int64_t freeBytes = m_file->Disk()->FreeBytes(m_file->Path());
    const int64_t reserveBytes = m_file->ReserveBytes();
    m_reserveBytes = reserveBytes;
    m_freeBytes = freeBytes;
    return freeBytes >= 0 && freeBytes < reserveBytes;
}

void RecordingThread::EndByItself(OutputProblem why) {
    m_endProblem = why == OutputProblem::None ? OutputProblem::WriteFailed : why;
    m_endedByItself = true;
    m_ending = true;
}

RecordingDiskUse RecordingThread::DiskUse() const {
    RecordingDiskUse use;
    use.recordedBytes = m_recordedBytes;
    use.freeBytes = m_freeBytes;
    use.reserveBytes = m_reserveBytes;
    return use;
}

void RecordingThread::End() {
    m_ending = true;
    m_queue.Close();
    int64_t notYet = 0;
    m_endedAtUs.compare_exchange_strong(notYet, MonotonicMicros());
}

bool RecordingThread::WaitFinished(unsigned timeoutMs) {
    std::unique_lock<std::mutex> lock(m_doneLock);
    return m_doneChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [this] { return m_done; });
}

bool RecordingThread::Finish() {
    End();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    return m_complete;
}
