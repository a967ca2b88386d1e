#include "ui/ProgressUI.h"

#include <cstring>

#include "ui/AttributeTable.h"
#include "ui/AttributeValues.h"
#include "ui/Render.h"

namespace Ui {

namespace {

int Clamp(int value, int low, int high) {
    if (high < low) {
        return low;
    }
    return value < low ? low : (value > high ? high : value);
}

} // namespace

CProgressUI::CProgressUI() {
    m_fixed.cy = 12;
    m_textStyle = DT_SINGLELINE | DT_CENTER;
}

const char* CProgressUI::GetClass() const {
    return "Progress";
}

void* CProgressUI::GetInterface(const char* name) {
    if (std::strcmp(name, "Progress") == 0) {
        return static_cast<CProgressUI*>(this);
    }
    return CLabelUI::GetInterface(name);
}

void CProgressUI::SetMinValue(int minimum) {
    m_min = minimum;
    m_value = Clamp(m_value, m_min, m_max);
    Invalidate();
}

void CProgressUI::SetMaxValue(int maximum) {
    m_max = maximum;
    m_value = Clamp(m_value, m_min, m_max);
    Invalidate();
}

void CProgressUI::SetValue(int value) {
    int clamped = Clamp(value, m_min, m_max);
    if (clamped == m_value) {
        return;
    }
    m_value = clamped;
    Invalidate();
}

void CProgressUI::SetAttribute(const char* name, const char* value) {
    using Self = CProgressUI;
    static const AttributeSetter<Self> kAttributes[] = {
        {"min", [](Self& c, const char* v) { c.SetMinValue(ParseInt(v)); }},
        {"max", [](Self& c, const char* v) { c.SetMaxValue(ParseInt(v)); }},
        {"value", [](Self& c, const char* v) { c.SetValue(ParseInt(v)); }},
        {"hor",
         [](Self& c, const char* v) {
             c.m_horizontal = ParseBool(v);
             c.Invalidate();
         }},
        {"foreimage",
         [](Self& c, const char* v) {
             c.m_foreImage = v;
             c.Invalidate();
         }},
    };
    if (!ApplyAttribute(kAttributes, *this, name, value)) {
        CLabelUI::SetAttribute(name, value);
    }
}

void CProgressUI::PaintStatusImage(HDC hdc) {
    if (m_foreImage.IsEmpty() || m_max <= m_min) {
        return;
    }
    // The fore image is laid over the whole bar and shown up to the value.
    RECT filled = m_rect;
    long long span = m_max - m_min;
    long long done = m_value - m_min;
    if (m_horizontal) {
        filled.right = m_rect.left + static_cast<int>((m_rect.right - m_rect.left) * done / span);
    } else {
        filled.top = m_rect.bottom - static_cast<int>((m_rect.bottom - m_rect.top) * done / span);
    }
    if (::IsRectEmpty(&filled)) {
        return;
    }
    CRender::ClipScope clip(hdc, filled);
    DrawImage(hdc, m_foreImage);
}

} // namespace Ui
