#include "app/ControlPanel.h"

#include "Core/CameraRegistry.h"
#include "app/ControlNames.h"
#include "capture/CaptureEngine.h"
#include "ui/ControlUI.h"

ControlPanel::ControlPanel(Ui::CPaintManager& manager, CameraRegistry& registry,
                           CaptureEngine& engine, HWND owner, std::wstring memoryPath)
    : m_registry(registry), m_engine(engine), m_owner(owner),
      m_memory(registry, std::move(memoryPath)), m_properties(manager, registry, engine, m_memory),
      m_formats(manager, registry, m_memory), m_recordingBar(manager, registry, engine, owner),
      m_cameraList(manager, registry), m_notices(manager), m_outcomes(m_notices, engine),
      m_monitor(registry, engine, m_notices, owner, [this](OrvanaCamera& camera) {
          // A camera restarted or reopened may have forgotten what its user set.
          m_memory.PutBack(camera, m_engine);
          RefreshFormatLists(&camera);
      }) {
    // Photo and record need a picture: a camera that runs without one
    // would leave a photo pending and a recording without pictures.
    m_recordingBar.SetPictureCheck([this] { return m_monitor.HasPicture(); });
    m_recordingBar.SetFolderListener(
        [this](OutputProblem problem) { m_outcomes.FolderOpened(problem); });
    // A choice that could not be saved anywhere holds until the program ends; the user is told.
    m_formats.SetApplyListener([this](FormatPanel::ApplyResult result) {
        if (result == FormatPanel::ApplyResult::NotSaved) {
            m_notices.Show(ControlNames::Notice::kSettingsNotSaved);
        } else if (m_notices.Shown() == ControlNames::Notice::kSettingsNotSaved) {
            m_notices.Clear();
        }
    });
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
    // A photo or a recording refused is told at once.
    m_outcomes.Check();
}

void ControlPanel::OnTimer(WPARAM timerId, LPARAM) {
    m_recordingBar.OnTimer(timerId);
    if (timerId == CameraMonitor::kTimer) {
        m_monitor.Check();
        FollowRecording();
        TellAboutRecording();
        m_outcomes.Check();
    }
}

namespace {

const char* SoundNotice(MicrophoneProblem problem) {
    switch (problem) {
    case MicrophoneProblem::Denied:
        return ControlNames::Notice::kNoSoundDenied;
    case MicrophoneProblem::InUse:
        return ControlNames::Notice::kNoSoundInUse;
    case MicrophoneProblem::Lost:
        return ControlNames::Notice::kNoSoundLost;
    case MicrophoneProblem::Failed:
        return ControlNames::Notice::kNoSoundFailed;
    case MicrophoneProblem::None:
        break;
    }
    return nullptr;
}

bool IsSoundNotice(const std::string& key) {
    for (MicrophoneProblem problem : {MicrophoneProblem::Denied, MicrophoneProblem::InUse,
                                      MicrophoneProblem::Lost, MicrophoneProblem::Failed}) {
        if (key == SoundNotice(problem)) {
            return true;
        }
    }
    return false;
}

} // namespace

void ControlPanel::TellAboutRecording() {
    if (!m_engine.IsRecording()) {
        m_watchingRecording = false;
        return;
    }
    if (!m_watchingRecording) {
        // A new recording: what was said of the last one goes.
        m_watchingRecording = true;
        m_soundProblem = MicrophoneProblem::None;
        const std::string& shown = m_notices.Shown();
        if (shown == ControlNames::Notice::kRecordingContinues ||
            (!shown.empty() && IsSoundNotice(shown))) {
            m_notices.Clear();
        }
    }
    if (m_engine.TakeRecordingContinuation()) {
        m_notices.Show(ControlNames::Notice::kRecordingContinues);
    }
    const MicrophoneProblem problem = m_engine.WhyNoSound();
    if (problem != m_soundProblem) {
        m_soundProblem = problem;
        if (const char* key = SoundNotice(problem)) {
            m_notices.Show(key);
        }
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
    m_fillingList = true;
    m_cameraList.Fill(index);
    m_fillingList = false;
}

int ControlPanel::PreferredCameraIndex() {
    const int last = m_memory.LastChosenIndex();
    return last >= 0 ? last : 0;
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
    if (camera != nullptr) {
        m_memory.PutBack(*camera, m_engine);
    }
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
    if (camera != nullptr && !m_fillingList) {
        m_memory.RememberChosen(*camera);
    }
    ShowCamera(camera, microphone);
}

void ControlPanel::StopRecordingIfActive() {
    m_recordingBar.StopRecordingIfActive();
}

void ControlPanel::StopRecordingAndReset() {
    m_recordingBar.StopRecordingAndReset();
    FollowRecording();
}
