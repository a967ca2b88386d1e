// CWindowBase: a window handle with a virtual window procedure. Subclasses
// name their class and handle messages; the base registers and creates.
#pragma once

#include <windows.h>

namespace Ui {

class CWindowBase {
public:
    CWindowBase() = default;
    virtual ~CWindowBase() = default;
    CWindowBase(const CWindowBase&) = delete;
    CWindowBase& operator=(const CWindowBase&) = delete;

    // Overridables, in this order.
    virtual const char* GetWndClassName() const = 0;
    virtual const char* GetSuperClassName() const;
    virtual UINT GetClassStyle() const;
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnFinalMessage(HWND hwnd);

    // Operations
    HWND GetHWND() const { return m_hwnd; }
    operator HWND() const { return m_hwnd; }
    HWND Create(HWND parent, const char* title, DWORD style, DWORD exStyle, int x = CW_USEDEFAULT,
                int y = CW_USEDEFAULT, int width = CW_USEDEFAULT, int height = CW_USEDEFAULT,
                HMENU menu = nullptr);
    void ShowWindow(bool show = true, bool takeFocus = true);
    void CenterWindow();
    void SetIcon(UINT resourceId);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void Close(UINT result = IDOK);

protected:
    bool RegisterWindowClass();
    bool RegisterSuperclass();
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
    WNDPROC m_previousProc = ::DefWindowProcA;
    bool m_subclassed = false;
};

} // namespace Ui
