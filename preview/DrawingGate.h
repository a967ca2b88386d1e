// DrawingGate: keeps the live preview's drawing apart from the window
// thread's changes of a window's place, size or visibility. Under Wine the
// window thread holds the X display's lock through such a change while it
// waits for the X server's answer, and an X error met by the drawing thread
// waits for that same lock: both would wait for good. The drawing thread
// therefore draws in turns, each complete (not merely queued) before it
// ends, and the window thread holds new turns off while it changes windows.
// Neither side ever waits without bound.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

class DrawingGate {
public:
    using Clock = std::chrono::steady_clock;

    // A hold whose release never came (the change's closing step lost with
    // its thread) stops blocking turns once nothing has been held or released
    // for staleAfter.
    explicit DrawingGate(std::chrono::milliseconds staleAfter = std::chrono::milliseconds(1000))
        : m_staleAfter(staleAfter) {}
    DrawingGate(const DrawingGate&) = delete;
    DrawingGate& operator=(const DrawingGate&) = delete;

    // Drawing thread. True when a turn begins; false when a change went on
    // for all of `wait`, and the caller skips this picture.
    bool BeginTurn(std::chrono::milliseconds wait);
    void EndTurn();

    // Window thread. Holds off new turns and waits, at most `wait`, for the
    // turn under way to end. Holds nest; each is released once.
    void Hold(std::chrono::milliseconds wait);
    void Release();
    // The longest a Hold has waited for a turn to end since the last call:
    // what the drawing costs the window thread's changes.
    std::chrono::microseconds TakeLongestHoldWait();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    const std::chrono::milliseconds m_staleAfter;
    int m_holds = 0;
    bool m_drawing = false;
    Clock::time_point m_lastHoldChange{};
    std::chrono::microseconds m_longestHoldWait{0};
};

// The process's one gate, shared by the preview and the window thread's hook.
DrawingGate& PreviewDrawingGate();
