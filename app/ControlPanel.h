// ControlPanel: the right-hand controls and the bottom bar; carries out
// every control action other than the title-bar buttons.
#pragma once

#include <windows.h>

#include "ui/NotifyEvent.h"

namespace Ui {
class CControlUI;
class CPaintManager;
} // namespace Ui
class CaptureViewUI;
class OrvanaCamera;

class ControlPanel {
public:
    ControlPanel(Ui::CControlUI* tabLayout, HWND owner, CaptureViewUI* preview);

    // Looks up every control the panel works with, by name.
    void FindControls(Ui::CPaintManager& manager);
    // Rebuilds the camera list and selects entry `index` with notification.
    void FillCameraList(int index);
    // Brings the panel into line with a camera, or empties it without one.
    void RefreshFormatLists(OrvanaCamera* camera);
    void OnNotify(Ui::CNotifyEvent& event);
    void OnTimer(WPARAM wParam, LPARAM lParam);
    void StopRecordingIfActive();

private:
    Ui::CControlUI* m_tabLayout;
    HWND m_owner;
    CaptureViewUI* m_preview;
};
