// CComboUI: a drop-down list. Its children are the entries; closed it shows
// the selected entry's text, and a press (or F4) opens the entries in a
// pop-up window below it. Keys and the wheel move the selection directly.
#pragma once

#include "ui/ContainerUI.h"
#include "ui/ListLabelElementUI.h"

namespace Ui {

class CComboWindow;

class CComboUI : public CContainerUI, public IListOwnerUI {
public:
    CComboUI();
    ~CComboUI() override;

    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

    // The selected entry's text (empty with no selection); the combo's own
    // "text" is never shown.
    CUiString GetText() const override;

    // IListOwnerUI
    const TListInfoUI& GetListInfo() const override { return m_listInfo; }
    int GetCurSel() const override { return m_curSel; }
    // Closes an open drop-down first. Same index: nothing happens. Below 0 or
    // an empty list: fails. Past the end: the last entry. A hidden or
    // disabled entry: fails. Otherwise raises "itemselect" (new index,
    // previous index) when `notify` is set.
    bool SelectItem(int index, bool takeFocus = false, bool notify = true) override;
    CResourceCache* GetItemResources() const override { return GetResources(); }

    // Entries: the indices are kept in step; removing closes the drop-down.
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    // Empties the list, leaving no selection and raising nothing.
    void RemoveAll() override;

    // Opens the drop-down window ("dropdown"); true when it is open.
    bool Activate() override;
    void CloseDropDown();
    bool IsDroppedDown() const { return m_window != nullptr; }
    // The open drop-down window, or null.
    HWND GetDropDownWindow() const;
    // The selection when the drop-down opened (re-selected by Escape).
    int GetSelectionAtOpen() const { return m_selectionAtOpen; }

    SIZE GetDropBoxSize() const { return m_dropBoxSize; }
    const RECT& GetTextPadding() const { return m_textPadding; }
    // The index `index` moves to when stepping toward `forward`: the first
    // visible, enabled entry from there on, or -1.
    int FindSelectable(int index, bool forward) const;

    void SetManager(CPaintManager* manager, CControlUI* parent, bool init = true) override;
    void ForEach(const std::function<void(CControlUI*)>& visit) override;
    CControlUI* FindControlAt(POINT point) override;
    void SetEnabled(bool enabled = true) override;
    void SetPos(RECT rect, bool needInvalidate = true) override;
    void SetAttribute(const char* name, const char* value) override;
    void DoEvent(TEventUI& event) override;
    void DoPaint(HDC hdc, const RECT& paint) override;
    void PaintStatusImage(HDC hdc) override;
    void PaintText(HDC hdc) override;

private:
    friend class CComboWindow;
    void Renumber();
    // The font the selected entry's text is shown in within `rect`: the item
    // font when the text fits, else the largest smaller font of the window
    // in which it does; when none does, the smallest, and `extraStyle` gets
    // an ellipsis so that the cut shows.
    int SelectedTextFont(HDC hdc, const CUiString& text, const RECT& rect, UINT& extraStyle) const;

    TListInfoUI m_listInfo;
    int m_curSel = -1;
    int m_selectionAtOpen = -1;
    CComboWindow* m_window = nullptr;
    SIZE m_dropBoxSize{};
    RECT m_textPadding{};
    bool m_showText = true;
    bool m_hot = false;
    bool m_pushed = false;
    CUiString m_normalImage;
    CUiString m_hotImage;
    CUiString m_pushedImage;
    CUiString m_focusedImage;
    CUiString m_disabledImage;
};

} // namespace Ui
