#include "app/ControlPanel.h"

#include "capture/CaptureEngine.h"

ControlPanel::ControlPanel(Ui::CControlUI* tabLayout, HWND owner, CaptureViewUI* preview)
    : m_tabLayout(tabLayout), m_owner(owner), m_preview(preview) {}

// The panel's controls and actions arrive with the control-panel work; until
// then the window runs with no camera-dependent behaviour.
void ControlPanel::FindControls(Ui::CPaintManager&) {}

void ControlPanel::FillCameraList(int) {}

void ControlPanel::RefreshFormatLists(OrvanaCamera*) {}

void ControlPanel::OnNotify(Ui::CNotifyEvent&) {}

void ControlPanel::OnTimer(WPARAM, LPARAM) {}

void ControlPanel::StopRecordingIfActive() {
    CaptureEngine& engine = CaptureEngine::Instance();
    if (engine.recording) {
        engine.StopRecording();
    }
}
