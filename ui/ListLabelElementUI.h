// CListLabelElementUI: one text entry of a drop-down list. Its look (font,
// colours, images, padding, height) comes from the list that owns it; the
// entry itself only knows its index and whether it is hot or selected.
#pragma once

#include "ui/ControlUI.h"

namespace Ui {

// What a list prescribes for all of its entries.
struct TListInfoUI {
    int font = -1;
    UINT textStyle = DT_VCENTER | DT_SINGLELINE;
    RECT textPadding{};
    int itemHeight = 0;
    DWORD textColor = 0xFF000000;
    DWORD bkColor = 0;
    CUiString bkImage;
    bool alternateBk = false;
    DWORD selectedTextColor = 0xFF000000;
    DWORD selectedBkColor = 0xFFC1E3FF;
    CUiString selectedImage;
    DWORD hotTextColor = 0xFF000000;
    DWORD hotBkColor = 0xFFE9F5FF;
    CUiString hotImage;
    DWORD disabledTextColor = 0xFFCCCCCC;
    DWORD disabledBkColor = 0xFFFFFFFF;
    CUiString disabledImage;
    DWORD hLineColor = 0;
    DWORD vLineColor = 0;
    int hLineSize = 0;
    int vLineSize = 0;
    bool showHtml = false;
};

// The list side of an entry.
class IListOwnerUI {
public:
    virtual const TListInfoUI& GetListInfo() const = 0;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int index, bool takeFocus = false, bool notify = true) = 0;
    // The fonts and images the entries use, wherever they are shown.
    virtual CResourceCache* GetItemResources() const = 0;

protected:
    ~IListOwnerUI() = default;
};

class CListLabelElementUI : public CControlUI {
public:
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

    IListOwnerUI* GetOwner() const { return m_owner; }
    void SetOwner(IListOwnerUI* owner) { m_owner = owner; }
    int GetIndex() const { return m_index; }
    void SetIndex(int index) { m_index = index; }
    bool IsSelected() const { return m_selected; }
    // Marks the entry; does not change the list's selection.
    void SetSelected(bool selected);
    bool IsHot() const { return m_hot; }
    // Selects this entry's index in its list, with notification.
    bool Select();

    void SetManager(CPaintManager* manager, CControlUI* parent, bool init = true) override;
    void SetEnabled(bool enabled = true) override;
    // Own fixed height, else the list's item height, else the item font's
    // character height + 8 + the vertical item text padding.
    SIZE EstimateSize(SIZE available) override;
    void DoEvent(TEventUI& event) override;
    void DoPaint(HDC hdc, const RECT& paint) override;

    // Also used by the list to show the selected entry's text in its own face.
    void DrawItemBk(HDC hdc, const RECT& rect);
    void DrawItemText(HDC hdc, const RECT& rect);
    // The same in another font, with more DrawText style flags.
    void DrawItemText(HDC hdc, const RECT& rect, int font, UINT extraStyle);

private:
    const TListInfoUI& Info() const;
    CResourceCache* ListResources() const;
    bool DrawListImage(HDC hdc, const RECT& rect, const char* image);

    IListOwnerUI* m_owner = nullptr;
    int m_index = -1;
    bool m_selected = false;
    bool m_hot = false;
};

} // namespace Ui
