#include "tests/support/MessagePump.h"

namespace TestSupport {

namespace {

// Runs what is queued now; false when WM_QUIT came, which is queued again.
bool RunQueuedMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return true;
}

} // namespace

void Pump(DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    while (RunQueuedMessages()) {
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= milliseconds) {
            return;
        }
        // Sleeps until a message (posted, sent, input or timer) arrives or the time is up.
        ::MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds - elapsed, QS_ALLINPUT,
                                      MWMO_INPUTAVAILABLE);
    }
}

} // namespace TestSupport
