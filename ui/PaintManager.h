// CPaintManager: one per window. Owns the control tree, turns window
// messages into control events, lays out and paints the tree, keeps the
// window's skin settings and its resource cache, and delivers notifications
// to the program.
#pragma once

#include <windows.h>

#include <map>
#include <vector>

#include "ui/ControlTimers.h"
#include "ui/GdiOwners.h"
#include "ui/NotifyEvent.h"
#include "ui/ResourceCache.h"
#include "ui/UiEvent.h"
#include "ui/UiString.h"

namespace Ui {

class CControlUI;

class CPaintManager {
public:
    // Message used to deliver queued asynchronous notifications.
    static constexpr UINT kAsyncNotifyMessage = WM_APP + 1;

    CPaintManager();
    ~CPaintManager();
    CPaintManager(const CPaintManager&) = delete;
    CPaintManager& operator=(const CPaintManager&) = delete;

    // Fonts, images and default attribute lists of this window.
    CResourceCache& GetResources() { return m_resources; }
    const CResourceCache& GetResources() const { return m_resources; }

    // Window binding
    void Init(HWND hwnd, const char* name = nullptr);
    HWND GetPaintWindow() const { return m_hwnd; }
    HDC GetPaintDC() const { return m_paintDC.Get(); }
    POINT GetMousePos() const { return m_lastMousePos; }

    // Control tree
    bool AttachDialog(CControlUI* root);
    CControlUI* GetRoot() const { return m_root; }
    // Binds a control (and its children) to this manager and enters its names.
    bool InitControls(CControlUI* control, CControlUI* parent = nullptr);
    // Forgets a control that is being destroyed.
    void ReapObject(CControlUI* control);
    CControlUI* FindControl(const char* name) const;
    CControlUI* FindControl(POINT point) const;

    // Focus and capture
    CControlUI* GetFocus() const { return m_focus; }
    void SetFocus(CControlUI* control);
    bool SetNextTabControl(bool forward = true);
    void SetCapture();
    void ReleaseCapture();

    // Timers of controls: each tick reaches the control as a timer event.
    bool SetTimer(CControlUI* control, UINT id, UINT elapse);
    bool KillTimer(CControlUI* control, UINT id);
    void KillTimers(CControlUI* control);

    // Layout and painting
    void Invalidate(const RECT& rect);
    void NeedUpdate() { m_updateNeeded = true; }
    const RECT& GetPaintRect() const { return m_paintRect; }

    // Skin settings of the window
    SIZE GetInitSize() const { return m_initSize; }
    void SetInitSize(int width, int height);
    const RECT& GetCaptionRect() const { return m_captionRect; }
    void SetCaptionRect(const RECT& rect) { m_captionRect = rect; }
    const RECT& GetSizeBox() const { return m_sizeBox; }
    void SetSizeBox(const RECT& rect) { m_sizeBox = rect; }
    SIZE GetRoundCorner() const { return m_roundCorner; }
    void SetRoundCorner(int cx, int cy) { m_roundCorner = SIZE{cx, cy}; }
    SIZE GetMinInfo() const { return m_minInfo; }
    void SetMinInfo(int cx, int cy);
    SIZE GetMaxInfo() const { return m_maxInfo; }
    void SetMaxInfo(int cx, int cy);
    bool IsShowUpdateRect() const { return m_showUpdateRect; }
    BYTE GetOpacity() const { return m_opacity; }
    void SetOpacity(BYTE opacity);
    // Applies one attribute of the skin's root "Window" element.
    void SetWindowAttribute(const char* name, const char* value);
    const char* GetWindowCustomAttribute(const char* name) const;

    // Default colours
    DWORD GetDefaultFontColor() const { return m_defaultFontColor; }
    DWORD GetDefaultDisabledColor() const { return m_defaultDisabledColor; }
    DWORD GetDefaultLinkFontColor() const { return m_defaultLinkFontColor; }
    DWORD GetDefaultLinkHoverFontColor() const { return m_defaultLinkHoverFontColor; }
    DWORD GetDefaultSelectedBkColor() const { return m_defaultSelectedBkColor; }

    // Notifications
    bool AddNotifier(INotifyListener* listener);
    void SendNotify(CNotifyEvent& event, bool async = false, bool allowRepeat = true);
    void SendNotify(CControlUI* sender, const char* type, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool async = false, bool allowRepeat = true);

    // Message handling
    bool MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    static bool TranslateMessage(const MSG* message);
    static int MessageLoop();

private:
    // Keyboard messages taken before translation and dispatch: Tab, Alt keys.
    bool PreMessageHandler(UINT message, WPARAM wParam, LPARAM lParam);
    void Layout();
    void Paint();
    void DeliverQueuedNotifications();
    // Raises the event on its sender, then tells every listener.
    void Deliver(CNotifyEvent& event);
    void SendEvent(CControlUI* control, UiEvent type, POINT point, WPARAM wParam = 0,
                   LPARAM lParam = 0, char key = 0);
    void SetHot(CControlUI* control, POINT point);
    // The control of this manager under a mouse press, after focusing the window.
    CControlUI* ControlPressedAt(LPARAM lParam, POINT& point);

    // One handler per window message.
    bool OnAsyncNotify(LRESULT& result);
    bool OnClose();
    bool OnPaint(LRESULT& result);
    bool OnPrintClient(HDC dc, LRESULT& result);
    bool OnGetMinMaxInfo(MINMAXINFO* info);
    bool OnSize(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnMouseMove(WPARAM wParam, LPARAM lParam);
    bool OnMouseLeave();
    bool OnLButtonDown(WPARAM wParam, LPARAM lParam);
    bool OnLButtonDblClk(WPARAM wParam, LPARAM lParam);
    bool OnLButtonUp(WPARAM wParam, LPARAM lParam);
    bool OnRButtonDown(WPARAM wParam, LPARAM lParam);
    bool OnMouseWheel(WPARAM wParam, LPARAM lParam);
    bool OnSetCursor(WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Key messages go to the focused control.
    bool OnFocusKey(UiEvent type, WPARAM wParam, LPARAM lParam, char key);
    bool OnTimer(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnSysChar(WPARAM wParam);

    HWND m_hwnd = nullptr;
    WindowDC m_paintDC;
    CUiString m_name;
    CControlUI* m_root = nullptr;
    CControlUI* m_focus = nullptr;
    CControlUI* m_hot = nullptr;
    CControlUI* m_click = nullptr;
    bool m_updateNeeded = false;
    bool m_firstLayout = true;
    bool m_mouseTracking = false;
    bool m_mouseCaptured = false;
    bool m_showUpdateRect = false;
    bool m_noActivate = false;
    BYTE m_opacity = 255;
    POINT m_lastMousePos{-1, -1};
    RECT m_paintRect{};

    SIZE m_initSize{};
    RECT m_captionRect{};
    RECT m_sizeBox{};
    SIZE m_roundCorner{};
    SIZE m_minInfo{};
    SIZE m_maxInfo{};
    std::map<CUiString, CUiString> m_windowCustomAttributes;

    DWORD m_defaultFontColor = 0xFF000000;
    DWORD m_defaultDisabledColor = 0xFFA7A6AA;
    DWORD m_defaultLinkFontColor = 0xFF0000FF;
    DWORD m_defaultLinkHoverFontColor = 0xFFD3215F;
    DWORD m_defaultSelectedBkColor = 0xFFBAE4FF;

    std::map<CUiString, CControlUI*> m_names;
    std::vector<INotifyListener*> m_notifiers;
    std::vector<CNotifyEvent> m_asyncNotify;
    CControlTimers m_timers;

    CResourceCache m_resources;
};

} // namespace Ui
