// The first-in first-out queue between the camera and audio producers and
// the capture engine's worker thread. Camera samples are bounded to kLimit
// (kRecordingLimit while a recording runs) by dropping the oldest sample: the
// preview never lags, and a recording's pictures are stamped by arrival, so a
// dropped one leaves no time gap.
// Sound is never dropped to make room for pictures; it has a bound of its
// own (kAudioLimit, seconds of sound) only so that a stuck worker cannot
// make it grow without end. Items own what they carry, so a dropped item
// frees its buffers as it goes. Item has `kind` and Item::kVideo. A consumer
// waits for work on the queue's condition instead of polling it.
// Free of Windows headers: the rules are tested natively with a stand-in item.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

template <class Item> class CaptureQueue {
public:
    static constexpr std::size_t kLimit = 5;
    // While a recording runs a picture lost is lost from the file, so the
    // camera's queue rides out longer stalls of a busy machine (half a second
    // at 30 pictures a second); drawing skips stale pictures meanwhile, so
    // the preview still catches up.
    static constexpr std::size_t kRecordingLimit = 15;
    static constexpr std::size_t kAudioLimit = 150;

    // Appends a camera sample and drops the oldest samples beyond limit;
    // answers how many went.
    std::size_t PushVideo(Item item, std::size_t limit = kLimit) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_items.push_back(std::move(item));
        const std::size_t dropped = DropOldest(true, limit);
        m_dropped += dropped;
        m_changed.notify_one();
        return dropped;
    }

    // Appends an audio frame; answers how many of the oldest frames went
    // because the sound waiting exceeded kAudioLimit.
    std::size_t PushAudio(Item item) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_items.push_back(std::move(item));
        const std::size_t dropped = DropOldest(false, kAudioLimit);
        m_droppedAudio += dropped;
        m_changed.notify_one();
        return dropped;
    }

    // Removes the head item, or answers nothing when the queue is empty.
    std::optional<Item> Pop() {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_items.empty()) {
            return std::nullopt;
        }
        return TakeHead();
    }

    // Removes the head item, waiting for one at most timeout; nothing when
    // the time passed or the queue is closed and empty.
    template <class Rep, class Period>
    std::optional<Item> WaitPop(std::chrono::duration<Rep, Period> timeout) {
        std::unique_lock<std::mutex> lock(m_lock);
        m_changed.wait_for(lock, timeout, [this] { return !m_items.empty() || m_closed; });
        return TakeHead();
    }
    // The same without a time limit: waits until an item comes or Close.
    std::optional<Item> WaitPop() {
        std::unique_lock<std::mutex> lock(m_lock);
        m_changed.wait(lock, [this] { return !m_items.empty() || m_closed; });
        return TakeHead();
    }

    // Ends every wait, now and later, once the queue is empty; items pushed
    // afterwards are still handed out.
    void Close() {
        std::lock_guard<std::mutex> lock(m_lock);
        m_closed = true;
        m_changed.notify_all();
    }

    std::size_t Size() const {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_items.size();
    }

    // Camera samples dropped by trimming since the queue was made.
    uint64_t Dropped() const {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_dropped;
    }
    uint64_t DroppedAudio() const {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_droppedAudio;
    }

    // How many queued items satisfy test, counted under the lock.
    template <class Test> std::size_t CountIf(Test test) const {
        std::lock_guard<std::mutex> lock(m_lock);
        std::size_t count = 0;
        for (const Item& item : m_items) {
            count += test(item) ? 1 : 0;
        }
        return count;
    }

    // Calls visit on every queued item, head first, under the lock.
    template <class Visit> void ForEach(Visit visit) const {
        std::lock_guard<std::mutex> lock(m_lock);
        for (const Item& item : m_items) {
            visit(item);
        }
    }

    void Clear() {
        std::lock_guard<std::mutex> lock(m_lock);
        m_items.clear();
    }

private:
    // m_lock held.
    std::optional<Item> TakeHead() {
        if (m_items.empty()) {
            return std::nullopt;
        }
        std::optional<Item> head(std::move(m_items.front()));
        m_items.pop_front();
        return head;
    }

    // Drops the oldest items of one kind until at most limit of it remain.
    std::size_t DropOldest(bool video, std::size_t limit) {
        std::size_t count = 0;
        for (const Item& item : m_items) {
            count += (item.kind == Item::kVideo) == video ? 1 : 0;
        }
        std::size_t dropped = 0;
        for (auto it = m_items.begin(); count > limit && it != m_items.end();) {
            if ((it->kind == Item::kVideo) == video) {
                it = m_items.erase(it);
                --count;
                ++dropped;
            } else {
                ++it;
            }
        }
        return dropped;
    }

    mutable std::mutex m_lock;
    std::condition_variable m_changed; // an item came, or the queue was closed
    std::deque<Item> m_items;
    bool m_closed = false;
    uint64_t m_dropped = 0;
    uint64_t m_droppedAudio = 0;
};
