// ShortPause: pauses of a fraction of a millisecond between the drawing
// thread's looks at whether Direct3D has drawn. Sleep(1) lasts until the
// timer's next tick, 15.6 ms at Windows' default resolution, which would add
// that to every picture and to every window change that waits for a drawing
// turn; looking without pauses would keep a core busy for nothing. A
// high-resolution waitable timer (Windows 10 1803 on) waits about what is
// asked and leaves the system's timer alone. Where there is none, the
// system's timer runs at 1 ms (timeBeginPeriod) for as long as the object
// lives, which its owner keeps to the time it draws.
#pragma once

#include <windows.h>

#include <chrono>

#include "Core/HandleOwners.h"

class ShortPause {
public:
    ShortPause();
    ~ShortPause();
    ShortPause(const ShortPause&) = delete;
    ShortPause& operator=(const ShortPause&) = delete;

    void Wait(std::chrono::microseconds duration);

private:
    UniqueHandle m_timer;
    bool m_finerPeriod = false;
};
