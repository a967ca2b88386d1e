#include "preview/DrawingGate.h"

#include <algorithm>

bool DrawingGate::BeginTurn(std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> lock(m_mutex);
    const Clock::time_point deadline = Clock::now() + wait;
    while (m_holds > 0) {
        const Clock::time_point stale = m_lastHoldChange + m_staleAfter;
        const Clock::time_point now = Clock::now();
        if (now >= stale) {
            m_holds = 0;
            break;
        }
        if (now >= deadline) {
            return false;
        }
        m_changed.wait_until(lock, stale < deadline ? stale : deadline);
    }
    m_drawing = true;
    return true;
}

void DrawingGate::EndTurn() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_drawing = false;
    }
    m_changed.notify_all();
}

void DrawingGate::Hold(std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> lock(m_mutex);
    ++m_holds;
    m_lastHoldChange = Clock::now();
    // A turn that overruns (a driver that stalls) is not waited for further:
    // the window thread must stay responsive.
    const Clock::time_point start = m_lastHoldChange;
    m_changed.wait_for(lock, wait, [this] { return !m_drawing; });
    m_longestHoldWait =
        std::max(m_longestHoldWait,
                 std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start));
}

std::chrono::microseconds DrawingGate::TakeLongestHoldWait() {
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::chrono::microseconds longest = m_longestHoldWait;
    m_longestHoldWait = std::chrono::microseconds(0);
    return longest;
}

void DrawingGate::Release() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_holds > 0) {
            --m_holds;
        }
        m_lastHoldChange = Clock::now();
    }
    m_changed.notify_all();
}

DrawingGate& PreviewDrawingGate() {
    static DrawingGate gate;
    return gate;
}
