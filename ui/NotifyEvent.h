// CNotifyEvent and INotifyListener: how controls tell the program what the
// user did.
#pragma once

#include <windows.h>

#include "ui/UiString.h"

namespace Ui {

class CControlUI;

struct CNotifyEvent {
    CUiString type;
    CUiString virtualWindow;
    CControlUI* sender = nullptr;
    DWORD timestamp = 0;
    POINT mousePoint{};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class INotifyListener {
public:
    virtual void Notify(CNotifyEvent& event) = 0;

protected:
    ~INotifyListener() = default;
};

} // namespace Ui
