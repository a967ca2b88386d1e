#include "ui/WindowBase.h"

#include "ui/ResourceCache.h"

namespace Ui {

namespace {

int RoundUpTo16(int value) {
    return (value + 15) / 16 * 16;
}

} // namespace

const char* CWindowBase::GetSuperClassName() const {
    return nullptr;
}

UINT CWindowBase::GetClassStyle() const {
    return 0;
}

LRESULT CWindowBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcA(m_previousProc, m_hwnd, message, wParam, lParam);
}

void CWindowBase::OnFinalMessage(HWND) {}

bool CWindowBase::RegisterWindowClass() {
    WNDCLASSA wc{};
    wc.style = GetClassStyle();
    wc.lpfnWndProc = &CWindowBase::WindowProc;
    wc.hInstance = CResourceCache::GetInstance();
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = GetWndClassName();
    ATOM atom = ::RegisterClassA(&wc);
    return atom != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWindowBase::RegisterSuperclass() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    HINSTANCE instance = CResourceCache::GetInstance();
    if (!::GetClassInfoExA(nullptr, GetSuperClassName(), &wc) &&
        !::GetClassInfoExA(instance, GetSuperClassName(), &wc)) {
        return false;
    }
    m_previousProc = wc.lpfnWndProc;
    wc.lpfnWndProc = &CWindowBase::WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = GetWndClassName();
    ATOM atom = ::RegisterClassExA(&wc);
    return atom != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CWindowBase::Create(HWND parent, const char* title, DWORD style, DWORD exStyle, int x, int y,
                         int width, int height, HMENU menu) {
    bool registered = GetSuperClassName() != nullptr ? RegisterSuperclass() : RegisterWindowClass();
    if (!registered) {
        return nullptr;
    }
    m_hwnd = ::CreateWindowExA(exStyle, GetWndClassName(), title, style, x, y, width, height,
                               parent, menu, CResourceCache::GetInstance(), this);
    return m_hwnd;
}

void CWindowBase::ShowWindow(bool show, bool takeFocus) {
    if (!::IsWindow(m_hwnd)) {
        return;
    }
    ::ShowWindow(m_hwnd, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

void CWindowBase::CenterWindow() {
    if (!::IsWindow(m_hwnd)) {
        return;
    }
    RECT window{};
    ::GetWindowRect(m_hwnd, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(::MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT area = monitor.rcWork;

    RECT center = area;
    HWND owner = ::GetWindow(m_hwnd, GW_OWNER);
    if (owner != nullptr && !::IsIconic(owner)) {
        ::GetWindowRect(owner, &center);
    }
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    int left = (center.left + center.right) / 2 - width / 2;
    int top = (center.top + center.bottom) / 2 - height / 2;
    // Keep the window inside the work area; the top-left edge wins.
    if (left < area.left) {
        left = area.left;
    } else if (left + width > area.right) {
        left = area.right - width;
    }
    if (top < area.top) {
        top = area.top;
    } else if (top + height > area.bottom) {
        top = area.bottom - height;
    }
    ::SetWindowPos(m_hwnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowBase::SetIcon(UINT resourceId) {
    HINSTANCE instance = CResourceCache::GetInstance();
    int bigSize = RoundUpTo16(::GetSystemMetrics(SM_CXICON));
    int smallSize = RoundUpTo16(::GetSystemMetrics(SM_CXSMICON));
    HANDLE big = ::LoadImageA(instance, MAKEINTRESOURCEA(resourceId), IMAGE_ICON, bigSize,
                              RoundUpTo16(::GetSystemMetrics(SM_CYICON)), LR_DEFAULTCOLOR);
    HANDLE small = ::LoadImageA(instance, MAKEINTRESOURCEA(resourceId), IMAGE_ICON, smallSize,
                                RoundUpTo16(::GetSystemMetrics(SM_CYSMICON)), LR_DEFAULTCOLOR);
    ::SendMessageA(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    ::SendMessageA(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

LRESULT CWindowBase::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(m_hwnd, message, wParam, lParam);
}

LRESULT CWindowBase::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(m_hwnd, message, wParam, lParam);
}

void CWindowBase::Close(UINT result) {
    if (::IsWindow(m_hwnd)) {
        PostMessage(WM_CLOSE, result, 0);
    }
}

LRESULT CALLBACK CWindowBase::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWindowBase* self = nullptr;
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        self = static_cast<CWindowBase*>(create->lpCreateParams);
        if (self != nullptr) {
            self->m_hwnd = hwnd;
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    } else {
        self = reinterpret_cast<CWindowBase*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (message == WM_NCDESTROY && self != nullptr) {
            LRESULT result = ::CallWindowProcA(self->m_previousProc, hwnd, message, wParam, lParam);
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            if (self->m_subclassed) {
                ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC,
                                    reinterpret_cast<LONG_PTR>(self->m_previousProc));
                self->m_subclassed = false;
            }
            self->m_hwnd = nullptr;
            self->OnFinalMessage(hwnd);
            return result;
        }
    }
    if (self != nullptr) {
        return self->HandleMessage(message, wParam, lParam);
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace Ui
