#include "ui/ListLabelElementUI.h"

#include <cstring>

#include "ui/PaintManager.h"
#include "ui/Render.h"

namespace Ui {

namespace {

// Entries that belong to no list look like those of a fresh list.
const TListInfoUI& DefaultListInfo() {
    static const TListInfoUI info;
    return info;
}

} // namespace

const char* CListLabelElementUI::GetClass() const {
    return "ListLabelElement";
}

void* CListLabelElementUI::GetInterface(const char* name) {
    if (std::strcmp(name, "ListItem") == 0 || std::strcmp(name, "ListLabelElement") == 0) {
        return static_cast<CListLabelElementUI*>(this);
    }
    return CControlUI::GetInterface(name);
}

const TListInfoUI& CListLabelElementUI::Info() const {
    return m_owner != nullptr ? m_owner->GetListInfo() : DefaultListInfo();
}

CResourceCache* CListLabelElementUI::ListResources() const {
    CResourceCache* resources = m_owner != nullptr ? m_owner->GetItemResources() : nullptr;
    return resources != nullptr ? resources : GetResources();
}

void CListLabelElementUI::SetSelected(bool selected) {
    if (m_selected == selected) {
        return;
    }
    m_selected = selected;
    Invalidate();
}

bool CListLabelElementUI::Select() {
    if (m_owner == nullptr || !IsEnabled()) {
        return false;
    }
    return m_owner->SelectItem(m_index, true, true);
}

void CListLabelElementUI::SetManager(CPaintManager* manager, CControlUI* parent, bool init) {
    // Moving between the list and its drop-down window starts afresh.
    if (manager != m_manager) {
        m_hot = false;
    }
    CControlUI::SetManager(manager, parent, init);
}

void CListLabelElementUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!enabled) {
        m_hot = false;
    }
}

SIZE CListLabelElementUI::EstimateSize(SIZE) {
    if (m_fixed.cy > 0) {
        return m_fixed;
    }
    const TListInfoUI& info = Info();
    if (info.itemHeight > 0) {
        return SIZE{m_fixed.cx, info.itemHeight};
    }
    int charHeight = 0;
    if (CResourceCache* resources = ListResources()) {
        charHeight = resources->GetFontInfo(info.font)->metrics.tmHeight;
    }
    return SIZE{m_fixed.cx, charHeight + 8 + info.textPadding.top + info.textPadding.bottom};
}

void CListLabelElementUI::DoEvent(TEventUI& event) {
    switch (event.type) {
    case UiEvent::MouseEnter:
        if (IsEnabled() && !m_hot) {
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
    case UiEvent::ButtonDown:
    case UiEvent::DblClick:
        if (IsEnabled()) {
            if (m_manager != nullptr) {
                m_manager->SendNotify(this, "itemclick");
            }
            Select();
        }
        return;
    case UiEvent::ButtonUp:
    case UiEvent::MouseMove:
        return;
    default:
        break;
    }
    CControlUI::DoEvent(event);
}

void CListLabelElementUI::DoPaint(HDC hdc, const RECT& paint) {
    RECT visible{};
    if (!::IntersectRect(&visible, &paint, &m_rect)) {
        return;
    }
    CRender::ClipScope clip(hdc, visible);
    DrawItemBk(hdc, m_rect);
    DrawItemText(hdc, m_rect);
}

bool CListLabelElementUI::DrawListImage(HDC hdc, const RECT& rect, const char* image) {
    CResourceCache* resources = ListResources();
    if (resources == nullptr || image == nullptr || *image == '\0') {
        return false;
    }
    const RECT paint = m_manager != nullptr ? m_manager->GetPaintRect() : rect;
    return CRender::DrawImage(hdc, resources, rect, paint, image);
}

void CListLabelElementUI::DrawItemBk(HDC hdc, const RECT& rect) {
    const TListInfoUI& info = Info();
    const bool plainRow = info.alternateBk && (m_index % 2) != 0;
    DWORD color = plainRow ? 0 : info.bkColor;
    if (m_hot) {
        color = info.hotBkColor;
    }
    if (m_selected) {
        color = info.selectedBkColor;
    }
    if (!IsEnabled()) {
        color = info.disabledBkColor;
    }
    if (color != 0) {
        CRender::FillColor(hdc, rect, color);
    }
    if (!IsEnabled() && DrawListImage(hdc, rect, info.disabledImage)) {
        return;
    }
    if (m_selected && DrawListImage(hdc, rect, info.selectedImage)) {
        return;
    }
    if (m_hot && DrawListImage(hdc, rect, info.hotImage)) {
        return;
    }
    if (!m_bkImage.IsEmpty()) {
        DrawListImage(hdc, rect, m_bkImage);
    } else if (!plainRow) {
        DrawListImage(hdc, rect, info.bkImage);
    }
}

void CListLabelElementUI::DrawItemText(HDC hdc, const RECT& rect) {
    DrawItemText(hdc, rect, Info().font, 0);
}

void CListLabelElementUI::DrawItemText(HDC hdc, const RECT& rect, int font, UINT extraStyle) {
    if (m_text.IsEmpty()) {
        return;
    }
    CResourceCache* resources = ListResources();
    if (resources == nullptr) {
        return;
    }
    const TListInfoUI& info = Info();
    DWORD color = info.textColor;
    if (m_hot) {
        color = info.hotTextColor;
    }
    if (m_selected) {
        color = info.selectedTextColor;
    }
    if (!IsEnabled()) {
        color = info.disabledTextColor;
    }
    RECT text = rect;
    text.left += info.textPadding.left;
    text.top += info.textPadding.top;
    text.right -= info.textPadding.right;
    text.bottom -= info.textPadding.bottom;
    CRender::DrawText(hdc, resources, text, m_text, color, font, info.textStyle | extraStyle);
}

} // namespace Ui
