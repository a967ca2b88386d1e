#include "app/RecordingBar.h"

#include <cstdio>
#include <string>

#include "Core/CameraRegistry.h"
#include "Core/EndpointVolume.h"
#include "Core/OrvanaCamera.h"
#include "app/CaptureWiring.h"
#include "app/ControlNames.h"
#include "app/FolderOpening.h"
#include "app/FormatSwitch.h"
#include "app/PanelControls.h"
#include "capture/CaptureEngine.h"
#include "settings/SettingsFile.h"
#include "ui/ControlUI.h"
#include "ui/OptionUI.h"
#include "ui/PaintManager.h"
#include "ui/SliderUI.h"

using namespace PanelControls;

RecordingBar::RecordingBar(Ui::CPaintManager& manager, CameraRegistry& registry,
                           CaptureEngine& engine, HWND owner)
    : m_registry(registry), m_engine(engine), m_owner(owner) {
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
    if (timerId != kRecordingTimer || !m_engine.IsRecording()) {
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

OrvanaCamera* RecordingBar::CameraWithPicture() {
    OrvanaCamera* camera = m_registry.CurrentCamera();
    if (camera == nullptr || !camera->running || (m_hasPicture && !m_hasPicture())) {
        return nullptr;
    }
    return camera;
}

void RecordingBar::TakePhoto() {
    OrvanaCamera* camera = CameraWithPicture();
    if (camera == nullptr || m_engine.IsRecording()) {
        return;
    }
    if (UseSavedFormat(*camera, Capture::Photo) != FormatSwitch::Refused) {
        m_engine.TakePhoto();
    }
}

void RecordingBar::ToggleRecording() {
    // The option flips its own look after this click: setting it selected
    // here leaves it unselected on screen, and the reverse.
    if (m_engine.IsRecording()) {
        m_engine.StopRecording();
        ResetRecordingDisplay();
        Select(m_recordButton, true);
        return;
    }
    OrvanaCamera* camera = CameraWithPicture();
    if (camera == nullptr) {
        Select(m_recordButton, true);
        return;
    }
    RecordingSource source;
    if (UseSavedFormat(*camera, Capture::Video) == FormatSwitch::Refused ||
        !CurrentRecordingSource(m_registry, source) || !m_engine.StartRecording(source)) {
        Select(m_recordButton, true);
        return;
    }
    m_recordingStart = ::GetTickCount();
    ::SetTimer(m_owner, kRecordingTimer, kRecordingTimerPeriod, nullptr);
    if (m_recordingIndicator != nullptr) {
        m_recordingIndicator->SetVisible(true);
    }
    Select(m_recordButton, false);
}

FormatSwitch RecordingBar::UseSavedFormat(OrvanaCamera& camera, Capture capture) {
    const AppSettings settings = CurrentSettings;
    const bool photo = capture == Capture::Photo;
    const FormatSwitch outcome = SwitchCameraFormat(
        &camera, settings.FileFormat,
        photo ? settings.PhotoResolution_Width : settings.VideoResolution_Width,
        photo ? settings.PhotoResolution_Height : settings.VideoResolution_Height);
    // The preview takes the size of the picture that comes now.
    ::SendMessageA(m_owner, WM_MOVE, 0, 0);
    return outcome;
}

void RecordingBar::ResetRecordingDisplay() {
    ::KillTimer(m_owner, kRecordingTimer);
    if (m_recordingIndicator != nullptr) {
        m_recordingIndicator->SetVisible(false);
    }
    SetText(m_recordingTimeLabel, "00:00");
}

void RecordingBar::StopRecordingIfActive() {
    if (m_engine.IsRecording()) {
        m_engine.StopRecording();
    }
}

void RecordingBar::StopRecordingAndReset() {
    m_engine.StopRecording();
    ResetRecordingDisplay();
    Select(m_recordButton, false);
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
    if (m_registry.CurrentMicrophone() == nullptr) {
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
