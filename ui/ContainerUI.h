// CContainerUI: a control that owns child controls and paints them inside
// its inner area. The layouts decide where the children go.
#pragma once

#include <vector>

#include "ui/ControlUI.h"
#include "ui/LayoutMath.h"

namespace Ui {

class CScrollBarUI;

class IContainerUI {
public:
    virtual CControlUI* GetItemAt(int index) const = 0;
    virtual int GetItemIndex(CControlUI* control) const = 0;
    virtual int GetCount() const = 0;
    virtual bool Add(CControlUI* control) = 0;
    virtual bool AddAt(CControlUI* control, int index) = 0;
    virtual bool Remove(CControlUI* control) = 0;
    virtual bool RemoveAt(int index) = 0;
    virtual void RemoveAll() = 0;

protected:
    ~IContainerUI() = default;
};

class CContainerUI : public CControlUI, public IContainerUI {
public:
    CContainerUI();
    ~CContainerUI() override;

    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

    // IContainerUI: the container owns its children and deletes them.
    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    int GetCount() const override { return static_cast<int>(m_items.size()); }
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    // The control drawn over the children, e.g. a floating overlay.
    void SetCover(CControlUI* cover);

    const RECT& GetInset() const { return m_inset; }
    void SetInset(RECT inset);
    void SetChildPadding(int padding);

    // Scrolling. Only the vertical bar scrolls; "hscrollbar" is remembered but
    // children never overflow sideways in the stacking layouts. The bar shows
    // itself only while the children do not fit.
    virtual void EnableScrollBar(bool enableVertical = true, bool enableHorizontal = false);
    CScrollBarUI* GetVerticalScrollBar() const { return m_verticalScrollBar; }
    // cy is the vertical position and range; cx is always 0.
    virtual SIZE GetScrollPos() const;
    virtual SIZE GetScrollRange() const;
    // Moves the bar (rounded and limited by it) and shifts the children by the change.
    virtual void SetScrollPos(SIZE position);
    virtual void LineUp();
    virtual void LineDown();
    virtual void PageUp();
    virtual void PageDown();
    // One line: the bar's line size above 1, else the default font's height + 8.
    int GetScrollLineStep() const;
    // One page: the height minus the vertical inset.
    int GetScrollPageStep() const;

    void SetManager(CPaintManager* manager, CControlUI* parent, bool init = true) override;
    void ForEach(const std::function<void(CControlUI*)>& visit) override;
    CControlUI* FindControlAt(POINT point) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetAttribute(const char* name, const char* value) override;
    void SetPos(RECT rect, bool needInvalidate = true) override;
    void DoPaint(HDC hdc, const RECT& paint) override;
    void DoEvent(TEventUI& event) override;

protected:
    // The rectangle minus the inset and minus a visible vertical bar.
    RECT GetInnerRect() const;
    // Sets the bar's range for children `contentHeight` high, shows the bar
    // only when they overflow and places it. True when its visibility changed
    // (the inner width changed with it).
    bool UpdateScrollBar(int contentHeight);
    void PlaceFloatingChild(CControlUI* control);
    // Stacks the visible children along one axis (the two layouts' SetPos).
    void StackChildren(LayoutDirection direction, ChildAlignment alignment);

    std::vector<CControlUI*> m_items;
    CControlUI* m_cover = nullptr;
    RECT m_inset{};
    int m_childPadding = 0;
    ChildAlignment m_childAlign = ChildAlignment::Start;
    ChildAlignment m_childVAlign = ChildAlignment::Start;
    bool m_mouseChildEnabled = true;
    CScrollBarUI* m_verticalScrollBar = nullptr;
    bool m_horizontalScrollEnabled = false;
};

} // namespace Ui
