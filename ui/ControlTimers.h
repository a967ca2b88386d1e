// CControlTimers: the timers of a window's controls. Each (control, id) pair
// gets a window timer of its own, numbered from 0x1000 so that the program's
// own timer ids stay free; a tick is mapped back to the control and its id.
#pragma once

#include <windows.h>

#include <vector>

namespace Ui {

class CControlUI;

class CControlTimers {
public:
    // The window the timers run on; none can be set without one.
    void Bind(HWND hwnd) { m_hwnd = hwnd; }
    // Starts the control's timer, or restarts it with the new interval.
    bool Set(CControlUI* control, UINT id, UINT elapse);
    bool Kill(CControlUI* control, UINT id);
    void KillAll(CControlUI* control);
    // The control and its id behind a window timer; false when it is not one of these.
    bool Find(UINT_PTR windowTimer, CControlUI*& control, UINT& id) const;

private:
    struct ControlTimer {
        CControlUI* control;
        UINT id;
        UINT_PTR windowTimer;
    };

    HWND m_hwnd = nullptr;
    std::vector<ControlTimer> m_timers;
    UINT_PTR m_nextTimer = 0x1000;
};

} // namespace Ui
