#include "preview/WindowChangeHook.h"

#include <atomic>
#include <chrono>

#include "preview/DrawingGate.h"

namespace {

// Posted to the thread itself; taken from the queue only once the change
// that posted it has returned. Turned into WM_NULL when taken.
const UINT kChangeDoneMessage = ::RegisterWindowMessageA("OrvanaPreviewWindowChangeDone");

// Long enough for a frame's drawing to finish, short enough that a stalled
// driver does not freeze the window.
constexpr std::chrono::milliseconds kTurnWait{250};

std::atomic<unsigned> g_displayChanges{0};

LRESULT CALLBACK OnSentMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION &&
        reinterpret_cast<const CWPSTRUCT*>(lParam)->message == WM_DISPLAYCHANGE) {
        ++g_displayChanges;
    }
    if (code == HC_ACTION && kChangeDoneMessage != 0) {
        const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (sent->message == WM_WINDOWPOSCHANGING) {
            if (::PostThreadMessageA(::GetCurrentThreadId(), kChangeDoneMessage, 0, 0)) {
                PreviewDrawingGate().Hold(kTurnWait);
            }
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK OnTakenMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        MSG* taken = reinterpret_cast<MSG*>(lParam);
        if (taken->message == kChangeDoneMessage && taken->hwnd == nullptr &&
            kChangeDoneMessage != 0) {
            taken->message = WM_NULL;
            PreviewDrawingGate().Release();
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

unsigned DisplayChangesSeen() {
    return g_displayChanges;
}

bool WindowChangeHook::Install() {
    const DWORD thread = ::GetCurrentThreadId();
    m_sent = ::SetWindowsHookExA(WH_CALLWNDPROC, OnSentMessage, nullptr, thread);
    m_taken = ::SetWindowsHookExA(WH_GETMESSAGE, OnTakenMessage, nullptr, thread);
    return m_sent != nullptr && m_taken != nullptr;
}

WindowChangeHook::~WindowChangeHook() {
    if (m_sent != nullptr) {
        ::UnhookWindowsHookEx(m_sent);
    }
    if (m_taken != nullptr) {
        ::UnhookWindowsHookEx(m_taken);
    }
}
