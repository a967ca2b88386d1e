// CControlUI: the base of every control in a skin's control tree: name,
// text, position and size rules, background and border, visibility and
// the input-event entry point.
#pragma once

#include <windows.h>

#include <functional>
#include <map>

#include "ui/EventSource.h"
#include "ui/UiEvent.h"
#include "ui/UiString.h"

namespace Ui {

class CPaintManager;
class CResourceCache;

class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    // Identity
    virtual const char* GetClass() const;
    // Gives this object viewed as the named interface ("Control", "Container", ...), or null.
    virtual void* GetInterface(const char* name);
    const CUiString& GetName() const { return m_name; }
    void SetName(const char* name) { m_name = name; }

    // Tree
    CPaintManager* GetManager() const { return m_manager; }
    // The manager's fonts and images; null without a manager.
    CResourceCache* GetResources() const;
    CControlUI* GetParent() const { return m_parent; }
    virtual void SetManager(CPaintManager* manager, CControlUI* parent, bool init = true);
    // Visits this control and every descendant, parents first.
    virtual void ForEach(const std::function<void(CControlUI*)>& visit);
    // The topmost visible control under a point: descendants before this one.
    virtual CControlUI* FindControlAt(POINT point);
    virtual void Init() {}

    // Text
    virtual CUiString GetText() const { return m_text; }
    virtual void SetText(const char* text);
    virtual char GetShortcut() const { return m_shortcut; }

    // State
    virtual bool IsVisible() const { return m_visible && m_internVisible; }
    virtual void SetVisible(bool visible = true);
    virtual void SetInternVisible(bool visible = true);
    virtual bool IsEnabled() const { return m_enabled; }
    virtual void SetEnabled(bool enabled = true);
    virtual bool IsFocused() const { return m_focused; }
    virtual void SetFocus();
    bool IsFloat() const { return m_float; }
    virtual bool IsMouseEnabled() const { return m_mouseEnabled; }
    virtual bool IsKeyboardEnabled() const { return m_keyboardEnabled; }
    virtual bool Activate();

    // Position and size
    const RECT& GetPos() const { return m_rect; }
    virtual void SetPos(RECT rect, bool needInvalidate = true);
    virtual SIZE EstimateSize(SIZE available);
    int GetFixedWidth() const { return m_fixed.cx; }
    int GetFixedHeight() const { return m_fixed.cy; }
    void SetFixedWidth(int width);
    void SetFixedHeight(int height);
    int GetMinWidth() const { return m_min.cx; }
    int GetMinHeight() const { return m_min.cy; }
    int GetMaxWidth() const { return m_max.cx; }
    int GetMaxHeight() const { return m_max.cy; }
    void SetMinWidth(int width);
    void SetMinHeight(int height);
    void SetMaxWidth(int width);
    void SetMaxHeight(int height);
    const RECT& GetPadding() const { return m_padding; }
    void SetPadding(RECT padding);
    const RECT& GetFixedPos() const { return m_fixedPos; }

    // Appearance
    DWORD GetBkColor() const { return m_bkColor; }
    void SetBkColor(DWORD color);
    const CUiString& GetBkImage() const { return m_bkImage; }
    void SetBkImage(const char* image);
    DWORD GetBorderColor() const { return m_borderColor; }
    void SetBorderColor(DWORD color);
    const RECT& GetBorderSize() const { return m_borderSize; }
    void SetBorderSize(RECT size);
    SIZE GetBorderRound() const { return m_borderRound; }
    void SetBorderRound(SIZE round);

    // Attributes from the skin; unknown names are kept as custom attributes.
    virtual void SetAttribute(const char* name, const char* value);
    const char* GetCustomAttribute(const char* name) const;

    // Layout and repaint requests
    void Invalidate();
    void NeedUpdate();
    void NeedParentUpdate();
    bool IsUpdateNeeded() const { return m_updateNeeded; }

    // Painting: background colour, background image, state images, text, border.
    virtual void DoPaint(HDC hdc, const RECT& paint);
    virtual void PaintBkColor(HDC hdc);
    virtual void PaintBkImage(HDC hdc);
    virtual void PaintStatusImage(HDC hdc) {}
    virtual void PaintText(HDC hdc) {}
    virtual void PaintBorder(HDC hdc);
    // Draws an image description into this control; false when nothing could be drawn.
    bool DrawImage(HDC hdc, const char* description);

    // Input
    void Event(TEventUI& event);
    virtual void DoEvent(TEventUI& event);

    // Subscribers
    CEventSource OnSize;
    CEventSource OnEvent;
    CEventSource OnNotify;

protected:
    CPaintManager* m_manager = nullptr;
    CControlUI* m_parent = nullptr;
    CUiString m_name;
    CUiString m_text;
    CUiString m_toolTip;
    CUiString m_userData;
    char m_shortcut = 0;
    RECT m_rect{};
    RECT m_fixedPos{};
    RECT m_padding{};
    SIZE m_fixed{};
    SIZE m_min{};
    SIZE m_max{9999, 9999};
    bool m_visible = true;
    bool m_internVisible = true;
    bool m_enabled = true;
    bool m_focused = false;
    bool m_float = false;
    bool m_mouseEnabled = true;
    bool m_keyboardEnabled = true;
    bool m_updateNeeded = true;
    bool m_inOnSize = false;
    DWORD m_bkColor = 0;
    CUiString m_bkImage;
    DWORD m_borderColor = 0;
    RECT m_borderSize{};
    SIZE m_borderRound{};
    std::map<CUiString, CUiString> m_customAttributes;
};

} // namespace Ui
