#include "capture/RecordingThread.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <optional>

#include "capture/MonotonicClock.h"
#include "capture/OutputFile.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace {
// How often the free space of the recording's volume is looked at.
constexpr int64_t kSpaceCheckUs = 1000000;
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
    int64_t nextSpaceCheckUs = 0;
    for (;;) {
        // A failed write loses all that follows; a disk about to fill would
        // soon do the same. Either ends the recording as a stop does.
        if (!m_ending && (m_file->WriteFailed() || OutOfRoom(nextSpaceCheckUs))) {
            m_endedByItself = true;
            m_ending = true;
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
        if (!item) {
            if (ending) {
                break;
            }
            continue;
        }
        if (item->kind == Item::kVideo) {
            m_written += m_file->WriteVideo(item->frame.get(), item->time) ? 1 : 0;
        } else {
            m_file->WriteAudio(item->frame.get(), item->time);
        }
    }
    m_complete = m_file->Finish();
    const int64_t endedAt = m_endedAtUs;
    m_endToFinishedUs = endedAt > 0 ? MonotonicMicros() - endedAt : 0;
    std::lock_guard<std::mutex> lock(m_doneLock);
    m_done = true;
    m_doneChanged.notify_all();
}

bool RecordingThread::OutOfRoom(int64_t& nextCheckUs) const {
    const int64_t now = MonotonicMicros();
    if (now < nextCheckUs) {
        return false;
    }
    nextCheckUs = now + kSpaceCheckUs;
    const int64_t freeBytes = FreeDiskBytes(m_file->Path());
    return freeBytes >= 0 && freeBytes < m_file->ReserveBytes();
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
