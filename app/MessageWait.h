// Waiting without making a window stop answering: the thread's own messages
// are served while it waits.
#pragma once

#include <windows.h>

// Dispatches every message waiting for this thread; a WM_QUIT found on the
// way is posted again, so that the message loop still ends on it.
void DispatchWaitingMessages();
// Waits up to timeoutMs for handle to be set, dispatching this thread's
// messages meanwhile; true once it is set.
bool WaitServingMessages(HANDLE handle, DWORD timeoutMs);
// Serves this thread's messages until done() answers true or timeoutMs pass;
// answers done() at the end.
template <class Done> bool ServeMessagesUntil(Done done, DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (!done()) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= end) {
            return done();
        }
        const DWORD slice = static_cast<DWORD>(end - now < 10 ? end - now : 10);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, slice, QS_ALLINPUT);
        DispatchWaitingMessages();
    }
    return true;
}
