// CProgressUI: a bar whose "foreimage" fills the part up to the value.
#pragma once

#include "ui/LabelUI.h"

namespace Ui {

class CProgressUI : public CLabelUI {
public:
    CProgressUI();

    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

    int GetMinValue() const { return m_min; }
    int GetMaxValue() const { return m_max; }
    int GetValue() const { return m_value; }
    void SetMinValue(int minimum);
    void SetMaxValue(int maximum);
    // Limited to the range; notifies nothing.
    void SetValue(int value);

    void SetAttribute(const char* name, const char* value) override;
    void PaintStatusImage(HDC hdc) override;

protected:
    bool m_horizontal = true;
    int m_min = 0;
    int m_max = 100;
    int m_value = 0;
    CUiString m_foreImage;
};

} // namespace Ui
