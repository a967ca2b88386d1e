// COptionUI: a button with a selected state. Options of one group are
// mutually exclusive; an option without a group toggles.
#pragma once

#include "ui/ButtonUI.h"

namespace Ui {

class COptionUI : public CButtonUI {
public:
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

    const CUiString& GetGroup() const { return m_group; }
    void SetGroup(const char* group) { m_group = group; }
    bool IsSelected() const { return m_selected; }
    // Changes the state; selecting one of a group deselects the others.
    // Raises "selectchanged" when asked and the state changed.
    virtual void Selected(bool selected, bool notify = true);

    bool Activate() override;
    void SetAttribute(const char* name, const char* value) override;
    void PaintStatusImage(HDC hdc) override;

protected:
    DWORD GetPaintTextColor() const override;

    bool m_selected = false;
    CUiString m_group;
    CUiString m_selectedImage;
    CUiString m_selectedHotImage;
    DWORD m_selectedBkColor = 0;
    DWORD m_selectedTextColor = 0;
};

} // namespace Ui
