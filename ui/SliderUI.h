// CSliderUI: a progress bar with a thumb the user drags, clicks or wheels.
// Raises "valuechanged" when the button is released and on every wheel step.
#pragma once

#include "ui/ProgressUI.h"

namespace Ui {

class CSliderUI : public CProgressUI {
public:
    CSliderUI();

    const char* GetClass() const override;
    void* GetInterface(const char* name) override;
    void SetEnabled(bool enabled = true) override;

    // What one wheel step adds or subtracts.
    int GetStep() const { return m_step; }
    void SetStep(int step);

    RECT GetThumbRect() const;
    UINT GetButtonState() const { return m_buttonState; }

    void SetAttribute(const char* name, const char* value) override;
    void DoEvent(TEventUI& event) override;
    void PaintStatusImage(HDC hdc) override;

private:
    // Takes the value under the point; false when that changes nothing.
    bool TrackPoint(POINT point);

    UINT m_buttonState = 0;
    SIZE m_thumbSize{10, 10};
    int m_step = 1;
    bool m_immediate = false;
    CUiString m_thumbImage;
    CUiString m_thumbHotImage;
    CUiString m_thumbPushedImage;
    CUiString m_disabledImage;
};

} // namespace Ui
