#include "app/CameraThread.h"

#include <objbase.h>

#include <algorithm>

#include "app/MessageWait.h"

CameraThread::CameraThread() {
    m_thread = std::thread([this] { Run(); });
}

CameraThread::~CameraThread() {
    if (m_thread.joinable()) {
        Stop(Task(), 5000);
    }
}

void CameraThread::Wake() {
    m_wake.Set();
}

void CameraThread::Post(Task task) {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_stopping) {
            return;
        }
        m_tasks.push_back(std::move(task));
    }
    Wake();
}

void CameraThread::PostDelayed(unsigned delayMs, Task task, unsigned key, bool keepFirst) {
    const uint64_t due = ::GetTickCount64() + delayMs;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_stopping) {
            return;
        }
        auto waiting = key == 0 ? m_delayed.end()
                                : std::find_if(m_delayed.begin(), m_delayed.end(),
                                               [key](const Delayed& d) { return d.key == key; });
        if (waiting != m_delayed.end()) {
            if (keepFirst) {
                return;
            }
            m_delayed.erase(waiting);
        }
        m_delayed.push_back(Delayed{due, key, std::move(task)});
    }
    Wake();
}

bool CameraThread::Waiting(unsigned key) {
    std::lock_guard<std::mutex> hold(m_lock);
    return std::any_of(m_delayed.begin(), m_delayed.end(),
                       [key](const Delayed& d) { return d.key == key; });
}

void CameraThread::SetPeriodic(unsigned periodMs, Task task) {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_periodic = std::move(task);
        m_periodMs = periodMs;
        m_nextTickMs = ::GetTickCount64() + periodMs;
    }
    Wake();
}

bool CameraThread::Idle() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_tasks.empty() && m_delayed.empty() && !m_busy;
}

bool CameraThread::TakeDue(Task& task, DWORD& waitMs) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_busy = false;
    if (!m_tasks.empty()) {
        task = std::move(m_tasks.front());
        m_tasks.pop_front();
        m_busy = true;
        return true;
    }
    const uint64_t now = ::GetTickCount64();
    uint64_t next = UINT64_MAX;
    // The earliest due first: tasks of one delay run in the order handed in.
    auto due = m_delayed.end();
    for (auto it = m_delayed.begin(); it != m_delayed.end(); ++it) {
        if (due == m_delayed.end() || it->dueMs < due->dueMs) {
            due = it;
        }
    }
    if (due != m_delayed.end() && due->dueMs <= now) {
        task = std::move(due->task);
        m_delayed.erase(due);
        m_busy = true;
        return true;
    }
    if (due != m_delayed.end()) {
        next = due->dueMs;
    }
    if (m_periodic && !m_stopping) {
        if (m_nextTickMs <= now) {
            m_nextTickMs = now + m_periodMs;
            task = m_periodic;
            return true;
        }
        next = std::min(next, m_nextTickMs);
    }
    if (m_stopping) {
        waitMs = 0;
        return false;
    }
    waitMs = next == UINT64_MAX ? INFINITE : static_cast<DWORD>(next - now);
    return false;
}

void CameraThread::Run() {
    m_threadId = ::GetCurrentThreadId();
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (;;) {
        Task task;
        DWORD waitMs = 0;
        if (TakeDue(task, waitMs)) {
            task();
            DispatchWaitingMessages();
            continue;
        }
        {
            std::lock_guard<std::mutex> hold(m_lock);
            if (m_stopping && m_tasks.empty()) {
                break;
            }
        }
        HANDLE wake = m_wake.Get();
        ::MsgWaitForMultipleObjects(1, &wake, FALSE, waitMs, QS_ALLINPUT);
        DispatchWaitingMessages();
    }
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_delayed.clear();
        m_periodic = Task();
        m_busy = false;
    }
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    m_ended.Set();
}

bool CameraThread::Stop(Task finalTask, unsigned waitMs) {
    if (!m_thread.joinable()) {
        // Joined before, or let go: then whether it has ended since.
        return m_ended.IsSet();
    }
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (!m_stopping) {
            if (finalTask) {
                m_tasks.push_back(std::move(finalTask));
            }
            m_delayed.clear();
            m_stopping = true;
        }
    }
    Wake();
    if (!WaitServingMessages(m_ended.Get(), waitMs)) {
        m_thread.detach();
        return false;
    }
    m_thread.join();
    return true;
}
