// CameraThread: a thread with a single-threaded COM apartment of its own and
// a message loop, which runs the tasks it is handed one after another, at
// once or after a delay. Camera drivers take seconds to start and tens of
// milliseconds per property call; on this thread they never hold the window.
// DirectShow needs the message loop: its graphs and filters post to the
// threads that made them.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "Core/HandleOwners.h"

class CameraThread {
public:
    using Task = std::function<void()>;

    CameraThread();
    // Ends the thread (see Stop) when it still runs.
    ~CameraThread();
    CameraThread(const CameraThread&) = delete;
    CameraThread& operator=(const CameraThread&) = delete;

    // Runs task on the thread after the tasks handed in before it.
    void Post(Task task);
    // Runs task on the thread once delayMs have passed (and the tasks before
    // it are done). A later call with the same non-zero key replaces a task
    // of that key still waiting, so a burst of the same request runs once,
    // after the last one's delay; keepFirst keeps the waiting one instead,
    // so the burst runs once after the first one's delay.
    void PostDelayed(unsigned delayMs, Task task, unsigned key = 0, bool keepFirst = false);
    // Whether a delayed task of that key waits.
    bool Waiting(unsigned key);
    // Runs every tick the periodic task on the thread, between other tasks.
    void SetPeriodic(unsigned periodMs, Task task);

    // No task runs or waits (the periodic one aside).
    bool Idle();
    // True on the thread itself.
    bool OnThread() const { return ::GetCurrentThreadId() == m_threadId.load(); }

    // Runs finalTask (may be empty) after everything handed in before it,
    // drops what waits with a delay, and lets the thread end. Waits up to
    // waitMs for the end, serving the calling thread's own messages
    // meanwhile so that its windows keep answering; true once it has ended
    // (then joined). A thread that does not end in time (a driver that
    // hangs) is let go: it holds nothing the process frees before it exits.
    bool Stop(Task finalTask, unsigned waitMs);

private:
    struct Delayed {
        uint64_t dueMs;
        unsigned key;
        Task task;
    };

    void Run();
    // The next task due now, or none; the wait until the next one otherwise.
    bool TakeDue(Task& task, DWORD& waitMs);
    void Wake();

    std::mutex m_lock; // guards the four below
    std::deque<Task> m_tasks;
    std::vector<Delayed> m_delayed;
    bool m_stopping = false;
    bool m_busy = false;
    Task m_periodic;
    unsigned m_periodMs = 0;
    uint64_t m_nextTickMs = 0;
    EventHandle m_wake{EventHandle::Reset::Automatic};
    EventHandle m_ended{EventHandle::Reset::Manual};
    std::atomic<DWORD> m_threadId{0};
    std::thread m_thread;
};
