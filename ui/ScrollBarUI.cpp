#include "ui/ScrollBarUI.h"

#include <cstring>

#include "ui/AttributeTable.h"
#include "ui/AttributeValues.h"
#include "ui/ContainerUI.h"
#include "ui/PaintManager.h"
#include "ui/Render.h"
#include "ui/WinGeometry.h"

namespace Ui {

namespace {

constexpr int kDefaultWidth = 16;

UiPoint ToUiPoint(POINT point) {
    return UiPoint{point.x, point.y};
}

} // namespace

CScrollBarUI::CScrollBarUI() {
    m_fixed.cx = kDefaultWidth;
    Place();
}

const char* CScrollBarUI::GetClass() const {
    return "ScrollBar";
}

void* CScrollBarUI::GetInterface(const char* name) {
    if (std::strcmp(name, "ScrollBar") == 0) {
        return static_cast<CScrollBarUI*>(this);
    }
    return CControlUI::GetInterface(name);
}

void CScrollBarUI::SetScrollRange(int range) {
    m_range = range < 0 ? 0 : range;
    if (m_position > m_range) {
        m_position = m_range;
    }
    Place();
}

void CScrollBarUI::SetScrollPos(int position, bool notify) {
    const int old = m_position;
    m_position = NormalizeScrollPosition(position, m_range, m_scrollUnit);
    Place();
    if (notify && m_manager != nullptr) {
        m_manager->SendNotify(this, "scroll", static_cast<WPARAM>(m_position),
                              static_cast<LPARAM>(old), true, false);
    }
}

void CScrollBarUI::SetShowButton1(bool show) {
    m_showButton1 = show;
    Place();
}

void CScrollBarUI::SetShowButton2(bool show) {
    m_showButton2 = show;
    Place();
}

void CScrollBarUI::Place() {
    m_geometry = VerticalScrollBarGeometry(ToUiRect(m_rect), m_range, m_position, m_showButton1,
                                           m_showButton2);
    Invalidate();
}

void CScrollBarUI::SetPos(RECT rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    Place();
}

void CScrollBarUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!enabled) {
        m_button1State = m_button2State = m_thumbState = 0;
    }
}

void CScrollBarUI::SetAttribute(const char* name, const char* value) {
    using Self = CScrollBarUI;
    static const AttributeSetter<Self> kAttributes[] = {
        {"bknormalimage", [](Self& c, const char* v) { c.SetImage(c.m_bkNormalImage, v); }},
        {"bkhotimage", [](Self& c, const char* v) { c.SetImage(c.m_bkHotImage, v); }},
        {"bkpushedimage", [](Self& c, const char* v) { c.SetImage(c.m_bkPushedImage, v); }},
        {"bkdisabledimage", [](Self& c, const char* v) { c.SetImage(c.m_bkDisabledImage, v); }},
        {"button1normalimage",
         [](Self& c, const char* v) { c.SetImage(c.m_button1NormalImage, v); }},
        {"button1hotimage", [](Self& c, const char* v) { c.SetImage(c.m_button1HotImage, v); }},
        {"button1pushedimage",
         [](Self& c, const char* v) { c.SetImage(c.m_button1PushedImage, v); }},
        {"button1disabledimage",
         [](Self& c, const char* v) { c.SetImage(c.m_button1DisabledImage, v); }},
        {"button2normalimage",
         [](Self& c, const char* v) { c.SetImage(c.m_button2NormalImage, v); }},
        {"button2hotimage", [](Self& c, const char* v) { c.SetImage(c.m_button2HotImage, v); }},
        {"button2pushedimage",
         [](Self& c, const char* v) { c.SetImage(c.m_button2PushedImage, v); }},
        {"button2disabledimage",
         [](Self& c, const char* v) { c.SetImage(c.m_button2DisabledImage, v); }},
        {"thumbnormalimage", [](Self& c, const char* v) { c.SetImage(c.m_thumbNormalImage, v); }},
        {"thumbhotimage", [](Self& c, const char* v) { c.SetImage(c.m_thumbHotImage, v); }},
        {"thumbpushedimage", [](Self& c, const char* v) { c.SetImage(c.m_thumbPushedImage, v); }},
        {"thumbdisabledimage",
         [](Self& c, const char* v) { c.SetImage(c.m_thumbDisabledImage, v); }},
        {"railnormalimage", [](Self& c, const char* v) { c.SetImage(c.m_railNormalImage, v); }},
        {"railhotimage", [](Self& c, const char* v) { c.SetImage(c.m_railHotImage, v); }},
        {"railpushedimage", [](Self& c, const char* v) { c.SetImage(c.m_railPushedImage, v); }},
        {"raildisabledimage", [](Self& c, const char* v) { c.SetImage(c.m_railDisabledImage, v); }},
        {"button1color", [](Self& c, const char* v) { c.m_button1Color = ParseColor(v); }},
        {"button2color", [](Self& c, const char* v) { c.m_button2Color = ParseColor(v); }},
        {"thumbcolor", [](Self& c, const char* v) { c.m_thumbColor = ParseColor(v); }},
        {"showbutton1", [](Self& c, const char* v) { c.SetShowButton1(ParseBool(v)); }},
        {"showbutton2", [](Self& c, const char* v) { c.SetShowButton2(ParseBool(v)); }},
        {"range", [](Self& c, const char* v) { c.SetScrollRange(ParseInt(v)); }},
        {"value", [](Self& c, const char* v) { c.SetScrollPos(ParseInt(v), false); }},
        {"linesize", [](Self& c, const char* v) { c.SetLineSize(ParseInt(v)); }},
        {"scrollunit", [](Self& c, const char* v) { c.SetScrollUnit(ParseInt(v)); }},
    };
    if (!ApplyAttribute(kAttributes, *this, name, value)) {
        CControlUI::SetAttribute(name, value);
    }
}

void CScrollBarUI::SetImage(CUiString& image, const char* value) {
    image = value;
    Invalidate();
}

void CScrollBarUI::StepLine(bool up) {
    if (m_owner != nullptr) {
        if (up) {
            m_owner->LineUp();
        } else {
            m_owner->LineDown();
        }
    } else {
        SetScrollPos(m_position + (up ? -m_lineSize : m_lineSize));
    }
}

void CScrollBarUI::StepPage(bool up) {
    if (m_owner != nullptr) {
        if (up) {
            m_owner->PageUp();
        } else {
            m_owner->PageDown();
        }
    } else {
        // Without an owner a page is what the rail shows.
        const int page = m_geometry.rail.height();
        SetScrollPos(m_position + (up ? -page : page));
    }
}

void CScrollBarUI::StopPress() {
    if (m_manager != nullptr) {
        m_manager->KillTimer(this, kScrollTimerId);
    }
    m_button1State &= ~kPushed;
    m_button2State &= ~kPushed;
    m_thumbState &= ~(kPushed | kCaptured);
    m_railHeld = false;
    Invalidate();
}

void CScrollBarUI::UpdateHot(POINT point, bool inside) {
    UINT thumbState = m_thumbState;
    if (inside && m_geometry.hasThumb && m_geometry.thumb.contains(ToUiPoint(point))) {
        thumbState |= kHot;
    } else {
        thumbState &= ~kHot;
    }
    if (thumbState != m_thumbState) {
        m_thumbState = thumbState;
        Invalidate();
    }
}

void CScrollBarUI::DoEvent(TEventUI& event) {
    switch (event.type) {
    case UiEvent::ButtonDown:
    case UiEvent::DblClick:
        if (IsEnabled()) {
            OnPress(event.mouse);
        }
        return;
    case UiEvent::ButtonUp:
        OnRelease();
        return;
    case UiEvent::MouseMove:
        if ((m_thumbState & kCaptured) != 0) {
            m_dragOffset = ThumbDragOffset(event.mouse.y - m_pressPoint.y, m_range, m_geometry);
        } else if ((m_button1State & kHot) != 0) {
            UpdateHot(event.mouse, ::PtInRect(&m_rect, event.mouse) != FALSE);
        }
        return;
    case UiEvent::MouseEnter:
        if (IsEnabled()) {
            m_button1State |= kHot;
            m_button2State |= kHot;
            UpdateHot(event.mouse, true);
            Invalidate();
        }
        return;
    case UiEvent::MouseLeave:
        if (IsEnabled()) {
            m_button1State &= ~kHot;
            m_button2State &= ~kHot;
            m_thumbState &= ~kHot;
            Invalidate();
        }
        return;
    case UiEvent::Timer:
        if (event.wParam != kScrollTimerId) {
            break;
        }
        OnTimerTick();
        return;
    default:
        break;
    }
    CControlUI::DoEvent(event);
}

void CScrollBarUI::OnPress(POINT point) {
    m_ticks = 0;
    m_dragOffset = 0;
    m_railHeld = false;
    if (m_manager != nullptr) {
        m_manager->SetTimer(this, kScrollTimerId, kScrollTimerElapse);
    }
    switch (HitTestScrollBar(m_geometry, ToUiPoint(point))) {
    case ScrollBarPart::Button1:
        m_button1State |= kPushed;
        StepLine(true);
        break;
    case ScrollBarPart::Button2:
        m_button2State |= kPushed;
        StepLine(false);
        break;
    case ScrollBarPart::Thumb:
        m_thumbState |= kPushed | kCaptured;
        m_pressPoint = point;
        m_pressPosition = m_position;
        break;
    case ScrollBarPart::RailAbove:
        m_railHeld = true;
        StepPage(true);
        break;
    case ScrollBarPart::RailBelow:
        m_railHeld = true;
        StepPage(false);
        break;
    case ScrollBarPart::None:
        break;
    }
    Invalidate();
}

void CScrollBarUI::OnRelease() {
    const bool dragging = (m_thumbState & kCaptured) != 0;
    // A drag released before the next tick still lands where it was let go.
    const int target = m_pressPosition + m_dragOffset;
    StopPress();
    if (dragging) {
        ScrollTo(target);
    }
}

void CScrollBarUI::OnTimerTick() {
    ++m_ticks;
    if ((m_thumbState & kCaptured) != 0) {
        ScrollTo(m_pressPosition + m_dragOffset);
    } else if (m_ticks < kRepeatDelayTicks) {
        // Held presses repeat only after a pause.
    } else if ((m_button1State & kPushed) != 0) {
        StepLine(true);
    } else if ((m_button2State & kPushed) != 0) {
        StepLine(false);
    } else if (m_railHeld && m_geometry.hasThumb) {
        // Page toward the cursor until the thumb reaches it.
        const POINT cursor = m_manager != nullptr ? m_manager->GetMousePos() : m_pressPoint;
        if (cursor.y < m_geometry.thumb.top) {
            StepPage(true);
        } else if (cursor.y >= m_geometry.thumb.bottom) {
            StepPage(false);
        }
    }
}

void CScrollBarUI::ScrollTo(int position) {
    if (m_owner != nullptr) {
        m_owner->SetScrollPos(SIZE{0, position});
    } else {
        SetScrollPos(position);
    }
}

bool CScrollBarUI::DrawPart(HDC hdc, const RECT& part, const char* image) {
    if (m_manager == nullptr || image == nullptr || *image == '\0') {
        return false;
    }
    return CRender::DrawImage(hdc, GetResources(), part, m_manager->GetPaintRect(), image);
}

void CScrollBarUI::PaintPart(HDC hdc, const UiRect& part, DWORD color, UINT state,
                             const CUiString& normal, const CUiString& hot, const CUiString& pushed,
                             const CUiString& disabled) {
    const RECT rect = ToRECT(part);
    if (color != 0) {
        CRender::FillColor(hdc, rect, color);
    }
    const CUiString* image = &normal;
    if (!IsEnabled()) {
        image = &disabled;
    } else if ((state & kPushed) != 0) {
        image = &pushed;
    } else if ((state & kHot) != 0) {
        image = &hot;
    }
    if (image == &normal || !DrawPart(hdc, rect, *image)) {
        DrawPart(hdc, rect, normal);
    }
}

void CScrollBarUI::PaintStatusImage(HDC hdc) {
    // Background by the thumb's state.
    const CUiString* background = &m_bkNormalImage;
    if (!IsEnabled()) {
        background = &m_bkDisabledImage;
    } else if ((m_thumbState & kPushed) != 0) {
        background = &m_bkPushedImage;
    } else if ((m_thumbState & kHot) != 0) {
        background = &m_bkHotImage;
    }
    if (background == &m_bkNormalImage || !DrawImage(hdc, *background)) {
        DrawImage(hdc, m_bkNormalImage);
    }

    if (m_showButton1) {
        PaintPart(hdc, m_geometry.button1, m_button1Color, m_button1State, m_button1NormalImage,
                  m_button1HotImage, m_button1PushedImage, m_button1DisabledImage);
    }
    if (m_showButton2) {
        PaintPart(hdc, m_geometry.button2, m_button2Color, m_button2State, m_button2NormalImage,
                  m_button2HotImage, m_button2PushedImage, m_button2DisabledImage);
    }
    if (!m_geometry.hasThumb) {
        return;
    }
    PaintPart(hdc, m_geometry.thumb, m_thumbColor, m_thumbState, m_thumbNormalImage,
              m_thumbHotImage, m_thumbPushedImage, m_thumbDisabledImage);
    PaintPart(hdc, m_geometry.railImage, 0, m_thumbState, m_railNormalImage, m_railHotImage,
              m_railPushedImage, m_railDisabledImage);
}

} // namespace Ui
