#include "app/ControlPanel.h"

#include "app/CameraHost.h"
#include "app/ControlNames.h"
#include "capture/CaptureEngine.h"
#include "ui/ControlUI.h"

ControlPanel::ControlPanel(Ui::CPaintManager& manager, CameraHost& cameras, CaptureEngine& engine,
                           HWND owner)
    : m_cameras(cameras), m_engine(engine), m_owner(owner), m_properties(manager, cameras),
      m_formats(manager, cameras), m_recordingBar(manager, cameras, engine, owner),
      m_cameraList(manager), m_notices(manager), m_outcomes(m_notices, engine) {
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
    if (m_owner != nullptr) {
        ::SetTimer(m_owner, kTimer, kTimerPeriodMs, nullptr);
    }
}

ControlPanel::~ControlPanel() {
    if (m_owner != nullptr) {
        ::KillTimer(m_owner, kTimer);
        ::KillTimer(m_owner, kStartingTimer);
    }
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
    if (timerId == kStartingTimer) {
        ::KillTimer(m_owner, kStartingTimer);
        m_startingTimer = false;
        const CameraView view = m_cameras.View();
        if (view.starting && view.trouble == CameraTrouble::None) {
            m_notices.ShowOnPreview(ControlNames::Notice::kCameraStarting);
        }
    }
    if (timerId == kTimer) {
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
    m_awake.Follow(m_recordingBar.Recording());
}

void ControlPanel::OnPowerBroadcast(WPARAM event) {
    if (event == PBT_APMSUSPEND) {
        // The lid is closed: the recording is stopped before the machine
        // sleeps (Windows gives about two seconds), its file finished after.
        if (m_recordingBar.Recording()) {
            StopRecordingAndReset();
            m_cameras.StopRecordingNow(kSuspendStopWaitMs);
        }
        FollowRecording();
    } else if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND) {
        m_cameras.Resumed();
    }
}

void ControlPanel::OnCameraNews() {
    const CameraView view = m_cameras.View();
    for (const CameraNews& news : m_cameras.TakeNews()) {
        switch (news.kind) {
        case CameraNews::Kind::ListChanged:
            m_cameraList.Show(view);
            m_recordingBar.SetMicrophonePresent(view.microphone);
            break;
        case CameraNews::Kind::PanelChanged:
            m_cameraList.Show(view);
            m_recordingBar.SetMicrophonePresent(view.microphone);
            RefreshFormatLists(view);
            break;
        case CameraNews::Kind::PropertyHeld:
            m_properties.ShowHeld(view, news.row);
            break;
        case CameraNews::Kind::StatusChanged:
            TellTrouble(view);
            break;
        case CameraNews::Kind::PhotoReady:
            m_recordingBar.PhotoReady();
            break;
        case CameraNews::Kind::PhotoRefused:
            break;
        case CameraNews::Kind::RecordingStarted:
            m_recordingBar.RecordingStarted();
            break;
        case CameraNews::Kind::RecordingRefused:
            m_recordingBar.RecordingRefused();
            break;
        case CameraNews::Kind::RecordingStopped:
            m_recordingBar.RecordingStoppedElsewhere();
            break;
        }
    }
    FollowRecording();
}

void ControlPanel::TellTrouble(const CameraView& view) {
    switch (view.trouble) {
    case CameraTrouble::InUse:
        m_notices.ShowOnPreview(ControlNames::Notice::kCameraInUse);
        return;
    case CameraTrouble::Denied:
        m_notices.ShowOnPreview(ControlNames::Notice::kCameraDenied);
        return;
    case CameraTrouble::NotStarted:
        m_notices.ShowOnPreview(ControlNames::Notice::kCameraNotStarted);
        return;
    case CameraTrouble::NoPicture:
        m_notices.ShowOnPreview(ControlNames::Notice::kCameraNoPicture);
        return;
    case CameraTrouble::None:
        break;
    }
    if (view.starting) {
        if (!m_startingTimer && m_owner != nullptr) {
            m_startingTimer = ::SetTimer(m_owner, kStartingTimer, kSlowStartMs, nullptr) != 0;
        }
        return;
    }
    if (m_startingTimer) {
        ::KillTimer(m_owner, kStartingTimer);
        m_startingTimer = false;
    }
    m_notices.ClearPreview();
}

void ControlPanel::RefreshFormatLists(const CameraView& view) {
    m_properties.Reset();
    m_recordingBar.ResetVolumes();
    m_formats.Empty();
    if (view.shown < 0) {
        return;
    }
    m_properties.Load(view);
    m_formats.Fill(view);
}

void ControlPanel::OnCameraSelected() {
    const int position = m_cameraList.Selection();
    // No recording survives a change of camera.
    m_recordingBar.StopButtonRecording();
    m_cameras.ChooseCamera(position);
}

void ControlPanel::StopRecordingIfActive() {
    m_recordingBar.StopRecordingIfActive();
}

void ControlPanel::StopRecordingAndReset() {
    m_recordingBar.StopRecordingAndReset();
    FollowRecording();
}
