// CLabelUI: text on a background, in the label's font, colour and alignment.
// The base of buttons, options, progress bars and sliders.
#pragma once

#include "ui/ControlUI.h"

namespace Ui {

class CLabelUI : public CControlUI {
public:
    CLabelUI();

    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

    void SetText(const char* text) override;
    UINT GetTextStyle() const { return m_textStyle; }
    int GetFont() const { return m_font; }
    void SetFont(int font);
    DWORD GetTextColor() const { return m_textColor; }
    void SetTextColor(DWORD color);
    DWORD GetDisabledTextColor() const { return m_disabledTextColor; }
    const RECT& GetTextPadding() const { return m_textPadding; }
    void SetTextPadding(RECT padding);
    bool IsMultiLine() const { return (m_textStyle & DT_SINGLELINE) == 0; }

    SIZE EstimateSize(SIZE available) override;
    void SetAttribute(const char* name, const char* value) override;
    void PaintText(HDC hdc) override;

protected:
    // The colour the text is drawn in for the control's current state.
    virtual DWORD GetPaintTextColor() const;
    int CharHeight() const;

    int m_font = -1;
    UINT m_textStyle = DT_VCENTER | DT_SINGLELINE;
    DWORD m_textColor = 0;
    DWORD m_disabledTextColor = 0;
    RECT m_textPadding{};
    bool m_showHtml = false;

private:
    // Text measurement, cached until the text, font or offered width changes.
    SIZE m_measured{};
    int m_measuredWidth = -2;
    bool m_measureValid = false;
};

} // namespace Ui
