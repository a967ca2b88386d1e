#include "ui/ComboUI.h"

#include <cstring>

#include "ui/AttributeTable.h"
#include "ui/AttributeValues.h"
#include "ui/ComboWindow.h"
#include "ui/PaintManager.h"
#include "ui/Render.h"
#include "ui/WinGeometry.h"

namespace Ui {

namespace {

CListLabelElementUI* AsListItem(CControlUI* control) {
    return control != nullptr ? static_cast<CListLabelElementUI*>(control->GetInterface("ListItem"))
                              : nullptr;
}

} // namespace

CComboUI::CComboUI() = default;

CComboUI::~CComboUI() {
    CloseDropDown();
}

const char* CComboUI::GetClass() const {
    return "Combo";
}

void* CComboUI::GetInterface(const char* name) {
    if (std::strcmp(name, "Combo") == 0) {
        return static_cast<CComboUI*>(this);
    }
    if (std::strcmp(name, "IListOwner") == 0) {
        return static_cast<IListOwnerUI*>(this);
    }
    return CContainerUI::GetInterface(name);
}

CUiString CComboUI::GetText() const {
    CControlUI* item = GetItemAt(m_curSel);
    return item != nullptr ? item->GetText() : CUiString();
}

bool CComboUI::SelectItem(int index, bool takeFocus, bool notify) {
    CloseDropDown();
    if (index == m_curSel) {
        return true;
    }
    if (index < 0 || m_items.empty()) {
        return false;
    }
    if (index >= GetCount()) {
        index = GetCount() - 1;
        if (index == m_curSel) {
            return true;
        }
    }
    CControlUI* target = m_items[static_cast<size_t>(index)];
    // A refused choice keeps the current selection: dropping it here would
    // leave the list blank without anyone being told.
    if (!target->IsVisible() || !target->IsEnabled()) {
        return false;
    }
    const int previous = m_curSel;
    if (CListLabelElementUI* old = AsListItem(GetItemAt(previous))) {
        old->SetSelected(false);
    }
    m_curSel = index;
    if (CListLabelElementUI* item = AsListItem(target)) {
        item->SetSelected(true);
    }
    if (takeFocus) {
        SetFocus();
    }
    Invalidate();
    if (notify && m_manager != nullptr) {
        m_manager->SendNotify(this, "itemselect", static_cast<WPARAM>(index),
                              static_cast<LPARAM>(previous));
    }
    return true;
}

int CComboUI::FindSelectable(int index, bool forward) const {
    const int count = GetCount();
    if (count == 0) {
        return -1;
    }
    if (index < 0) {
        index = 0;
    }
    if (index >= count) {
        index = count - 1;
    }
    const int step = forward ? 1 : -1;
    for (int i = index; i >= 0 && i < count; i += step) {
        CControlUI* item = m_items[static_cast<size_t>(i)];
        if (AsListItem(item) != nullptr && item->IsVisible() && item->IsEnabled()) {
            return i;
        }
    }
    return -1;
}

void CComboUI::Renumber() {
    for (int i = 0; i < GetCount(); ++i) {
        if (CListLabelElementUI* item = AsListItem(m_items[static_cast<size_t>(i)])) {
            item->SetIndex(i);
        }
    }
}

bool CComboUI::AddAt(CControlUI* control, int index) {
    CloseDropDown();
    if (!CContainerUI::AddAt(control, index)) {
        return false;
    }
    if (CListLabelElementUI* item = AsListItem(control)) {
        item->SetOwner(this);
        item->SetSelected(false);
    }
    if (m_curSel >= 0 && index <= m_curSel) {
        ++m_curSel;
    }
    Renumber();
    return true;
}

bool CComboUI::Remove(CControlUI* control) {
    return RemoveAt(GetItemIndex(control));
}

bool CComboUI::RemoveAt(int index) {
    CloseDropDown();
    if (!CContainerUI::RemoveAt(index)) {
        return false;
    }
    if (index == m_curSel) {
        m_curSel = -1;
    } else if (index < m_curSel) {
        --m_curSel;
    }
    Renumber();
    Invalidate();
    return true;
}

void CComboUI::RemoveAll() {
    CloseDropDown();
    m_curSel = -1;
    CContainerUI::RemoveAll();
    Invalidate();
}

bool CComboUI::Activate() {
    if (!CControlUI::Activate()) {
        return false;
    }
    if (m_window != nullptr) {
        return true;
    }
    if (m_manager == nullptr || m_manager->GetPaintWindow() == nullptr) {
        return false;
    }
    m_selectionAtOpen = m_curSel;
    auto* window = new CComboWindow(this);
    m_window = window;
    if (!window->Open()) {
        if (m_window == window) {
            m_window = nullptr;
        }
        delete window;
        return false;
    }
    m_manager->SendNotify(this, "dropdown");
    Invalidate();
    return true;
}

void CComboUI::CloseDropDown() {
    if (m_window == nullptr) {
        return;
    }
    CComboWindow* window = m_window;
    m_window = nullptr;
    window->Dismiss();
    Invalidate();
}

HWND CComboUI::GetDropDownWindow() const {
    return m_window != nullptr ? m_window->GetHWND() : nullptr;
}

void CComboUI::SetManager(CPaintManager* manager, CControlUI* parent, bool init) {
    if (manager != m_manager) {
        CloseDropDown();
    }
    CContainerUI::SetManager(manager, parent, init);
}

void CComboUI::ForEach(const std::function<void(CControlUI*)>& visit) {
    // The entries are not on screen in this window: they are no tab stops
    // and need no layout here.
    visit(this);
}

CControlUI* CComboUI::FindControlAt(POINT point) {
    return CControlUI::FindControlAt(point);
}

void CComboUI::SetEnabled(bool enabled) {
    CContainerUI::SetEnabled(enabled);
    if (!enabled) {
        CloseDropDown();
        m_hot = false;
        m_pushed = false;
    }
}

void CComboUI::SetPos(RECT rect, bool needInvalidate) {
    // The entries are placed by the drop-down window, not here.
    CControlUI::SetPos(rect, needInvalidate);
}

void CComboUI::SetAttribute(const char* name, const char* value) {
    using Self = CComboUI;
    static const AttributeSetter<Self> kAttributes[] = {
        {"normalimage", [](Self& c, const char* v) { c.m_normalImage = v; }},
        {"hotimage", [](Self& c, const char* v) { c.m_hotImage = v; }},
        {"pushedimage", [](Self& c, const char* v) { c.m_pushedImage = v; }},
        {"focusedimage", [](Self& c, const char* v) { c.m_focusedImage = v; }},
        {"disabledimage", [](Self& c, const char* v) { c.m_disabledImage = v; }},
        {"textpadding", [](Self& c, const char* v) { c.m_textPadding = ToRECT(ParseRect(v)); }},
        {"showtext", [](Self& c, const char* v) { c.m_showText = ParseBool(v); }},
        {"dropboxsize", [](Self& c, const char* v) { c.m_dropBoxSize = ToSIZE(ParseSize(v)); }},
        {"itemfont", [](Self& c, const char* v) { c.m_listInfo.font = ParseInt(v); }},
        {"itemalign",
         [](Self& c, const char* v) {
             c.m_listInfo.textStyle = WithHorizontalAlign(
                 c.m_listInfo.textStyle, ParseHorizontalAlign(v, ChildAlignment::Start));
         }},
        {"itemtextpadding",
         [](Self& c, const char* v) { c.m_listInfo.textPadding = ToRECT(ParseRect(v)); }},
        {"itemtextcolor", [](Self& c, const char* v) { c.m_listInfo.textColor = ParseColor(v); }},
        {"itembkcolor", [](Self& c, const char* v) { c.m_listInfo.bkColor = ParseColor(v); }},
        {"itemselectedtextcolor",
         [](Self& c, const char* v) { c.m_listInfo.selectedTextColor = ParseColor(v); }},
        {"itemselectedbkcolor",
         [](Self& c, const char* v) { c.m_listInfo.selectedBkColor = ParseColor(v); }},
        {"itemhottextcolor",
         [](Self& c, const char* v) { c.m_listInfo.hotTextColor = ParseColor(v); }},
        {"itemhotbkcolor", [](Self& c, const char* v) { c.m_listInfo.hotBkColor = ParseColor(v); }},
        {"itemdisabledtextcolor",
         [](Self& c, const char* v) { c.m_listInfo.disabledTextColor = ParseColor(v); }},
        {"itemdisabledbkcolor",
         [](Self& c, const char* v) { c.m_listInfo.disabledBkColor = ParseColor(v); }},
        {"itemvlinecolor", [](Self& c, const char* v) { c.m_listInfo.vLineColor = ParseColor(v); }},
        {"itemhlinecolor", [](Self& c, const char* v) { c.m_listInfo.hLineColor = ParseColor(v); }},
        {"itemheight", [](Self& c, const char* v) { c.m_listInfo.itemHeight = ParseInt(v); }},
        {"itemvlinesize", [](Self& c, const char* v) { c.m_listInfo.vLineSize = ParseInt(v); }},
        {"itemhlinesize", [](Self& c, const char* v) { c.m_listInfo.hLineSize = ParseInt(v); }},
        {"itembkimage", [](Self& c, const char* v) { c.m_listInfo.bkImage = v; }},
        {"itemselectedimage", [](Self& c, const char* v) { c.m_listInfo.selectedImage = v; }},
        {"itemhotimage", [](Self& c, const char* v) { c.m_listInfo.hotImage = v; }},
        {"itemdisabledimage", [](Self& c, const char* v) { c.m_listInfo.disabledImage = v; }},
        {"itemaltbk", [](Self& c, const char* v) { c.m_listInfo.alternateBk = ParseBool(v); }},
        {"itemshowhtml", [](Self& c, const char* v) { c.m_listInfo.showHtml = ParseBool(v); }},
        // Accepted for older skins; the wheel always moves the selection.
        {"usesrcollselectitem", [](Self&, const char*) {}},
    };
    if (ApplyAttribute(kAttributes, *this, name, value)) {
        Invalidate();
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

void CComboUI::DoEvent(TEventUI& event) {
    switch (event.type) {
    case UiEvent::ButtonDown:
    case UiEvent::DblClick:
        if (IsEnabled()) {
            Activate();
            m_pushed = true;
            Invalidate();
        }
        return;
    case UiEvent::ButtonUp:
        if (m_pushed) {
            m_pushed = false;
            Invalidate();
        }
        return;
    case UiEvent::MouseMove:
        return;
    case UiEvent::MouseEnter:
        if (IsEnabled()) {
            m_hot = true;
            Invalidate();
        }
        return;
    case UiEvent::MouseLeave:
        if (m_hot) {
            m_hot = false;
            Invalidate();
        }
        return;
    case UiEvent::ScrollWheel: {
        const bool down = event.wParam != 0;
        SelectItem(FindSelectable(m_curSel + (down ? 1 : -1), down));
        return;
    }
    case UiEvent::KeyDown:
        switch (event.wParam) {
        case VK_F4:
            Activate();
            return;
        case VK_UP:
        case VK_PRIOR:
            SelectItem(FindSelectable(m_curSel - 1, false));
            return;
        case VK_DOWN:
        case VK_NEXT:
            SelectItem(FindSelectable(m_curSel + 1, true));
            return;
        case VK_HOME:
            SelectItem(FindSelectable(0, true));
            return;
        case VK_END:
            SelectItem(FindSelectable(GetCount() - 1, false));
            return;
        default:
            break;
        }
        break;
    default:
        break;
    }
    CContainerUI::DoEvent(event);
}

void CComboUI::DoPaint(HDC hdc, const RECT& paint) {
    CControlUI::DoPaint(hdc, paint);
}

void CComboUI::PaintStatusImage(HDC hdc) {
    const CUiString* image = &m_normalImage;
    if (!IsEnabled()) {
        image = &m_disabledImage;
    } else if (m_pushed) {
        image = &m_pushedImage;
    } else if (m_hot) {
        image = &m_hotImage;
    } else if (IsFocused()) {
        image = &m_focusedImage;
    }
    if (image == &m_normalImage || !DrawImage(hdc, *image)) {
        DrawImage(hdc, m_normalImage);
    }
}

int CComboUI::SelectedTextFont(HDC hdc, const CUiString& text, const RECT& rect,
                               UINT& extraStyle) const {
    const int itemFont = m_listInfo.font;
    if (m_manager == nullptr || text.IsEmpty()) {
        return itemFont;
    }
    const LONG room =
        (rect.right - rect.left) - m_listInfo.textPadding.left - m_listInfo.textPadding.right;
    auto fits = [&](int font) {
        return CRender::MeasureText(hdc, GetResources(), rect, text, font, m_listInfo.textStyle)
                   .cx <= room;
    };
    if (fits(itemFont)) {
        return itemFont;
    }
    // The shown entry is one line in a fixed width: a long text (an odd
    // resolution, a long camera name) is drawn smaller rather than cut.
    const int itemSize = m_manager->GetResources().GetFontInfo(itemFont)->size;
    int best = itemFont;
    int bestSize = 0;
    int smallest = itemFont;
    int smallestSize = itemSize;
    for (int id : m_manager->GetResources().GetFontIds()) {
        const int size = m_manager->GetResources().GetFontInfo(id)->size;
        if (size <= 0 || size >= itemSize) {
            continue;
        }
        if (size < smallestSize) {
            smallest = id;
            smallestSize = size;
        }
        if (size > bestSize && fits(id)) {
            best = id;
            bestSize = size;
        }
    }
    if (bestSize > 0) {
        return best;
    }
    extraStyle = DT_END_ELLIPSIS;
    return smallest;
}

void CComboUI::PaintText(HDC hdc) {
    if (!m_showText) {
        return;
    }
    CControlUI* item = GetItemAt(m_curSel);
    if (item == nullptr) {
        return;
    }
    RECT rect = m_rect;
    rect.left += m_textPadding.left;
    rect.top += m_textPadding.top;
    rect.right -= m_textPadding.right;
    rect.bottom -= m_textPadding.bottom;
    if (CListLabelElementUI* element = AsListItem(item)) {
        UINT extraStyle = 0;
        const int font = SelectedTextFont(hdc, element->GetText(), rect, extraStyle);
        element->DrawItemText(hdc, rect, font, extraStyle);
    } else if (m_manager != nullptr) {
        CRender::DrawText(hdc, GetResources(), rect, item->GetText(), m_listInfo.textColor,
                          m_listInfo.font, m_listInfo.textStyle);
    }
}

} // namespace Ui
