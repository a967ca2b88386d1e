// The one message pump of the test programs under Wine: windows, timers,
// COM's hidden windows and device notifications all need the thread's
// messages run while a test waits.
#pragma once

#include <windows.h>

namespace TestSupport {

// Runs the thread's queued messages, then keeps running them as they come
// for at least `milliseconds` (timers fire meanwhile). Like a program's
// message loop it stops at WM_QUIT and leaves it queued for the caller.
void Pump(DWORD milliseconds = 0);

// Runs the thread's messages until condition() holds; false when it has not
// after `milliseconds`. The condition is asked again every few milliseconds:
// what it watches is usually set on another thread without a message.
template <class Condition> bool WaitFor(Condition condition, DWORD milliseconds = 5000) {
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > milliseconds) {
            return false;
        }
        Pump(5);
    }
    return true;
}

} // namespace TestSupport
