// The turns of the preview's drawing against the window thread's changes.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "preview/DrawingGate.h"

using namespace std::chrono_literals;

TEST(DrawingGate, ChangesAndTurnsExcludeEachOtherAndALostReleaseExpires) {
    DrawingGate gate(300ms);

    // A change waits for the turn under way, and no turn begins during it.
    ASSERT_TRUE(gate.BeginTurn(0ms));
    std::atomic<bool> turnEnded{false};
    std::thread drawer([&] {
        std::this_thread::sleep_for(50ms);
        turnEnded = true;
        gate.EndTurn();
    });
    gate.Hold(5s);
    EXPECT_TRUE(turnEnded) << "the change went ahead while a turn was drawing";
    drawer.join();
    EXPECT_FALSE(gate.BeginTurn(20ms));

    // Nested holds: the turn waits for the last release, not the first.
    gate.Hold(0ms);
    gate.Release();
    EXPECT_FALSE(gate.BeginTurn(20ms));
    std::thread releaser([&] {
        std::this_thread::sleep_for(30ms);
        gate.Release();
    });
    EXPECT_TRUE(gate.BeginTurn(5s));
    releaser.join();
    gate.EndTurn();

    // A hold whose release never comes blocks turns for a while, not for good.
    gate.Hold(0ms);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(gate.BeginTurn(100ms));
    EXPECT_TRUE(gate.BeginTurn(5s));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    gate.EndTurn();
}
