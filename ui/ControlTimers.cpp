#include "ui/ControlTimers.h"

namespace Ui {

bool CControlTimers::Set(CControlUI* control, UINT id, UINT elapse) {
    if (control == nullptr || m_hwnd == nullptr) {
        return false;
    }
    for (ControlTimer& timer : m_timers) {
        if (timer.control == control && timer.id == id) {
            return ::SetTimer(m_hwnd, timer.windowTimer, elapse, nullptr) != 0;
        }
    }
    UINT_PTR windowTimer = m_nextTimer++;
    if (::SetTimer(m_hwnd, windowTimer, elapse, nullptr) == 0) {
        return false;
    }
    m_timers.push_back(ControlTimer{control, id, windowTimer});
    return true;
}

bool CControlTimers::Kill(CControlUI* control, UINT id) {
    for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
        if (it->control == control && it->id == id) {
            ::KillTimer(m_hwnd, it->windowTimer);
            m_timers.erase(it);
            return true;
        }
    }
    return false;
}

void CControlTimers::KillAll(CControlUI* control) {
    for (auto it = m_timers.begin(); it != m_timers.end();) {
        if (it->control == control) {
            ::KillTimer(m_hwnd, it->windowTimer);
            it = m_timers.erase(it);
        } else {
            ++it;
        }
    }
}

bool CControlTimers::Find(UINT_PTR windowTimer, CControlUI*& control, UINT& id) const {
    for (const ControlTimer& timer : m_timers) {
        if (timer.windowTimer == windowTimer) {
            control = timer.control;
            id = timer.id;
            return true;
        }
    }
    return false;
}

} // namespace Ui
