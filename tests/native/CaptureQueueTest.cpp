// The bounded queue between the camera and audio producers and the worker.
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "capture/CaptureQueue.h"

namespace {

// Stands in for a queued sample: owns a buffer and counts its own release.
struct Item {
    static constexpr int kVideo = 1;
    int kind = 1;
    int id = 0;
    std::unique_ptr<int> buffer;
    std::shared_ptr<int> releases;
    Item(int k, int i, std::shared_ptr<int> counter)
        : kind(k), id(i), buffer(new int(i)), releases(std::move(counter)) {}
    Item(Item&&) = default;
    // Overwriting an item (as erasing from the middle does) releases its buffer too.
    Item& operator=(Item&& other) {
        if (buffer && releases) {
            ++*releases;
        }
        kind = other.kind;
        id = other.id;
        buffer = std::move(other.buffer);
        releases = std::move(other.releases);
        return *this;
    }
    ~Item() {
        if (buffer && releases) {
            ++*releases;
        }
    }
};

std::vector<int> Ids(const CaptureQueue<Item>& queue) {
    std::vector<int> ids;
    queue.ForEach([&](const Item& item) { ids.push_back(item.id); });
    return ids;
}

} // namespace

TEST(CaptureQueue, SixVideoSamplesLeaveTheNewestFiveAndReleaseTheOldest) {
    auto releases = std::make_shared<int>(0);
    CaptureQueue<Item> queue;
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(queue.PushVideo(Item(1, i, releases)), 0u);
    }
    EXPECT_EQ(*releases, 0);
    EXPECT_EQ(queue.PushVideo(Item(1, 6, releases)), 1u);
    EXPECT_EQ(Ids(queue), (std::vector<int>{2, 3, 4, 5, 6}));
    EXPECT_EQ(*releases, 1); // the dropped item's buffer went with it
    EXPECT_EQ(queue.Dropped(), 1u);
}

TEST(CaptureQueue, PicturesMakeRoomOnlyAmongPicturesAndSoundHasItsOwnBound) {
    auto releases = std::make_shared<int>(0);
    CaptureQueue<Item> queue;
    // Sound interleaved with pictures: a picture append drops the oldest
    // picture, wherever it sits, and never a frame of sound.
    int id = 0;
    for (int i = 0; i < 6; ++i) {
        queue.PushAudio(Item(2, ++id, releases));
        EXPECT_EQ(queue.PushVideo(Item(1, ++id, releases)), i < 5 ? 0u : 1u);
    }
    EXPECT_EQ(Ids(queue), (std::vector<int>{1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(*releases, 1);
    EXPECT_EQ(queue.Dropped(), 1u);

    // Past its bound, the oldest sound goes, and the pictures stay.
    const std::size_t room = CaptureQueue<Item>::kAudioLimit - 6;
    for (std::size_t i = 0; i < room; ++i) {
        EXPECT_EQ(queue.PushAudio(Item(2, 1000, releases)), 0u);
    }
    EXPECT_EQ(queue.PushAudio(Item(2, 2000, releases)), 1u);
    EXPECT_EQ(Ids(queue).front(), 3); // sound 1 went
    EXPECT_EQ(queue.DroppedAudio(), 1u);
    EXPECT_EQ(queue.Dropped(), 1u);
    EXPECT_EQ(queue.Size(), CaptureQueue<Item>::kAudioLimit + 5);
}

TEST(CaptureQueue, PopIsFirstInFirstOutAndHandsOverOwnership) {
    auto releases = std::make_shared<int>(0);
    CaptureQueue<Item> queue;
    EXPECT_FALSE(queue.Pop().has_value());
    queue.PushVideo(Item(1, 1, releases));
    queue.PushAudio(Item(2, 2, releases));
    {
        std::optional<Item> head = queue.Pop();
        ASSERT_TRUE(head.has_value());
        EXPECT_EQ(head->id, 1);
        EXPECT_EQ(*releases, 0); // still owned by the taker
    }
    EXPECT_EQ(*releases, 1);
    EXPECT_EQ(queue.Pop()->id, 2);
    EXPECT_EQ(queue.Size(), 0u);
    EXPECT_EQ(*releases, 2);
}

TEST(CaptureQueue, ConcurrentProducersAndConsumerKeepTheBound) {
    auto releases = std::make_shared<int>(0);
    CaptureQueue<Item> queue;
    std::atomic<int> taken{0};
    std::atomic<bool> done{false};
    std::thread consumer([&] {
        while (!done || queue.Size() > 0) {
            if (queue.Pop()) {
                ++taken;
            }
        }
    });
    std::thread producer([&] {
        for (int i = 0; i < 2000; ++i) {
            queue.PushVideo(Item(1, i, nullptr));
            ASSERT_LE(queue.Size(), CaptureQueue<Item>::kLimit);
        }
    });
    producer.join();
    done = true;
    consumer.join();
    EXPECT_EQ(static_cast<uint64_t>(taken) + queue.Dropped(), 2000u);
}

TEST(CaptureQueue, WaitingConsumerGetsEveryItemAndEndsOnClose) {
    // The worker sleeps in WaitPop: every push must wake it (one item at a
    // time, so that it is asleep each time) and Close must end the wait.
    CaptureQueue<Item> queue;
    std::atomic<int> taken{0};
    std::atomic<bool> inOrder{true};
    std::thread consumer([&] {
        while (std::optional<Item> item = queue.WaitPop()) {
            inOrder = inOrder && item->id == taken;
            ++taken;
        }
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (int i = 0; i < 50; ++i) {
        queue.PushVideo(Item(1, i, nullptr));
        while (taken <= i && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
    }
    EXPECT_EQ(taken, 50) << "a push did not wake the waiting consumer";
    queue.Close();
    consumer.join();
    EXPECT_TRUE(inOrder);
    // Closed and empty: a timed wait answers at once.
    EXPECT_FALSE(queue.WaitPop(std::chrono::hours(1)).has_value());
}

TEST(CaptureQueue, CountIfCountsWaitingVideoSamplesBehindAudio) {
    // The worker skips drawing a picture only when newer camera samples wait.
    auto releases = std::make_shared<int>(0);
    CaptureQueue<Item> queue;
    auto isVideo = [](const Item& item) { return item.kind == 1; };
    EXPECT_EQ(queue.CountIf(isVideo), 0u);
    queue.PushAudio(Item(2, 1, releases));
    queue.PushVideo(Item(1, 2, releases));
    queue.PushAudio(Item(2, 3, releases));
    queue.PushVideo(Item(1, 4, releases));
    EXPECT_EQ(queue.CountIf(isVideo), 2u);
    queue.Pop();
    queue.Pop();
    EXPECT_EQ(queue.CountIf(isVideo), 1u);
    queue.Pop();
    queue.Pop();
    EXPECT_EQ(queue.CountIf(isVideo), 0u);
    EXPECT_EQ(*releases, 4);
}
