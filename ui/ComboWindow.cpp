#include "ui/ComboWindow.h"

#include "ui/AttributeValues.h"
#include "ui/ComboUI.h"
#include "ui/DropDownPlacement.h"
#include "ui/VerticalLayoutUI.h"
#include "ui/WinGeometry.h"

namespace Ui {

namespace {

constexpr DWORD kListBkColor = 0xFFFFFFFF;
constexpr DWORD kListBorderColor = 0xFFC6C7D2;

// The list of the pop-up shows the entries of the drop-down list without
// owning them: they go back to the drop-down list when the pop-up closes.
class CDropListUI : public CVerticalLayoutUI {
public:
    ~CDropListUI() override { m_items.clear(); }
    void DetachAll() {
        m_items.clear();
        NeedUpdate();
    }
};

void ApplyAttributes(CControlUI* control, const char* list) {
    if (list == nullptr) {
        return;
    }
    for (const auto& attribute : ParseAttributeList(list)) {
        control->SetAttribute(attribute.first, attribute.second);
    }
}

} // namespace

CComboWindow::CComboWindow(CComboUI* owner) : m_owner(owner) {}

CComboWindow::~CComboWindow() = default;

const char* CComboWindow::GetWndClassName() const {
    return "ComboWnd";
}

bool CComboWindow::Open() {
    CPaintManager* ownerManager = m_owner->GetManager();
    HWND parent = ownerManager != nullptr ? ownerManager->GetPaintWindow() : nullptr;
    if (parent == nullptr) {
        return false;
    }
    RECT control = m_owner->GetPos();
    ::MapWindowPoints(parent, HWND_DESKTOP, reinterpret_cast<POINT*>(&control), 2);

    const int width = m_owner->GetDropBoxSize().cx > 0 ? m_owner->GetDropBoxSize().cx
                                                       : control.right - control.left;
    int entriesHeight = 0;
    for (int i = 0; i < m_owner->GetCount(); ++i) {
        CControlUI* item = m_owner->GetItemAt(i);
        if (item->IsVisible()) {
            entriesHeight += item->EstimateSize(SIZE{width, 0}).cy;
        }
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const UiRect placed = DropDownWindowRect(ToUiRect(control), ToUiSize(m_owner->GetDropBoxSize()),
                                             entriesHeight, monitor.rcWork.bottom);

    m_creating = true;
    HWND hwnd = Create(parent, nullptr, WS_POPUP, WS_EX_TOOLWINDOW, placed.left, placed.top,
                       placed.width(), placed.height());
    m_creating = false;
    if (hwnd == nullptr) {
        return false;
    }
    ShowWindow(true, true);
    // Lay the entries out now so that they can be hit at once.
    ::UpdateWindow(hwnd);
    EnsureVisible(m_owner->GetCurSel());
    return true;
}

void CComboWindow::BuildList() {
    m_manager.Init(m_hwnd);
    CPaintManager* ownerManager = m_owner->GetManager();
    // The skin's scroll-bar look holds here too, even when it is not shared.
    if (const char* bar = ownerManager->GetResources().GetDefaultAttributeList("VScrollBar")) {
        m_manager.GetResources().AddDefaultAttributeList("VScrollBar", bar, false);
    }
    auto* list = new CDropListUI();
    m_list = list;
    list->SetManager(&m_manager, nullptr, false);
    ApplyAttributes(list, ownerManager->GetResources().GetDefaultAttributeList("VerticalLayout"));
    list->SetInset(RECT{1, 1, 1, 1});
    list->SetBkColor(kListBkColor);
    list->SetBorderColor(kListBorderColor);
    list->SetBorderSize(RECT{1, 1, 1, 1});
    list->EnableScrollBar(true, false);
    for (int i = 0; i < m_owner->GetCount(); ++i) {
        list->Add(m_owner->GetItemAt(i));
    }
    m_manager.AttachDialog(list);
}

void CComboWindow::ReleaseItems() {
    if (m_list == nullptr || m_owner == nullptr) {
        return;
    }
    auto* list = static_cast<CDropListUI*>(m_list);
    for (int i = 0; i < list->GetCount(); ++i) {
        // This window must not keep a hot, pressed or focused entry it no longer shows.
        m_manager.ReapObject(list->GetItemAt(i));
    }
    list->DetachAll();
    for (int i = 0; i < m_owner->GetCount(); ++i) {
        m_owner->GetItemAt(i)->SetManager(m_owner->GetManager(), m_owner, false);
    }
}

void CComboWindow::Dismiss() {
    ReleaseItems();
    m_owner = nullptr;
    if (::IsWindow(m_hwnd)) {
        ::ShowWindow(m_hwnd, SW_HIDE);
        PostMessage(WM_CLOSE);
    }
}

void CComboWindow::EnsureVisible(int index) {
    if (m_list == nullptr || index < 0 || index >= m_list->GetCount()) {
        return;
    }
    const RECT item = m_list->GetItemAt(index)->GetPos();
    const RECT list = m_list->GetPos();
    const RECT inset = m_list->GetInset();
    int position = m_list->GetScrollPos().cy;
    if (item.top < list.top + inset.top) {
        position -= list.top + inset.top - item.top;
    } else if (item.bottom > list.bottom - inset.bottom) {
        position += item.bottom - (list.bottom - inset.bottom);
    }
    m_list->SetScrollPos(SIZE{0, position});
}

void CComboWindow::CloseWithOwner() {
    // Alt+F4 reaches the open list, which has the focus; it closes the window
    // the list belongs to, as it does with the list shut.
    HWND root = ::GetAncestor(::GetWindow(m_hwnd, GW_OWNER), GA_ROOT);
    if (m_owner != nullptr) {
        m_owner->CloseDropDown();
    }
    if (root != nullptr) {
        ::PostMessage(root, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
}

void CComboWindow::OnKeyDown(WPARAM key, LPARAM lParam) {
    CComboUI* owner = m_owner;
    if (key == VK_ESCAPE) {
        owner->SelectItem(owner->GetSelectionAtOpen(), true, true);
        owner->CloseDropDown();
    } else if (key == VK_RETURN) {
        owner->CloseDropDown();
    } else {
        // Other keys act on the list as if it were closed.
        TEventUI event;
        event.type = UiEvent::KeyDown;
        event.sender = owner;
        event.key = static_cast<char>(key);
        event.wParam = key;
        event.lParam = lParam;
        event.timestamp = ::GetTickCount();
        owner->Event(event);
    }
}

void CComboWindow::OnMouseWheel(WPARAM wParam, LPARAM lParam) {
    TEventUI event;
    event.type = UiEvent::ScrollWheel;
    event.sender = m_owner;
    // 0: turned away from the user, 1: towards.
    event.wParam = GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? 0 : 1;
    event.lParam = lParam;
    event.timestamp = ::GetTickCount();
    m_owner->Event(event);
}

LRESULT CComboWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        BuildList();
        return 0;
    case WM_CLOSE: {
        if (m_owner != nullptr) {
            m_owner->CloseDropDown();
        }
        // Nothing of this object may be used once the window is gone.
        HWND hwnd = m_hwnd;
        ::DestroyWindow(hwnd);
        return 0;
    }
    case WM_KILLFOCUS: {
        HWND next = reinterpret_cast<HWND>(wParam);
        if (m_owner != nullptr && next != m_hwnd && !::IsChild(m_hwnd, next)) {
            // Closing later lets a press on the list itself see it still open,
            // so that such a press closes it rather than opening it again.
            PostMessage(WM_CLOSE);
        }
        break;
    }
    case WM_KEYDOWN:
        if (m_owner != nullptr) {
            OnKeyDown(wParam, lParam);
            return 0;
        }
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            CloseWithOwner();
            return 0;
        }
        break;
    case WM_MOUSEWHEEL:
        if (m_owner != nullptr) {
            OnMouseWheel(wParam, lParam);
            return 0;
        }
        break;
    default:
        break;
    }
    LRESULT result = 0;
    if (m_manager.MessageHandler(message, wParam, lParam, result)) {
        return result;
    }
    return CWindowBase::HandleMessage(message, wParam, lParam);
}

void CComboWindow::OnFinalMessage(HWND) {
    if (m_owner != nullptr) {
        m_owner->CloseDropDown();
    }
    if (!m_creating) {
        delete this;
    }
}

} // namespace Ui
