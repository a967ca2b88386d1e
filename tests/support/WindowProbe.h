// How long a window keeps its user waiting: a thread sends it WM_NULL twenty times a second
// (SendMessageTimeout, 5 s) and keeps every wait for an answer. A wait that runs past the
// timeout goes on into the next probe, so a freeze of any length is measured whole. For the Wine
// tests (the window may belong to the test's own thread) and OrvanaWindowProbe.exe.
#pragma once

#include <windows.h>

#include <algorithm>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

#include "Core/HandleOwners.h"

namespace TestSupport {

class WindowProbe {
public:
    static constexpr DWORD kPeriodMs = 50;
    static constexpr UINT kTimeoutMs = 5000;

    // One wait for an answer; times in milliseconds since the probe started.
    struct Wait {
        double beganMs = -1;
        double lengthMs = 0;
        bool answered = true; // false: still waiting, or the window went away meanwhile
    };

    explicit WindowProbe(HWND window) : window_(window) {
        ::QueryPerformanceFrequency(&frequency_);
        ::QueryPerformanceCounter(&origin_);
        thread_ = std::thread([this] { Run(); });
    }
    ~WindowProbe() { Stop(); }
    WindowProbe(const WindowProbe&) = delete;
    WindowProbe& operator=(const WindowProbe&) = delete;

    // Ends the probing. On the window's own thread the probe's last message is answered
    // meanwhile, so this never waits out the timeout.
    void Stop() {
        if (!thread_.joinable()) {
            return;
        }
        stop_.Set();
        const bool windowThread = ended_.Valid() && ::GetWindowThreadProcessId(window_, nullptr) ==
                                                        ::GetCurrentThreadId();
        HANDLE ended = ended_.Get();
        while (windowThread && ::MsgWaitForMultipleObjects(1, &ended, FALSE, INFINITE,
                                                           QS_SENDMESSAGE) != WAIT_OBJECT_0) {
            MSG message;
            // Runs the sent messages only; posted ones stay queued for the caller.
            ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        thread_.join();
    }

    double NowMs() const {
        LARGE_INTEGER now;
        ::QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - origin_.QuadPart) * 1000.0 /
               static_cast<double>(frequency_.QuadPart);
    }

    // The longest wait that began in [fromMs, toMs), the one still under way included; a
    // beganMs of -1 when none began there.
    Wait Longest(double fromMs = 0, double toMs = std::numeric_limits<double>::infinity()) const {
        std::lock_guard<std::mutex> guard(lock_);
        Wait longest;
        auto consider = [&](const Wait& wait) {
            if (wait.beganMs >= fromMs && wait.beganMs < toMs &&
                (longest.beganMs < 0 || wait.lengthMs > longest.lengthMs)) {
                longest = wait;
            }
        };
        for (const Wait& wait : waits_) {
            consider(wait);
        }
        if (pendingSinceMs_ >= 0) {
            consider(Wait{pendingSinceMs_, NowMs() - pendingSinceMs_, false});
        }
        return longest;
    }

    // How long every answer has come within limitMs: since the end of the last longer wait,
    // else since the start; 0 while a wait longer than that is under way.
    double QuietForMs(double limitMs) const {
        std::lock_guard<std::mutex> guard(lock_);
        const double now = NowMs();
        if (pendingSinceMs_ >= 0 && now - pendingSinceMs_ > limitMs) {
            return 0;
        }
        double lastSlowEnd = 0;
        for (const Wait& wait : waits_) {
            if (wait.lengthMs > limitMs) {
                lastSlowEnd = std::max(lastSlowEnd, wait.beganMs + wait.lengthMs);
            }
        }
        return now - lastSlowEnd;
    }

    // Probes that began in [fromMs, toMs), and of them those that ran into the timeout.
    unsigned Probes(double fromMs = 0,
                    double toMs = std::numeric_limits<double>::infinity()) const {
        std::lock_guard<std::mutex> guard(lock_);
        return static_cast<unsigned>(std::count_if(sent_.begin(), sent_.end(), [&](double sent) {
            return sent >= fromMs && sent < toMs;
        }));
    }
    unsigned TimedOut() const {
        std::lock_guard<std::mutex> guard(lock_);
        return timedOut_;
    }

    // When a probe found the window gone (ms since the start), else -1; probing ends then.
    double GoneAtMs() const {
        std::lock_guard<std::mutex> guard(lock_);
        return goneAtMs_;
    }

private:
    void Run() {
        double waitBegan = -1; // a wait carried over from a probe that timed out
        for (;;) {
            const double sent = NowMs();
            if (waitBegan < 0) {
                waitBegan = sent;
            }
            {
                std::lock_guard<std::mutex> guard(lock_);
                sent_.push_back(sent);
                pendingSinceMs_ = waitBegan;
            }
            DWORD_PTR result = 0;
            const LRESULT answered =
                ::SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, kTimeoutMs, &result);
            const double done = NowMs();
            const bool gone = answered == 0 && !::IsWindow(window_);
            {
                std::lock_guard<std::mutex> guard(lock_);
                pendingSinceMs_ = -1;
                if (answered != 0 || gone) {
                    waits_.push_back(Wait{waitBegan, done - waitBegan, answered != 0});
                    waitBegan = -1;
                } else {
                    ++timedOut_;
                }
                if (gone) {
                    goneAtMs_ = done;
                }
            }
            if (gone) {
                break;
            }
            // A probe that timed out is followed at once; the others keep the period.
            const double next = answered != 0 ? sent + kPeriodMs : done;
            const DWORD pause = next > done ? static_cast<DWORD>(next - done) : 0;
            if (::WaitForSingleObject(stop_.Get(), pause) != WAIT_TIMEOUT) {
                break;
            }
        }
        ended_.Set();
    }

    const HWND window_;
    LARGE_INTEGER frequency_{};
    LARGE_INTEGER origin_{};
    EventHandle stop_{EventHandle::Reset::Manual};
    EventHandle ended_{EventHandle::Reset::Manual};
    mutable std::mutex lock_; // guards the five below
    std::vector<Wait> waits_;
    std::vector<double> sent_;
    double pendingSinceMs_ = -1;
    double goneAtMs_ = -1;
    unsigned timedOut_ = 0;
    std::thread thread_; // last: started once the rest is ready
};

} // namespace TestSupport
