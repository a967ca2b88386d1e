#include "ui/ButtonUI.h"

#include <cstring>

#include "ui/AttributeTable.h"
#include "ui/AttributeValues.h"
#include "ui/PaintManager.h"
#include "ui/Render.h"
#include "ui/SizeEstimation.h"
#include "ui/WinGeometry.h"

namespace Ui {

bool TrackHotState(CControlUI& control, UINT& state, const TEventUI& event) {
    switch (event.type) {
    case UiEvent::SetCursor:
        ::SetCursor(::LoadCursorA(nullptr, IDC_HAND));
        return true;
    case UiEvent::MouseEnter:
    case UiEvent::MouseLeave:
        if (control.IsEnabled()) {
            if (event.type == UiEvent::MouseEnter) {
                state |= kStateHot;
            } else {
                state &= ~kStateHot;
            }
            control.Invalidate();
        }
        return true;
    default:
        return false;
    }
}

CButtonUI::CButtonUI() {
    m_textStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
}

const char* CButtonUI::GetClass() const {
    return "Button";
}

void* CButtonUI::GetInterface(const char* name) {
    if (std::strcmp(name, "Button") == 0) {
        return static_cast<CButtonUI*>(this);
    }
    return CLabelUI::GetInterface(name);
}

bool CButtonUI::Activate() {
    if (!CControlUI::Activate()) {
        return false;
    }
    if (m_manager != nullptr) {
        m_manager->SendNotify(this, "click");
    }
    return true;
}

void CButtonUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!enabled) {
        m_buttonState = 0;
    }
}

SIZE CButtonUI::EstimateSize(SIZE) {
    return ToSIZE(EstimateButtonSize(ToUiSize(m_fixed), CharHeight()));
}

void CButtonUI::SetAttribute(const char* name, const char* value) {
    using Self = CButtonUI;
    static const AttributeSetter<Self> kAttributes[] = {
        {"normalimage", [](Self& c, const char* v) { c.m_normalImage = v; }},
        {"hotimage", [](Self& c, const char* v) { c.m_hotImage = v; }},
        {"pushedimage", [](Self& c, const char* v) { c.m_pushedImage = v; }},
        {"focusedimage", [](Self& c, const char* v) { c.m_focusedImage = v; }},
        {"disabledimage", [](Self& c, const char* v) { c.m_disabledImage = v; }},
        {"foreimage", [](Self& c, const char* v) { c.m_foreImage = v; }},
        {"hotforeimage", [](Self& c, const char* v) { c.m_hotForeImage = v; }},
        {"hotbkcolor", [](Self& c, const char* v) { c.m_hotBkColor = ParseColor(v); }},
        {"hottextcolor", [](Self& c, const char* v) { c.m_hotTextColor = ParseColor(v); }},
        {"pushedtextcolor", [](Self& c, const char* v) { c.m_pushedTextColor = ParseColor(v); }},
        {"focusedtextcolor", [](Self& c, const char* v) { c.m_focusedTextColor = ParseColor(v); }},
    };
    if (ApplyAttribute(kAttributes, *this, name, value)) {
        Invalidate();
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

void CButtonUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && event.type != UiEvent::SetFocus && event.type != UiEvent::KillFocus) {
        CLabelUI::DoEvent(event);
        return;
    }
    if (TrackHotState(*this, m_buttonState, event)) {
        return;
    }
    switch (event.type) {
    case UiEvent::SetFocus:
    case UiEvent::KillFocus:
        CLabelUI::DoEvent(event);
        return;
    case UiEvent::KeyDown:
        if (event.key == VK_SPACE || event.key == VK_RETURN) {
            Activate();
            return;
        }
        break;
    case UiEvent::ButtonDown:
    case UiEvent::DblClick:
        if (::PtInRect(&m_rect, event.mouse) && IsEnabled()) {
            m_buttonState |= kStatePushed | kStateCaptured;
            Invalidate();
        }
        return;
    case UiEvent::MouseMove:
        if ((m_buttonState & kStateCaptured) != 0) {
            // While held, the pushed look follows whether the mouse is inside.
            if (::PtInRect(&m_rect, event.mouse)) {
                m_buttonState |= kStatePushed;
            } else {
                m_buttonState &= ~kStatePushed;
            }
            Invalidate();
        }
        return;
    case UiEvent::ButtonUp:
        if ((m_buttonState & kStateCaptured) != 0) {
            bool inside = ::PtInRect(&m_rect, event.mouse) != FALSE;
            m_buttonState &= ~(kStatePushed | kStateCaptured);
            Invalidate();
            if (inside) {
                Activate();
            }
        }
        return;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

DWORD CButtonUI::GetPaintTextColor() const {
    if (IsEnabled()) {
        if ((m_buttonState & kStatePushed) != 0 && m_pushedTextColor != 0) {
            return m_pushedTextColor;
        }
        if ((m_buttonState & kStateHot) != 0 && m_hotTextColor != 0) {
            return m_hotTextColor;
        }
        if (IsFocused() && m_focusedTextColor != 0) {
            return m_focusedTextColor;
        }
    }
    return CLabelUI::GetPaintTextColor();
}

void CButtonUI::PaintButtonState(HDC hdc, bool allowPushed) {
    if (!IsEnabled()) {
        if (!DrawImage(hdc, m_disabledImage)) {
            DrawImage(hdc, m_normalImage);
        }
    } else if (allowPushed && (m_buttonState & kStatePushed) != 0) {
        if (!DrawImage(hdc, m_pushedImage)) {
            DrawImage(hdc, m_normalImage);
        }
    } else if ((m_buttonState & kStateHot) != 0) {
        if (!DrawImage(hdc, m_hotImage)) {
            DrawImage(hdc, m_normalImage);
        }
        if (!DrawImage(hdc, m_hotForeImage) && m_hotBkColor != 0) {
            CRender::FillColor(hdc, m_rect, m_hotBkColor);
        }
    } else if (IsFocused()) {
        if (!DrawImage(hdc, m_focusedImage)) {
            DrawImage(hdc, m_normalImage);
        }
    } else {
        DrawImage(hdc, m_normalImage);
    }
}

void CButtonUI::PaintStatusImage(HDC hdc) {
    PaintButtonState(hdc, true);
    DrawImage(hdc, m_foreImage);
}

} // namespace Ui
