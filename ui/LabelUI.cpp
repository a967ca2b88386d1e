#include "ui/LabelUI.h"

#include <cstring>

#include "ui/AttributeTable.h"
#include "ui/AttributeValues.h"
#include "ui/PaintManager.h"
#include "ui/Render.h"
#include "ui/SizeEstimation.h"
#include "ui/WinGeometry.h"

namespace Ui {

CLabelUI::CLabelUI() = default;

const char* CLabelUI::GetClass() const {
    return "Label";
}

void* CLabelUI::GetInterface(const char* name) {
    if (std::strcmp(name, "Label") == 0) {
        return static_cast<CLabelUI*>(this);
    }
    return CControlUI::GetInterface(name);
}

void CLabelUI::SetText(const char* text) {
    if (m_text == text) {
        return;
    }
    m_measureValid = false;
    CControlUI::SetText(text);
    if (m_fixed.cx == 0 || m_fixed.cy == 0) {
        NeedParentUpdate();
    }
}

void CLabelUI::SetFont(int font) {
    m_font = font;
    m_measureValid = false;
    Invalidate();
}

void CLabelUI::SetTextColor(DWORD color) {
    m_textColor = color;
    Invalidate();
}

void CLabelUI::SetTextPadding(RECT padding) {
    m_textPadding = padding;
    m_measureValid = false;
    Invalidate();
}

int CLabelUI::CharHeight() const {
    if (m_manager == nullptr) {
        return 0;
    }
    const TFontInfo* font = m_manager->GetResources().GetFontInfo(m_font);
    return font != nullptr ? font->metrics.tmHeight : 0;
}

SIZE CLabelUI::EstimateSize(SIZE available) {
    if (m_fixed.cx > 0 && m_fixed.cy > 0) {
        return m_fixed;
    }
    LabelTextMetrics metrics;
    metrics.charHeight = CharHeight();
    metrics.multiline = IsMultiLine();
    metrics.measure = [this](int wrapWidth) {
        if (!m_measureValid || m_measuredWidth != wrapWidth) {
            RECT bounds{0, 0, wrapWidth < 0 ? 9999 : wrapWidth, 9999};
            UINT style = wrapWidth < 0 ? (DT_SINGLELINE | DT_LEFT) : (DT_WORDBREAK | DT_LEFT);
            HDC dc = m_manager != nullptr ? m_manager->GetPaintDC() : nullptr;
            m_measured = dc != nullptr ? CRender::MeasureText(dc, GetResources(), bounds, m_text,
                                                              m_font, style)
                                       : SIZE{};
            m_measuredWidth = wrapWidth;
            m_measureValid = true;
        }
        return ToUiSize(m_measured);
    };
    if (m_text.IsEmpty()) {
        metrics.measure = [](int) { return UiSize{}; };
    }
    return ToSIZE(EstimateLabelSize(ToUiSize(m_fixed), ToUiSize(available), ToUiRect(m_textPadding),
                                    metrics));
}

void CLabelUI::SetAttribute(const char* name, const char* value) {
    using Self = CLabelUI;
    static const AttributeSetter<Self> kAttributes[] = {
        {"align",
         [](Self& c, const char* v) {
             c.m_textStyle = WithHorizontalAlign(
                 c.m_textStyle, ParseHorizontalAlign(v, HorizontalAlignOf(c.m_textStyle)));
             c.Invalidate();
         }},
        {"valign",
         [](Self& c, const char* v) {
             c.m_textStyle = WithVerticalAlign(
                 c.m_textStyle, ParseVerticalAlign(v, VerticalAlignOf(c.m_textStyle)));
             c.Invalidate();
         }},
        {"font", [](Self& c, const char* v) { c.SetFont(ParseInt(v)); }},
        {"textcolor", [](Self& c, const char* v) { c.SetTextColor(ParseColor(v)); }},
        {"disabledtextcolor",
         [](Self& c, const char* v) {
             c.m_disabledTextColor = ParseColor(v);
             c.Invalidate();
         }},
        {"textpadding", [](Self& c, const char* v) { c.SetTextPadding(ToRECT(ParseRect(v))); }},
        {"multiline",
         [](Self& c, const char* v) {
             if (ParseBool(v)) {
                 c.m_textStyle &= ~DT_SINGLELINE;
                 c.m_textStyle |= DT_WORDBREAK;
             } else {
                 c.m_textStyle &= ~DT_WORDBREAK;
                 c.m_textStyle |= DT_SINGLELINE;
             }
             c.m_measureValid = false;
             c.NeedParentUpdate();
         }},
        {"endellipsis",
         [](Self& c, const char* v) {
             if (ParseBool(v)) {
                 c.m_textStyle |= DT_END_ELLIPSIS;
             } else {
                 c.m_textStyle &= ~DT_END_ELLIPSIS;
             }
             c.Invalidate();
         }},
        {"showhtml", [](Self& c, const char* v) { c.m_showHtml = ParseBool(v); }},
    };
    if (!ApplyAttribute(kAttributes, *this, name, value)) {
        CControlUI::SetAttribute(name, value);
    }
}

DWORD CLabelUI::GetPaintTextColor() const {
    if (!IsEnabled()) {
        if (m_disabledTextColor != 0) {
            return m_disabledTextColor;
        }
        return m_manager != nullptr ? m_manager->GetDefaultDisabledColor() : 0xFFA7A6AA;
    }
    if (m_textColor != 0) {
        return m_textColor;
    }
    return m_manager != nullptr ? m_manager->GetDefaultFontColor() : 0xFF000000;
}

void CLabelUI::PaintText(HDC hdc) {
    if (m_text.IsEmpty()) {
        return;
    }
    RECT rect = m_rect;
    rect.left += m_textPadding.left;
    rect.top += m_textPadding.top;
    rect.right -= m_textPadding.right;
    rect.bottom -= m_textPadding.bottom;
    CRender::DrawText(hdc, GetResources(), rect, m_text, GetPaintTextColor(), m_font, m_textStyle);
}

} // namespace Ui
