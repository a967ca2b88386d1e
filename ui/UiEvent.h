// TEventUI: one input event delivered by the paint manager to a control.
#pragma once

#include <windows.h>

namespace Ui {

class CControlUI;

enum class UiEvent {
    MouseMove,
    MouseLeave,
    MouseEnter,
    MouseHover,
    ButtonDown,
    ButtonUp,
    RButtonDown,
    DblClick,
    ContextMenu,
    ScrollWheel,
    KeyDown,
    KeyUp,
    Char,
    SysKey,
    SetFocus,
    KillFocus,
    SetCursor,
    Timer,
    WindowSize,
};

struct TEventUI {
    UiEvent type = UiEvent::MouseMove;
    CControlUI* sender = nullptr;
    DWORD timestamp = 0;
    POINT mouse{};
    char key = 0;
    WORD keyState = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

} // namespace Ui
