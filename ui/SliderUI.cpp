#include "ui/SliderUI.h"

#include <cstring>

#include "ui/AttributeTable.h"
#include "ui/AttributeValues.h"
#include "ui/ButtonUI.h"
#include "ui/PaintManager.h"
#include "ui/Render.h"
#include "ui/SliderMath.h"
#include "ui/WinGeometry.h"

namespace Ui {

CSliderUI::CSliderUI() {
    m_textStyle = DT_SINGLELINE | DT_CENTER;
}

const char* CSliderUI::GetClass() const {
    return "Slider";
}

void* CSliderUI::GetInterface(const char* name) {
    if (std::strcmp(name, "Slider") == 0) {
        return static_cast<CSliderUI*>(this);
    }
    return CProgressUI::GetInterface(name);
}

void CSliderUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!enabled) {
        m_buttonState = 0;
    }
}

void CSliderUI::SetStep(int step) {
    m_step = step;
}

RECT CSliderUI::GetThumbRect() const {
    return ToRECT(SliderThumbRect(ToUiRect(m_rect), ToUiSize(m_thumbSize), m_min, m_max, m_value,
                                  m_horizontal));
}

bool CSliderUI::TrackPoint(POINT point) {
    int value = SliderValueFromPoint(ToUiRect(m_rect), ToUiSize(m_thumbSize), m_min, m_max,
                                     UiPoint{point.x, point.y}, m_horizontal);
    if (value == m_value || value < m_min || value > m_max) {
        return false;
    }
    m_value = value;
    Invalidate();
    return true;
}

void CSliderUI::SetAttribute(const char* name, const char* value) {
    using Self = CSliderUI;
    static const AttributeSetter<Self> kAttributes[] = {
        {"thumbimage", [](Self& c, const char* v) { c.m_thumbImage = v; }},
        {"thumbhotimage", [](Self& c, const char* v) { c.m_thumbHotImage = v; }},
        {"thumbpushedimage", [](Self& c, const char* v) { c.m_thumbPushedImage = v; }},
        {"disabledimage", [](Self& c, const char* v) { c.m_disabledImage = v; }},
        {"thumbsize", [](Self& c, const char* v) { c.m_thumbSize = ToSIZE(ParseSize(v)); }},
        {"step", [](Self& c, const char* v) { c.m_step = ParseInt(v); }},
        {"imm", [](Self& c, const char* v) { c.m_immediate = ParseBool(v); }},
    };
    if (ApplyAttribute(kAttributes, *this, name, value)) {
        Invalidate();
    } else {
        CProgressUI::SetAttribute(name, value);
    }
}

void CSliderUI::DoEvent(TEventUI& event) {
    if (TrackHotState(*this, m_buttonState, event)) {
        return;
    }
    switch (event.type) {
    case UiEvent::ButtonDown:
    case UiEvent::DblClick:
        if (IsEnabled() && ::PtInRect(&m_rect, event.mouse)) {
            m_buttonState |= kStateCaptured;
            TrackPoint(event.mouse);
            Invalidate();
        }
        return;
    case UiEvent::ButtonUp:
        if ((m_buttonState & kStateCaptured) != 0) {
            m_buttonState &= ~kStateCaptured;
            TrackPoint(event.mouse);
            Invalidate();
            if (m_manager != nullptr) {
                m_manager->SendNotify(this, "valuechanged");
            }
        }
        return;
    case UiEvent::MouseMove:
        if ((m_buttonState & kStateCaptured) != 0) {
            if (TrackPoint(event.mouse) && m_immediate && m_manager != nullptr) {
                m_manager->SendNotify(this, "valuechanged");
            }
        }
        return;
    case UiEvent::ScrollWheel:
        if (IsEnabled()) {
            m_value = SliderWheelValue(m_value, m_step, m_min, m_max, event.wParam == 0);
            Invalidate();
            if (m_manager != nullptr) {
                m_manager->SendNotify(this, "valuechanged");
            }
        }
        return;
    default:
        break;
    }
    CProgressUI::DoEvent(event);
}

void CSliderUI::PaintStatusImage(HDC hdc) {
    CProgressUI::PaintStatusImage(hdc);

    RECT thumb = GetThumbRect();
    // Thumb images are drawn into the thumb rectangle; the disabled image
    // covers the whole control.
    auto drawThumb = [&](const CUiString& image) {
        if (image.IsEmpty()) {
            return false;
        }
        RECT saved = m_rect;
        m_rect = thumb;
        bool drawn = DrawImage(hdc, image);
        m_rect = saved;
        return drawn;
    };
    bool drawn = false;
    if ((m_buttonState & kStateCaptured) != 0) {
        drawn = drawThumb(m_thumbPushedImage);
    } else if ((m_buttonState & kStateHot) != 0) {
        drawn = drawThumb(m_thumbHotImage);
    } else if (!IsEnabled()) {
        drawn = DrawImage(hdc, m_disabledImage);
    }
    if (!drawn) {
        drawThumb(m_thumbImage);
    }
}

} // namespace Ui
