// CButtonUI: a label with an image per state (normal, hot, pushed, focused,
// disabled) that raises "click" when pressed and released over it.
#pragma once

#include "ui/LabelUI.h"

namespace Ui {

// State bits of buttons, options, sliders and drop-down lists.
enum ControlState : UINT {
    kStateFocused = 0x01,
    kStateSelected = 0x02,
    kStateDisabled = 0x04,
    kStateHot = 0x08,
    kStatePushed = 0x10,
    kStateCaptured = 0x40,
};

// Keeps the hot bit of `state` in step with the mouse entering and leaving
// an enabled control and shows the hand cursor over it. True when the event
// was one of those.
bool TrackHotState(CControlUI& control, UINT& state, const TEventUI& event);

class CButtonUI : public CLabelUI {
public:
    CButtonUI();

    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

    bool Activate() override;
    void SetEnabled(bool enabled = true) override;
    UINT GetButtonState() const { return m_buttonState; }
    SIZE EstimateSize(SIZE available) override;
    void SetAttribute(const char* name, const char* value) override;
    void DoEvent(TEventUI& event) override;
    void PaintStatusImage(HDC hdc) override;

protected:
    DWORD GetPaintTextColor() const override;
    // Draws the state image of a button; `allowPushed` false skips the pushed look.
    void PaintButtonState(HDC hdc, bool allowPushed);

    UINT m_buttonState = 0;
    CUiString m_normalImage;
    CUiString m_hotImage;
    CUiString m_pushedImage;
    CUiString m_focusedImage;
    CUiString m_disabledImage;
    CUiString m_foreImage;
    CUiString m_hotForeImage;
    DWORD m_hotBkColor = 0;
    DWORD m_hotTextColor = 0;
    DWORD m_pushedTextColor = 0;
    DWORD m_focusedTextColor = 0;
};

} // namespace Ui
