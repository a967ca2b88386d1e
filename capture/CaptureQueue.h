// The first-in first-out queue between the camera and audio producers and
// the capture engine's worker thread. Video appends bound it to kLimit items
// by dropping the oldest items (of either kind); audio appends never drop.
// Items own what they carry, so a dropped item frees its buffers as it goes.
// Free of Windows headers: the rules are tested natively with a stand-in item.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

template <class Item> class CaptureQueue {
public:
    static constexpr std::size_t kLimit = 5;

    // Appends a camera sample and trims the head; answers how many items went.
    std::size_t PushVideo(Item item) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_items.push_back(std::move(item));
        std::size_t dropped = 0;
        while (m_items.size() > kLimit) {
            m_items.pop_front();
            ++dropped;
        }
        m_dropped += dropped;
        return dropped;
    }

    // Appends an audio frame; sound is never thrown away to make room.
    void PushAudio(Item item) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_items.push_back(std::move(item));
    }

    // Removes the head item, or answers nothing when the queue is empty.
    std::optional<Item> Pop() {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_items.empty()) {
            return std::nullopt;
        }
        std::optional<Item> head(std::move(m_items.front()));
        m_items.pop_front();
        return head;
    }

    std::size_t Size() const {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_items.size();
    }

    // Items dropped by trimming since the queue was made.
    uint64_t Dropped() const {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_dropped;
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
    mutable std::mutex m_lock;
    std::deque<Item> m_items;
    uint64_t m_dropped = 0;
};
