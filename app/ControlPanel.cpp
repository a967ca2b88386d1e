#include "app/ControlPanel.h"

#include "Core/CameraRegistry.h"
#include "app/ControlNames.h"
#include "capture/CaptureEngine.h"
#include "ui/ControlUI.h"

ControlPanel::ControlPanel(Ui::CPaintManager& manager, CameraRegistry& registry,
                           CaptureEngine& engine, HWND owner)
    : m_registry(registry), m_engine(engine), m_owner(owner),
      m_properties(manager, registry, engine), m_formats(manager, registry),
      m_recordingBar(manager, registry, engine, owner), m_cameraList(manager, registry),
      m_notices(manager), m_monitor(registry, engine, m_notices, owner,
                                    [this](OrvanaCamera& camera) { RefreshFormatLists(&camera); }) {
    // Photo and record need a picture: a camera that runs without one
    // would leave a photo pending and a recording without pictures.
    m_recordingBar.SetPictureCheck([this] { return m_monitor.HasPicture(); });
}

void ControlPanel::OnNotify(Ui::CNotifyEvent& event) {
    if (event.sender == nullptr) {
        return;
    }
    const Ui::CUiString& sender = event.sender->GetName();
    if (event.type == "click") {
        OnClick(sender);
    } else if (event.type == "valuechanged") {
        m_recordingBar.OnValueChanged(sender);
        m_properties.OnValueChanged(sender);
    } else if (event.type == "itemselect") {
        if (sender == ControlNames::kCameraList) {
            OnCameraSelected();
        } else {
            m_formats.OnItemSelect(sender);
        }
    }
}

void ControlPanel::OnClick(const Ui::CUiString& sender) {
    if (sender == ControlNames::kCancelButton) {
        // The window's WM_DESTROY handling ends the program; nothing is saved.
        ::SendMessageA(m_owner, WM_DESTROY, 0, 0);
        return;
    }
    m_recordingBar.OnClick(sender);
    m_properties.OnClick(sender);
    m_formats.OnClick(sender);
    FollowRecording();
}

void ControlPanel::OnTimer(WPARAM timerId, LPARAM) {
    m_recordingBar.OnTimer(timerId);
    if (timerId == CameraMonitor::kTimer) {
        m_monitor.Check();
        FollowRecording();
    }
}

void ControlPanel::FollowRecording() {
    m_awake.Follow(m_engine.IsRecording());
}

void ControlPanel::OnPowerBroadcast(WPARAM event) {
    if (event == PBT_APMSUSPEND) {
        // The lid is closed: the file is finished before the machine sleeps.
        if (m_engine.IsRecording()) {
            StopRecordingAndReset();
        }
        FollowRecording();
    } else if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND) {
        m_monitor.Resumed();
    }
}

void ControlPanel::OnActivated() {
    m_monitor.WindowActivated();
}

void ControlPanel::FillCameraList(int index) {
    m_cameraList.Fill(index);
}

void ControlPanel::SyncCameraList() {
    m_cameraList.Sync();
}

void ControlPanel::RefreshFormatLists(OrvanaCamera* camera) {
    m_properties.Reset();
    m_recordingBar.ResetVolumes();
    m_formats.Empty();
    if (camera == nullptr) {
        return;
    }
    m_properties.Load(*camera);
    m_formats.Fill(*camera);
}

void ControlPanel::ShowCamera(OrvanaCamera* camera, OrvanaAudio* microphone) {
    m_monitor.CameraChosen(camera);
    m_registry.SelectCamera(camera, microphone, m_owner);
    RefreshFormatLists(camera);
    ::Sleep(500);
    ::PostMessageA(m_owner, WM_MOVE, 0, 0);
}

void ControlPanel::OnCameraSelected() {
    const int position = m_cameraList.Selection();
    // No recording survives a change of camera.
    m_recordingBar.StopButtonRecording();
    OrvanaAudio* microphone =
        m_registry.microphones.empty() ? nullptr : m_registry.microphones.front();
    OrvanaCamera* camera = static_cast<unsigned>(position) < m_registry.cameras.size()
                               ? m_registry.cameras[static_cast<unsigned>(position)]
                               : nullptr;
    ShowCamera(camera, microphone);
}

void ControlPanel::StopRecordingIfActive() {
    m_recordingBar.StopRecordingIfActive();
}

void ControlPanel::StopRecordingAndReset() {
    m_recordingBar.StopRecordingAndReset();
    FollowRecording();
}
