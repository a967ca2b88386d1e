#include "preview/ShortPause.h"

#include <mmsystem.h>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

ShortPause::ShortPause() {
    m_timer.Reset(::CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                           TIMER_ALL_ACCESS));
    if (!m_timer.Valid()) {
        // Older Windows: an ordinary timer, which ends on the system timer's ticks.
        m_finerPeriod = ::timeBeginPeriod(1) == TIMERR_NOERROR;
        m_timer.Reset(::CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS));
    }
}

ShortPause::~ShortPause() {
    if (m_finerPeriod) {
        ::timeEndPeriod(1);
    }
}

void ShortPause::Wait(std::chrono::microseconds duration) {
    LARGE_INTEGER due;
    // Relative, in 100 ns units.
    due.QuadPart = -10 * static_cast<LONGLONG>(duration.count());
    if (m_timer.Valid() && ::SetWaitableTimer(m_timer.Get(), &due, 0, nullptr, nullptr, FALSE)) {
        ::WaitForSingleObject(m_timer.Get(), 50);
    } else {
        ::Sleep(1);
    }
}
