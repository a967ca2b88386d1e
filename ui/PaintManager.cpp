#include "ui/PaintManager.h"

#include <windowsx.h>

#include <algorithm>

#include "ui/AttributeTable.h"
#include "ui/AttributeValues.h"
#include "ui/ControlUI.h"
#include "ui/WinGeometry.h"

namespace Ui {

namespace {

// Managers that take part in message pre-translation, in order of enrolment.
// Never destroyed: the main window, a static of the entry function made
// before this list, leaves it from its destructor at process exit, when a
// list destroyed in reverse order of construction would already be gone.
std::vector<CPaintManager*>& PreTranslateManagers() {
    static auto* managers = new std::vector<CPaintManager*>();
    return *managers;
}

// The root element's attribute names are compared without regard to case.
bool IsWindowAttributeName(const char* name, const char* key) {
    return _stricmp(name, key) == 0;
}

// Appends an item once; false for null or an item already present.
template <class T> bool AddOnce(std::vector<T*>& items, T* item) {
    if (item == nullptr || std::find(items.begin(), items.end(), item) != items.end()) {
        return false;
    }
    items.push_back(item);
    return true;
}

// Off-screen bitmap the size of the client area; painted then copied.
class OffscreenBuffer {
public:
    OffscreenBuffer(HDC target, int width, int height)
        : m_bitmap(::CreateCompatibleBitmap(target, width, height)), m_dc(target, m_bitmap) {}
    HDC dc() const { return m_dc.Get(); }
    bool ok() const { return m_dc.Get() != nullptr && m_bitmap != nullptr; }

private:
    UniqueBitmap m_bitmap; // deleted after the DC has given it back
    MemoryDC m_dc;
};

} // namespace

CPaintManager::CPaintManager() = default;

CPaintManager::~CPaintManager() {
    auto& managers = PreTranslateManagers();
    managers.erase(std::remove(managers.begin(), managers.end(), this), managers.end());
    CControlUI* root = m_root;
    m_root = nullptr;
    delete root;
    m_paintDC.Reset(nullptr);
}

// --- window binding and the tree ------------------------------------------

void CPaintManager::Init(HWND hwnd, const char* name) {
    m_names.clear();
    m_asyncNotify.clear();
    m_hot = m_click = m_focus = nullptr;
    m_name = name;
    if (m_hwnd != hwnd) {
        m_hwnd = hwnd;
        m_paintDC.Reset(hwnd);
        m_resources.SetMeasureDC(m_paintDC.Get());
    }
    m_timers.Bind(hwnd);
    auto& managers = PreTranslateManagers();
    if (std::find(managers.begin(), managers.end(), this) == managers.end()) {
        managers.push_back(this);
    }
}

bool CPaintManager::AttachDialog(CControlUI* root) {
    if (root == nullptr) {
        return false;
    }
    ::SetFocus(nullptr);
    m_hot = m_click = m_focus = nullptr;
    m_asyncNotify.clear();
    if (m_root != nullptr && m_root != root) {
        CControlUI* old = m_root;
        m_root = nullptr;
        delete old;
    }
    m_names.clear();
    m_root = root;
    m_updateNeeded = true;
    m_firstLayout = true;
    return InitControls(root, nullptr);
}

bool CPaintManager::InitControls(CControlUI* control, CControlUI* parent) {
    if (control == nullptr) {
        return false;
    }
    control->SetManager(this, parent != nullptr ? parent : control->GetParent(), true);
    control->ForEach([this](CControlUI* each) {
        if (!each->GetName().IsEmpty()) {
            // A later control with the same name replaces an earlier one.
            m_names[each->GetName()] = each;
        }
    });
    return true;
}

void CPaintManager::ReapObject(CControlUI* control) {
    KillTimers(control);
    if (control == m_hot) {
        m_hot = nullptr;
    }
    if (control == m_click) {
        m_click = nullptr;
        if (m_mouseCaptured) {
            ReleaseCapture();
        }
    }
    if (control == m_focus) {
        m_focus = nullptr;
    }
    if (!control->GetName().IsEmpty()) {
        auto found = m_names.find(control->GetName());
        if (found != m_names.end() && found->second == control) {
            m_names.erase(found);
        }
    }
    m_asyncNotify.erase(
        std::remove_if(m_asyncNotify.begin(), m_asyncNotify.end(),
                       [control](const CNotifyEvent& e) { return e.sender == control; }),
        m_asyncNotify.end());
}

CControlUI* CPaintManager::FindControl(const char* name) const {
    if (name == nullptr) {
        return nullptr;
    }
    auto found = m_names.find(CUiString(name));
    return found == m_names.end() ? nullptr : found->second;
}

CControlUI* CPaintManager::FindControl(POINT point) const {
    return m_root != nullptr ? m_root->FindControlAt(point) : nullptr;
}

// --- focus and capture -----------------------------------------------------

void CPaintManager::SetFocus(CControlUI* control) {
    HWND focusWindow = ::GetFocus();
    if (focusWindow != m_hwnd && control != m_focus && !m_noActivate) {
        ::SetFocus(m_hwnd);
    }
    if (control == m_focus) {
        return;
    }
    if (m_focus != nullptr) {
        CControlUI* old = m_focus;
        m_focus = nullptr;
        SendEvent(old, UiEvent::KillFocus, m_lastMousePos);
        SendNotify(old, "killfocus");
    }
    if (control != nullptr && control->GetManager() == this && control->IsVisible() &&
        control->IsEnabled()) {
        m_focus = control;
        SendEvent(control, UiEvent::SetFocus, m_lastMousePos);
        SendNotify(control, "setfocus");
    }
}

bool CPaintManager::SetNextTabControl(bool forward) {
    if (m_root == nullptr) {
        return false;
    }
    std::vector<CControlUI*> order;
    m_root->ForEach([&order](CControlUI* control) {
        if (control->IsVisible() && control->IsEnabled() && control->IsKeyboardEnabled() &&
            (control->GetInterface("Container") == nullptr ||
             control->GetInterface("Combo") != nullptr)) {
            order.push_back(control);
        }
    });
    if (order.empty()) {
        return false;
    }
    auto current = std::find(order.begin(), order.end(), m_focus);
    CControlUI* next = nullptr;
    if (current == order.end()) {
        next = forward ? order.front() : order.back();
    } else if (forward) {
        next = (current + 1 == order.end()) ? order.front() : *(current + 1);
    } else {
        next = (current == order.begin()) ? order.back() : *(current - 1);
    }
    SetFocus(next);
    return true;
}

void CPaintManager::SetCapture() {
    ::SetCapture(m_hwnd);
    m_mouseCaptured = true;
}

void CPaintManager::ReleaseCapture() {
    ::ReleaseCapture();
    m_mouseCaptured = false;
}

// --- timers ----------------------------------------------------------------

bool CPaintManager::SetTimer(CControlUI* control, UINT id, UINT elapse) {
    return m_timers.Set(control, id, elapse);
}

bool CPaintManager::KillTimer(CControlUI* control, UINT id) {
    return m_timers.Kill(control, id);
}

void CPaintManager::KillTimers(CControlUI* control) {
    m_timers.KillAll(control);
}

// --- layout and painting ---------------------------------------------------

void CPaintManager::Invalidate(const RECT& rect) {
    if (m_hwnd != nullptr) {
        ::InvalidateRect(m_hwnd, &rect, FALSE);
    }
}

void CPaintManager::Layout() {
    RECT client{};
    ::GetClientRect(m_hwnd, &client);
    if (::IsRectEmpty(&client)) {
        return;
    }
    m_updateNeeded = false;
    if (m_root->IsUpdateNeeded()) {
        m_root->SetPos(client, true);
    } else {
        std::vector<CControlUI*> pending;
        m_root->ForEach([&pending](CControlUI* control) {
            if (control->IsUpdateNeeded() && control->IsVisible()) {
                pending.push_back(control);
            }
        });
        for (CControlUI* control : pending) {
            control->SetPos(control->GetPos(), true);
        }
    }
    if (m_firstLayout) {
        m_firstLayout = false;
        SendNotify(m_root, "windowinit");
    }
}

void CPaintManager::Paint() {
    if (m_root == nullptr) {
        PAINTSTRUCT ps;
        ::BeginPaint(m_hwnd, &ps);
        ::EndPaint(m_hwnd, &ps);
        return;
    }
    if (m_updateNeeded) {
        Layout();
    }
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hwnd, &ps);
    RECT client{};
    ::GetClientRect(m_hwnd, &client);
    OffscreenBuffer buffer(dc, client.right - client.left, client.bottom - client.top);
    m_paintRect = ps.rcPaint;
    if (buffer.ok()) {
        m_root->DoPaint(buffer.dc(), ps.rcPaint);
        ::BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                 ps.rcPaint.bottom - ps.rcPaint.top, buffer.dc(), ps.rcPaint.left, ps.rcPaint.top,
                 SRCCOPY);
    } else {
        m_root->DoPaint(dc, ps.rcPaint);
    }
    ::EndPaint(m_hwnd, &ps);
}

// --- skin settings ---------------------------------------------------------

void CPaintManager::SetInitSize(int width, int height) {
    m_initSize = SIZE{width, height};
    if (m_root == nullptr && m_hwnd != nullptr) {
        ::SetWindowPos(m_hwnd, nullptr, 0, 0, width, height,
                       SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }
}

void CPaintManager::SetMinInfo(int cx, int cy) {
    if (cx >= 0 && cy >= 0) {
        m_minInfo = SIZE{cx, cy};
    }
}

void CPaintManager::SetMaxInfo(int cx, int cy) {
    if (cx >= 0 && cy >= 0) {
        m_maxInfo = SIZE{cx, cy};
    }
}

void CPaintManager::SetOpacity(BYTE opacity) {
    m_opacity = opacity;
}

void CPaintManager::SetWindowAttribute(const char* name, const char* value) {
    using Self = CPaintManager;
    auto setOpacity = [](Self& m, const char* v) {
        int opacity = ParseInt(v);
        m.SetOpacity(static_cast<BYTE>(opacity < 0 ? 0 : (opacity > 255 ? 255 : opacity)));
    };
    static const AttributeSetter<Self> kAttributes[] = {
        {"size",
         [](Self& m, const char* v) {
             SIZE size = ToSIZE(ParseSize(v));
             m.SetInitSize(size.cx, size.cy);
         }},
        {"caption", [](Self& m, const char* v) { m.SetCaptionRect(ToRECT(ParseRect(v))); }},
        {"sizebox", [](Self& m, const char* v) { m.SetSizeBox(ToRECT(ParseRect(v))); }},
        {"roundcorner",
         [](Self& m, const char* v) {
             SIZE size = ToSIZE(ParseSize(v));
             m.SetRoundCorner(size.cx, size.cy);
         }},
        {"mininfo",
         [](Self& m, const char* v) {
             SIZE size = ToSIZE(ParseSize(v));
             m.SetMinInfo(size.cx, size.cy);
         }},
        {"maxinfo",
         [](Self& m, const char* v) {
             SIZE size = ToSIZE(ParseSize(v));
             m.SetMaxInfo(size.cx, size.cy);
         }},
        {"showdirty", [](Self& m, const char* v) { m.m_showUpdateRect = ParseBool(v); }},
        {"noactivate", [](Self& m, const char* v) { m.m_noActivate = ParseBool(v); }},
        {"opacity", setOpacity},
        {"layeredopacity", setOpacity},
        {"defaultfontcolor", [](Self& m, const char* v) { m.m_defaultFontColor = ParseColor(v); }},
        {"disabledfontcolor",
         [](Self& m, const char* v) { m.m_defaultDisabledColor = ParseColor(v); }},
        {"linkfontcolor", [](Self& m, const char* v) { m.m_defaultLinkFontColor = ParseColor(v); }},
        {"linkhoverfontcolor",
         [](Self& m, const char* v) { m.m_defaultLinkHoverFontColor = ParseColor(v); }},
        {"selectedcolor",
         [](Self& m, const char* v) { m.m_defaultSelectedBkColor = ParseColor(v); }},
    };
    if (!ApplyAttribute(kAttributes, *this, name, value, IsWindowAttributeName)) {
        m_windowCustomAttributes[CUiString(name)] = value;
    }
}

const char* CPaintManager::GetWindowCustomAttribute(const char* name) const {
    auto found = m_windowCustomAttributes.find(CUiString(name));
    return found == m_windowCustomAttributes.end() ? nullptr : found->second.GetData();
}

// --- notifications ---------------------------------------------------------

bool CPaintManager::AddNotifier(INotifyListener* listener) {
    return AddOnce(m_notifiers, listener);
}

void CPaintManager::SendNotify(CControlUI* sender, const char* type, WPARAM wParam, LPARAM lParam,
                               bool async, bool allowRepeat) {
    CNotifyEvent event;
    event.type = type;
    event.sender = sender;
    event.wParam = wParam;
    event.lParam = lParam;
    SendNotify(event, async, allowRepeat);
}

void CPaintManager::SendNotify(CNotifyEvent& event, bool async, bool allowRepeat) {
    event.mousePoint = m_lastMousePos;
    event.timestamp = ::GetTickCount();
    if (!async) {
        Deliver(event);
        return;
    }
    if (!allowRepeat) {
        for (CNotifyEvent& queued : m_asyncNotify) {
            if (queued.sender == event.sender && queued.type == event.type) {
                queued = event;
                return;
            }
        }
    }
    m_asyncNotify.push_back(event);
    if (m_hwnd != nullptr) {
        ::PostMessageA(m_hwnd, kAsyncNotifyMessage, 0, 0);
    }
}

void CPaintManager::DeliverQueuedNotifications() {
    std::vector<CNotifyEvent> queue;
    queue.swap(m_asyncNotify);
    for (CNotifyEvent& event : queue) {
        Deliver(event);
    }
}

void CPaintManager::Deliver(CNotifyEvent& event) {
    if (event.sender != nullptr) {
        event.sender->OnNotify.Raise(&event);
    }
    // A listener may add others while being called.
    std::vector<INotifyListener*> listeners = m_notifiers;
    for (INotifyListener* listener : listeners) {
        listener->Notify(event);
    }
}

// --- messages --------------------------------------------------------------

void CPaintManager::SendEvent(CControlUI* control, UiEvent type, POINT point, WPARAM wParam,
                              LPARAM lParam, char key) {
    if (control == nullptr) {
        return;
    }
    TEventUI event;
    event.type = type;
    event.sender = control;
    event.timestamp = ::GetTickCount();
    event.mouse = point;
    event.wParam = wParam;
    event.lParam = lParam;
    event.keyState = static_cast<WORD>(wParam);
    event.key = key;
    control->Event(event);
}

void CPaintManager::SetHot(CControlUI* control, POINT point) {
    if (control == m_hot) {
        return;
    }
    CControlUI* old = m_hot;
    m_hot = control;
    SendEvent(old, UiEvent::MouseLeave, point);
    SendEvent(m_hot, UiEvent::MouseEnter, point);
}

CControlUI* CPaintManager::ControlPressedAt(LPARAM lParam, POINT& point) {
    // A press activates the window first, unless it must not take the focus.
    if (!m_noActivate) {
        ::SetFocus(m_hwnd);
    }
    point = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    m_lastMousePos = point;
    CControlUI* control = FindControl(point);
    return control != nullptr && control->GetManager() == this ? control : nullptr;
}

bool CPaintManager::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (m_hwnd == nullptr) {
        return false;
    }
    switch (message) {
    case kAsyncNotifyMessage:
        return OnAsyncNotify(result);
    case WM_CLOSE:
        return OnClose();
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT:
        return OnPaint(result);
    case WM_PRINTCLIENT:
        return OnPrintClient(reinterpret_cast<HDC>(wParam), result);
    case WM_GETMINMAXINFO:
        return OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
    case WM_SIZE:
        return OnSize(wParam, lParam, result);
    case WM_MOUSEMOVE:
        return OnMouseMove(wParam, lParam);
    case WM_MOUSELEAVE:
        return OnMouseLeave();
    case WM_LBUTTONDOWN:
        return OnLButtonDown(wParam, lParam);
    case WM_LBUTTONDBLCLK:
        return OnLButtonDblClk(wParam, lParam);
    case WM_LBUTTONUP:
        return OnLButtonUp(wParam, lParam);
    case WM_RBUTTONDOWN:
        return OnRButtonDown(wParam, lParam);
    case WM_MOUSEWHEEL:
        return OnMouseWheel(wParam, lParam);
    case WM_SETCURSOR:
        return OnSetCursor(wParam, lParam, result);
    case WM_KEYDOWN:
        return OnFocusKey(UiEvent::KeyDown, wParam, lParam, static_cast<char>(wParam));
    case WM_KEYUP:
        return OnFocusKey(UiEvent::KeyUp, wParam, lParam, 0);
    case WM_CHAR:
        return OnFocusKey(UiEvent::Char, wParam, lParam, static_cast<char>(wParam));
    case WM_TIMER:
        return OnTimer(wParam, lParam, result);
    default:
        return false;
    }
}

// Each handler answers whether the message is handled here (the window
// procedure then returns `result`); false lets the window go on with it.

bool CPaintManager::OnAsyncNotify(LRESULT& result) {
    DeliverQueuedNotifications();
    result = 0;
    return true;
}

bool CPaintManager::OnClose() {
    POINT point = m_lastMousePos;
    if (m_hot != nullptr) {
        CControlUI* hot = m_hot;
        m_hot = nullptr;
        SendEvent(hot, UiEvent::MouseLeave, point);
    }
    if (m_click != nullptr) {
        CControlUI* click = m_click;
        m_click = nullptr;
        SendEvent(click, UiEvent::ButtonUp, point);
    }
    SetFocus(nullptr);
    if (::GetActiveWindow() == m_hwnd) {
        HWND owner = ::GetWindow(m_hwnd, GW_OWNER);
        HWND parent = owner != nullptr ? owner : ::GetParent(m_hwnd);
        if (parent != nullptr) {
            ::SetFocus(parent);
        }
    }
    return false;
}

bool CPaintManager::OnPaint(LRESULT& result) {
    RECT update{};
    if (::GetUpdateRect(m_hwnd, &update, FALSE)) {
        Paint();
    }
    result = 0;
    return true;
}

bool CPaintManager::OnPrintClient(HDC dc, LRESULT& result) {
    if (m_root == nullptr) {
        return false;
    }
    RECT client{};
    ::GetClientRect(m_hwnd, &client);
    m_paintRect = client;
    m_root->DoPaint(dc, client);
    result = 0;
    return true;
}

bool CPaintManager::OnGetMinMaxInfo(MINMAXINFO* info) {
    if (m_minInfo.cx > 0) {
        info->ptMinTrackSize.x = m_minInfo.cx;
    }
    if (m_minInfo.cy > 0) {
        info->ptMinTrackSize.y = m_minInfo.cy;
    }
    if (m_maxInfo.cx > 0) {
        info->ptMaxTrackSize.x = m_maxInfo.cx;
    }
    if (m_maxInfo.cy > 0) {
        info->ptMaxTrackSize.y = m_maxInfo.cy;
    }
    return false;
}

bool CPaintManager::OnSize(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (m_focus != nullptr) {
        SendEvent(m_focus, UiEvent::WindowSize, m_lastMousePos, wParam, lParam);
    }
    if (m_root != nullptr) {
        m_root->NeedUpdate();
    }
    m_updateNeeded = true;
    result = 0;
    return true;
}

bool CPaintManager::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    if (!m_mouseTracking) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof track;
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = m_hwnd;
        if (::TrackMouseEvent(&track)) {
            m_mouseTracking = true;
        }
    }
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    m_lastMousePos = point;
    CControlUI* control = FindControl(point);
    if (control != nullptr && control->GetManager() != this) {
        return false;
    }
    SetHot(control, point);
    CControlUI* target = m_click != nullptr ? m_click : control;
    SendEvent(target, UiEvent::MouseMove, point, wParam, lParam);
    return false;
}

bool CPaintManager::OnMouseLeave() {
    m_mouseTracking = false;
    if (m_hot != nullptr && m_click == nullptr) {
        CControlUI* hot = m_hot;
        m_hot = nullptr;
        SendEvent(hot, UiEvent::MouseLeave, m_lastMousePos);
    }
    return false;
}

bool CPaintManager::OnLButtonDown(WPARAM wParam, LPARAM lParam) {
    POINT point{};
    CControlUI* control = ControlPressedAt(lParam, point);
    if (control == nullptr) {
        return false;
    }
    m_click = control;
    control->SetFocus();
    SetCapture();
    SendEvent(control, UiEvent::ButtonDown, point, wParam, lParam);
    return false;
}

bool CPaintManager::OnLButtonDblClk(WPARAM wParam, LPARAM lParam) {
    POINT point{};
    CControlUI* control = ControlPressedAt(lParam, point);
    if (control == nullptr) {
        return false;
    }
    SetCapture();
    SendEvent(control, UiEvent::DblClick, point, wParam, lParam);
    m_click = control;
    return false;
}

bool CPaintManager::OnLButtonUp(WPARAM wParam, LPARAM lParam) {
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    m_lastMousePos = point;
    if (m_click == nullptr) {
        return false;
    }
    ReleaseCapture();
    CControlUI* click = m_click;
    m_click = nullptr;
    SendEvent(click, UiEvent::ButtonUp, point, wParam, lParam);
    return false;
}

bool CPaintManager::OnRButtonDown(WPARAM wParam, LPARAM lParam) {
    POINT point{};
    CControlUI* control = ControlPressedAt(lParam, point);
    if (control == nullptr) {
        return false;
    }
    control->SetFocus();
    SendEvent(control, UiEvent::RButtonDown, point, wParam, lParam);
    return false;
}

bool CPaintManager::OnMouseWheel(WPARAM wParam, LPARAM lParam) {
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ScreenToClient(m_hwnd, &point);
    m_lastMousePos = point;
    CControlUI* control = FindControl(point);
    if (control == nullptr || control->GetManager() != this) {
        return false;
    }
    // 0: turned away from the user, 1: towards the user.
    int delta = GET_WHEEL_DELTA_WPARAM(wParam);
    SendEvent(control, UiEvent::ScrollWheel, point, delta > 0 ? 0 : 1, lParam);
    ::SendMessageA(m_hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(m_lastMousePos.x, m_lastMousePos.y));
    return false;
}

bool CPaintManager::OnSetCursor(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (LOWORD(lParam) != HTCLIENT) {
        return false;
    }
    POINT point{};
    ::GetCursorPos(&point);
    ::ScreenToClient(m_hwnd, &point);
    CControlUI* control = FindControl(point);
    if (control == nullptr || !control->IsEnabled()) {
        return false;
    }
    SendEvent(control, UiEvent::SetCursor, point, wParam, lParam);
    result = TRUE;
    return true;
}

bool CPaintManager::OnFocusKey(UiEvent type, WPARAM wParam, LPARAM lParam, char key) {
    if (m_focus != nullptr) {
        SendEvent(m_focus, type, m_lastMousePos, wParam, lParam, key);
    }
    return false;
}

bool CPaintManager::OnTimer(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    CControlUI* control = nullptr;
    UINT id = 0;
    if (!m_timers.Find(wParam, control, id)) {
        return false;
    }
    SendEvent(control, UiEvent::Timer, m_lastMousePos, id, lParam);
    result = 0;
    return true;
}

bool CPaintManager::PreMessageHandler(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_TAB) {
            SetNextTabControl((::GetKeyState(VK_SHIFT) & 0x8000) == 0);
            return true;
        }
        return false;
    case WM_SYSKEYDOWN:
        return OnFocusKey(UiEvent::SysKey, wParam, lParam, static_cast<char>(wParam));
    case WM_SYSCHAR:
        return OnSysChar(wParam);
    default:
        return false;
    }
}

// Alt + a letter activates the first visible, enabled control with that shortcut.
bool CPaintManager::OnSysChar(WPARAM wParam) {
    if (m_root == nullptr) {
        return false;
    }
    char wanted = static_cast<char>(::toupper(static_cast<unsigned char>(wParam)));
    CControlUI* target = nullptr;
    m_root->ForEach([&](CControlUI* control) {
        if (target == nullptr && control->IsVisible() && control->IsEnabled() &&
            control->GetShortcut() != 0 &&
            ::toupper(static_cast<unsigned char>(control->GetShortcut())) == wanted) {
            target = control;
        }
    });
    if (target == nullptr) {
        return false;
    }
    target->SetFocus();
    target->Activate();
    return true;
}

bool CPaintManager::TranslateMessage(const MSG* message) {
    auto& managers = PreTranslateManagers();
    LONG style = ::GetWindowLongA(message->hwnd, GWL_STYLE);
    if ((style & WS_CHILD) != 0) {
        for (auto it = managers.rbegin(); it != managers.rend(); ++it) {
            CPaintManager* manager = *it;
            for (HWND window = message->hwnd; window != nullptr; window = ::GetParent(window)) {
                if (window != manager->m_hwnd) {
                    continue;
                }
                if (manager->PreMessageHandler(message->message, message->wParam,
                                               message->lParam)) {
                    return true;
                }
                break;
            }
        }
        return false;
    }
    for (CPaintManager* manager : std::vector<CPaintManager*>(managers)) {
        if (message->hwnd == manager->m_hwnd) {
            return manager->PreMessageHandler(message->message, message->wParam, message->lParam);
        }
    }
    return false;
}

int CPaintManager::MessageLoop() {
    MSG message{};
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!TranslateMessage(&message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

} // namespace Ui
