#include "app/RecordingBar.h"

#include <cstdio>
#include <string>

#include "Core/EndpointVolume.h"
#include "app/CameraHost.h"
#include "app/ControlNames.h"
#include "app/FolderOpening.h"
#include "app/PanelControls.h"
#include "capture/CaptureEngine.h"
#include "settings/SettingsFile.h"
#include "ui/ControlUI.h"
#include "ui/OptionUI.h"
#include "ui/PaintManager.h"
#include "ui/SliderUI.h"

using namespace PanelControls;

RecordingBar::RecordingBar(Ui::CPaintManager& manager, CameraHost& cameras, CaptureEngine& engine,
                           HWND owner)
    : m_cameras(cameras), m_engine(engine), m_owner(owner) {
    m_recordingIndicator = manager.FindControl(ControlNames::kRecordingIndicator);
    m_recordingTimeLabel = manager.FindControl(ControlNames::kRecordingTime);
    m_recordButton = FindOption(manager, ControlNames::kRecordButton);
    m_microphoneSlider = FindSlider(manager, ControlNames::kMicrophoneSlider);
    m_speakerSlider = FindSlider(manager, ControlNames::kSpeakerSlider);
    m_microphoneLabel = manager.FindControl(ControlNames::kMicrophoneLabel);
    m_speakerLabel = manager.FindControl(ControlNames::kSpeakerLabel);
}

void RecordingBar::OnClick(const Ui::CUiString& sender) {
    if (sender == ControlNames::kPhotoButton) {
        TakePhoto();
    } else if (sender == ControlNames::kRecordButton) {
        ToggleRecording();
    } else if (sender == ControlNames::kOpenFolderButton) {
        OpenOutputFolder();
    }
}

void RecordingBar::OnValueChanged(const Ui::CUiString& sender) {
    if (sender == ControlNames::kMicrophoneSlider) {
        SetMicrophoneLevel();
    } else if (sender == ControlNames::kSpeakerSlider) {
        SetSpeakerLevel();
    }
}

void RecordingBar::OnTimer(WPARAM timerId) {
    if (timerId != kRecordingTimer || m_state != State::Recording) {
        return;
    }
    // A full disk or a drive pulled out ended the recording: show it
    // stopped, as a click on the button would.
    if (m_engine.RecordingEndedByItself()) {
        StopRecordingAndReset();
        return;
    }
    const DWORD seconds = (::GetTickCount() - m_recordingStart) / 1000;
    char text[32] = {};
    std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(seconds / 60),
                  static_cast<int>(seconds % 60));
    SetText(m_recordingTimeLabel, text);
}

void RecordingBar::TakePhoto() {
    if (Recording() || m_engine.IsRecording()) {
        return;
    }
    m_photoAsked = true;
    m_cameras.PreparePhoto(CurrentSettings);
}

void RecordingBar::PhotoReady() {
    if (m_photoAsked) {
        m_photoAsked = false;
        m_engine.TakePhoto();
    }
}

void RecordingBar::ToggleRecording() {
    // The option flips its own look after this click: setting it selected
    // here leaves it unselected on screen, and the reverse.
    if (Recording()) {
        m_state = State::Idle;
        m_cameras.StopRecording();
        ResetRecordingDisplay();
        Select(m_recordButton, true);
        return;
    }
    // The camera thread switches the camera, waits for its picture and
    // starts the recording; the option shows it meanwhile.
    m_state = State::Starting;
    m_cameras.StartRecording(CurrentSettings);
    Select(m_recordButton, false);
}

void RecordingBar::RecordingStarted() {
    if (m_state != State::Starting) {
        // Stopped by the user while it was starting.
        m_cameras.StopRecording();
        return;
    }
    m_state = State::Recording;
    m_recordingStart = ::GetTickCount();
    ::SetTimer(m_owner, kRecordingTimer, kRecordingTimerPeriod, nullptr);
    if (m_recordingIndicator != nullptr) {
        m_recordingIndicator->SetVisible(true);
    }
}

void RecordingBar::RecordingRefused() {
    if (m_state == State::Starting) {
        m_state = State::Idle;
        ShowRecordOption(false);
    }
}

void RecordingBar::RecordingStoppedElsewhere() {
    if (m_state != State::Idle) {
        m_state = State::Idle;
        ResetRecordingDisplay();
        ShowRecordOption(false);
    }
}

void RecordingBar::ShowRecordOption(bool recording) {
    Select(m_recordButton, recording);
}

void RecordingBar::ResetRecordingDisplay() {
    ::KillTimer(m_owner, kRecordingTimer);
    if (m_recordingIndicator != nullptr) {
        m_recordingIndicator->SetVisible(false);
    }
    SetText(m_recordingTimeLabel, "00:00");
}

void RecordingBar::StopRecordingIfActive() {
    if (Recording() || m_engine.IsRecording()) {
        m_state = State::Idle;
        m_cameras.StopRecording();
    }
}

void RecordingBar::StopRecordingAndReset() {
    m_state = State::Idle;
    m_cameras.StopRecording();
    ResetRecordingDisplay();
    ShowRecordOption(false);
}

void RecordingBar::StopButtonRecording() {
    if (m_recordButton != nullptr && m_recordButton->IsSelected()) {
        StopRecordingAndReset();
    }
}

void RecordingBar::OpenOutputFolder() {
    const OutputProblem problem = OpenOutputFolderInExplorer(m_owner);
    if (m_folderListener) {
        m_folderListener(problem);
    }
}

void RecordingBar::SetMicrophoneLevel() {
    if (m_microphoneSlider == nullptr) {
        return;
    }
    const int value = m_microphoneSlider->GetValue();
    if (!m_microphonePresent) {
        return;
    }
    m_engine.SetRecordingVolume(value);
    // The endpoint's failure (none under Wine without a sound server) leaves
    // the label as it was.
    try {
        if (SetMicrophoneVolume(value)) {
            SetText(m_microphoneLabel, IntText(value).c_str());
        }
    } catch (const EndpointVolumeError&) {
    }
}

void RecordingBar::SetSpeakerLevel() {
    if (m_speakerSlider == nullptr) {
        return;
    }
    const int value = m_speakerSlider->GetValue();
    try {
        if (SetSpeakerVolume(value)) {
            SetText(m_speakerLabel, IntText(value).c_str());
        }
    } catch (const EndpointVolumeError&) {
    }
}

void RecordingBar::ResetVolumes() {
    SetSliderValue(m_microphoneSlider, 0);
    SetSliderValue(m_speakerSlider, 0);
    SetText(m_microphoneLabel, "0");
    SetText(m_speakerLabel, "0");
}
