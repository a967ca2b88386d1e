// The bounded queue between the camera and audio producers and the worker.
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "capture/CaptureQueue.h"

namespace {

// Stands in for a queued sample: owns a buffer and counts its own release.
struct Item {
    int kind = 1;
    int id = 0;
    std::unique_ptr<int> buffer;
    std::shared_ptr<int> releases;
    Item(int k, int i, std::shared_ptr<int> counter)
        : kind(k), id(i), buffer(new int(i)), releases(std::move(counter)) {}
    Item(Item&&) = default;
    Item& operator=(Item&&) = default;
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

TEST(CaptureQueue, AudioNeverTrimsButAVideoAppendDropsOldestOfEitherKind) {
    auto releases = std::make_shared<int>(0);
    CaptureQueue<Item> queue;
    for (int i = 1; i <= 7; ++i) {
        queue.PushAudio(Item(2, i, releases));
    }
    EXPECT_EQ(queue.Size(), 7u);
    EXPECT_EQ(*releases, 0);
    EXPECT_EQ(queue.PushVideo(Item(1, 8, releases)), 3u);
    EXPECT_EQ(Ids(queue), (std::vector<int>{4, 5, 6, 7, 8}));
    EXPECT_EQ(*releases, 3);
    EXPECT_EQ(queue.Dropped(), 3u);
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
