#include "ui/ControlUI.h"

#include <cstring>

#include "ui/AttributeTable.h"
#include "ui/AttributeValues.h"
#include "ui/PaintManager.h"
#include "ui/Render.h"
#include "ui/WinGeometry.h"

namespace Ui {

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (m_manager != nullptr) {
        m_manager->ReapObject(this);
    }
}

const char* CControlUI::GetClass() const {
    return "Control";
}

void* CControlUI::GetInterface(const char* name) {
    return std::strcmp(name, "Control") == 0 ? this : nullptr;
}

void CControlUI::SetManager(CPaintManager* manager, CControlUI* parent, bool init) {
    m_manager = manager;
    m_parent = parent;
    if (init && m_parent != nullptr) {
        Init();
    }
}

void CControlUI::ForEach(const std::function<void(CControlUI*)>& visit) {
    visit(this);
}

CControlUI* CControlUI::FindControlAt(POINT point) {
    if (!IsVisible()) {
        return nullptr;
    }
    return ::PtInRect(&m_rect, point) ? this : nullptr;
}

void CControlUI::SetText(const char* text) {
    if (m_text == text) {
        return;
    }
    m_text = text;
    Invalidate();
}

void CControlUI::SetVisible(bool visible) {
    if (m_visible == visible) {
        return;
    }
    bool wasVisible = IsVisible();
    m_visible = visible;
    if (m_focused) {
        m_focused = false;
    }
    if (IsVisible() != wasVisible) {
        NeedParentUpdate();
    }
}

void CControlUI::SetInternVisible(bool visible) {
    m_internVisible = visible;
}

void CControlUI::SetEnabled(bool enabled) {
    if (m_enabled == enabled) {
        return;
    }
    m_enabled = enabled;
    Invalidate();
}

void CControlUI::SetFocus() {
    if (m_manager != nullptr) {
        m_manager->SetFocus(this);
    }
}

bool CControlUI::Activate() {
    return IsVisible() && IsEnabled();
}

void CControlUI::SetPos(RECT rect, bool needInvalidate) {
    if (rect.right < rect.left) {
        rect.right = rect.left;
    }
    if (rect.bottom < rect.top) {
        rect.bottom = rect.top;
    }
    if (needInvalidate) {
        Invalidate();
    }
    m_rect = rect;
    m_updateNeeded = false;
    if (m_manager != nullptr && !m_inOnSize) {
        m_inOnSize = true;
        OnSize.Raise(this);
        m_inOnSize = false;
    }
    if (needInvalidate) {
        Invalidate();
    }
}

SIZE CControlUI::EstimateSize(SIZE) {
    return m_fixed;
}

void CControlUI::SetFixedWidth(int width) {
    m_fixed.cx = width < 0 ? 0 : width;
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int height) {
    m_fixed.cy = height < 0 ? 0 : height;
    NeedParentUpdate();
}

void CControlUI::SetMinWidth(int width) {
    m_min.cx = width < 0 ? 0 : width;
    NeedParentUpdate();
}

void CControlUI::SetMinHeight(int height) {
    m_min.cy = height < 0 ? 0 : height;
    NeedParentUpdate();
}

void CControlUI::SetMaxWidth(int width) {
    m_max.cx = width < 0 ? 0 : width;
    NeedParentUpdate();
}

void CControlUI::SetMaxHeight(int height) {
    m_max.cy = height < 0 ? 0 : height;
    NeedParentUpdate();
}

void CControlUI::SetPadding(RECT padding) {
    m_padding = padding;
    NeedParentUpdate();
}

void CControlUI::SetBkColor(DWORD color) {
    m_bkColor = color;
    Invalidate();
}

void CControlUI::SetBkImage(const char* image) {
    m_bkImage = image;
    Invalidate();
}

void CControlUI::SetBorderColor(DWORD color) {
    m_borderColor = color;
    Invalidate();
}

void CControlUI::SetBorderSize(RECT size) {
    m_borderSize = size;
    Invalidate();
}

void CControlUI::SetBorderRound(SIZE round) {
    m_borderRound = round;
    Invalidate();
}

void CControlUI::SetAttribute(const char* name, const char* value) {
    using Self = CControlUI;
    static const AttributeSetter<Self> kAttributes[] = {
        {"name", [](Self& c, const char* v) { c.SetName(v); }},
        {"text", [](Self& c, const char* v) { c.SetText(v); }},
        {"tooltip", [](Self& c, const char* v) { c.m_toolTip = v; }},
        {"userdata", [](Self& c, const char* v) { c.m_userData = v; }},
        {"visible", [](Self& c, const char* v) { c.SetVisible(ParseBool(v)); }},
        {"enabled", [](Self& c, const char* v) { c.SetEnabled(ParseBool(v)); }},
        {"width", [](Self& c, const char* v) { c.SetFixedWidth(ParseInt(v)); }},
        {"height", [](Self& c, const char* v) { c.SetFixedHeight(ParseInt(v)); }},
        {"minwidth", [](Self& c, const char* v) { c.SetMinWidth(ParseInt(v)); }},
        {"minheight", [](Self& c, const char* v) { c.SetMinHeight(ParseInt(v)); }},
        {"maxwidth", [](Self& c, const char* v) { c.SetMaxWidth(ParseInt(v)); }},
        {"maxheight", [](Self& c, const char* v) { c.SetMaxHeight(ParseInt(v)); }},
        {"padding", [](Self& c, const char* v) { c.SetPadding(ToRECT(ParseRect(v))); }},
        {"pos",
         [](Self& c, const char* v) {
             RECT pos = ToRECT(ParseRect(v));
             c.m_fixedPos = pos;
             c.m_fixed.cx = pos.right - pos.left;
             c.m_fixed.cy = pos.bottom - pos.top;
             c.SetPos(pos);
         }},
        {"float",
         [](Self& c, const char* v) {
             // "true", or four fractions, make the control float.
             c.m_float = std::strchr(v, ',') != nullptr || ParseBool(v);
             c.NeedParentUpdate();
         }},
        {"bkcolor", [](Self& c, const char* v) { c.SetBkColor(ParseColor(v)); }},
        {"bkimage", [](Self& c, const char* v) { c.SetBkImage(v); }},
        {"bordercolor", [](Self& c, const char* v) { c.SetBorderColor(ParseColor(v)); }},
        {"bordersize",
         [](Self& c, const char* v) {
             if (std::strchr(v, ',') != nullptr) {
                 c.SetBorderSize(ToRECT(ParseRect(v)));
             } else {
                 int size = ParseInt(v);
                 c.SetBorderSize(RECT{size, size, size, size});
             }
         }},
        {"borderround", [](Self& c, const char* v) { c.SetBorderRound(ToSIZE(ParseSize(v))); }},
        {"mouse", [](Self& c, const char* v) { c.m_mouseEnabled = ParseBool(v); }},
        {"keyboard", [](Self& c, const char* v) { c.m_keyboardEnabled = ParseBool(v); }},
        {"shortcut", [](Self& c, const char* v) { c.m_shortcut = v[0]; }},
    };
    if (!ApplyAttribute(kAttributes, *this, name, value)) {
        m_customAttributes[CUiString(name)] = value;
    }
}

const char* CControlUI::GetCustomAttribute(const char* name) const {
    auto found = m_customAttributes.find(CUiString(name));
    return found == m_customAttributes.end() ? nullptr : found->second.GetData();
}

void CControlUI::Invalidate() {
    if (m_manager != nullptr && IsVisible()) {
        m_manager->Invalidate(m_rect);
    }
}

void CControlUI::NeedUpdate() {
    if (!IsVisible()) {
        return;
    }
    m_updateNeeded = true;
    Invalidate();
    if (m_manager != nullptr) {
        m_manager->NeedUpdate();
    }
}

void CControlUI::NeedParentUpdate() {
    if (m_parent != nullptr) {
        m_parent->NeedUpdate();
        m_parent->Invalidate();
    } else {
        NeedUpdate();
    }
    if (m_manager != nullptr) {
        m_manager->NeedUpdate();
    }
}

void CControlUI::DoPaint(HDC hdc, const RECT& paint) {
    RECT visible{};
    if (!::IntersectRect(&visible, &paint, &m_rect)) {
        return;
    }
    CRender::ClipScope clip(hdc, visible, m_borderRound);
    PaintBkColor(hdc);
    PaintBkImage(hdc);
    PaintStatusImage(hdc);
    PaintText(hdc);
    PaintBorder(hdc);
}

void CControlUI::PaintBkColor(HDC hdc) {
    if (m_bkColor != 0) {
        CRender::FillColor(hdc, m_rect, m_bkColor);
    }
}

void CControlUI::PaintBkImage(HDC hdc) {
    if (!m_bkImage.IsEmpty()) {
        DrawImage(hdc, m_bkImage);
    }
}

void CControlUI::PaintBorder(HDC hdc) {
    if (m_borderColor == 0) {
        return;
    }
    if (m_borderRound.cx > 0 || m_borderRound.cy > 0) {
        CRender::DrawRoundRect(hdc, m_rect, m_borderSize.left, m_borderRound, m_borderColor);
    } else {
        CRender::DrawBorder(hdc, m_rect, m_borderSize, m_borderColor);
    }
}

CResourceCache* CControlUI::GetResources() const {
    return m_manager != nullptr ? &m_manager->GetResources() : nullptr;
}

bool CControlUI::DrawImage(HDC hdc, const char* description) {
    if (m_manager == nullptr || description == nullptr || *description == '\0') {
        return false;
    }
    return CRender::DrawImage(hdc, GetResources(), m_rect, m_manager->GetPaintRect(), description);
}

void CControlUI::Event(TEventUI& event) {
    if (OnEvent.Raise(&event)) {
        DoEvent(event);
    }
}

void CControlUI::DoEvent(TEventUI& event) {
    switch (event.type) {
    case UiEvent::SetCursor:
        ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
        return;
    case UiEvent::SetFocus:
        m_focused = true;
        Invalidate();
        return;
    case UiEvent::KillFocus:
        m_focused = false;
        Invalidate();
        return;
    case UiEvent::Timer:
        if (m_manager != nullptr) {
            m_manager->SendNotify(this, "timer", event.wParam, event.lParam);
        }
        return;
    default:
        break;
    }
    if (m_parent != nullptr) {
        m_parent->DoEvent(event);
    }
}

} // namespace Ui
