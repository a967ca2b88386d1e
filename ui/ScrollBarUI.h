// CScrollBarUI: the vertical scroll bar a container shows when its children
// do not fit: two end buttons, a rail and a thumb, each drawn from its own
// state images. Presses step the owning container by lines or pages and keep
// stepping while held; dragging the thumb scrolls proportionally.
#pragma once

#include "ui/ControlUI.h"
#include "ui/ScrollMath.h"

namespace Ui {

class CContainerUI;

class CScrollBarUI : public CControlUI {
public:
    // Timer that drives held presses and thumb drags.
    static constexpr UINT kScrollTimerId = 10;
    static constexpr UINT kScrollTimerElapse = 50;
    // Ticks before a held button or rail press starts repeating.
    static constexpr int kRepeatDelayTicks = 6;

    CScrollBarUI();

    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

    CContainerUI* GetOwner() const { return m_owner; }
    void SetOwner(CContainerUI* owner) { m_owner = owner; }

    int GetScrollRange() const { return m_range; }
    // A negative range counts as 0; the position is limited to the new range.
    void SetScrollRange(int range);
    int GetScrollPos() const { return m_position; }
    // Rounds to the scroll unit and limits to the range; sends "scroll"
    // (asynchronously, new and old position) when `notify` is set.
    void SetScrollPos(int position, bool notify = true);
    int GetLineSize() const { return m_lineSize; }
    void SetLineSize(int size) { m_lineSize = size; }
    void SetScrollUnit(int unit) { m_scrollUnit = unit < 1 ? 1 : unit; }
    void SetShowButton1(bool show);
    void SetShowButton2(bool show);

    // Where the parts lie after the last placement.
    const ScrollBarGeometry& GetGeometry() const { return m_geometry; }
    bool IsThumbPushed() const { return (m_thumbState & kPushed) != 0; }

    void SetPos(RECT rect, bool needInvalidate = true) override;
    void SetEnabled(bool enabled = true) override;
    void SetAttribute(const char* name, const char* value) override;
    void DoEvent(TEventUI& event) override;
    void PaintStatusImage(HDC hdc) override;

private:
    enum : UINT { kHot = 1, kPushed = 2, kCaptured = 4 };

    // Sets one of the state images and repaints.
    void SetImage(CUiString& image, const char* value);
    void Place();
    void StepLine(bool up);
    void StepPage(bool up);
    void StopPress();
    // A left press on the bar: steps by the part under the point, or grabs the thumb.
    void OnPress(POINT point);
    void OnRelease();
    // A tick of the repeat timer: follows a drag, or repeats a held step.
    void OnTimerTick();
    // Moves the owner's content (or the bar alone without an owner) to `position`.
    void ScrollTo(int position);
    void UpdateHot(POINT point, bool inside);
    bool DrawPart(HDC hdc, const RECT& part, const char* image);
    void PaintPart(HDC hdc, const UiRect& part, DWORD color, UINT state, const CUiString& normal,
                   const CUiString& hot, const CUiString& pushed, const CUiString& disabled);

    CContainerUI* m_owner = nullptr;
    int m_range = 100;
    int m_position = 0;
    int m_lineSize = 8;
    int m_scrollUnit = 1;
    bool m_showButton1 = true;
    bool m_showButton2 = true;
    ScrollBarGeometry m_geometry;

    UINT m_button1State = 0;
    UINT m_button2State = 0;
    UINT m_thumbState = 0;
    bool m_railHeld = false;
    POINT m_pressPoint{};
    int m_pressPosition = 0;
    int m_dragOffset = 0;
    int m_ticks = 0;

    DWORD m_button1Color = 0;
    DWORD m_button2Color = 0;
    DWORD m_thumbColor = 0;
    CUiString m_bkNormalImage, m_bkHotImage, m_bkPushedImage, m_bkDisabledImage;
    CUiString m_button1NormalImage, m_button1HotImage, m_button1PushedImage, m_button1DisabledImage;
    CUiString m_button2NormalImage, m_button2HotImage, m_button2PushedImage, m_button2DisabledImage;
    CUiString m_thumbNormalImage, m_thumbHotImage, m_thumbPushedImage, m_thumbDisabledImage;
    CUiString m_railNormalImage, m_railHotImage, m_railPushedImage, m_railDisabledImage;
};

} // namespace Ui
