// RecordingBar: photo, record and open-folder buttons, the recording
// indicator with its time label, and the microphone and speaker volume rows.
#pragma once

#include <windows.h>

#include <functional>

#include "app/FormatSwitch.h"
#include "capture/OutputProblem.h"
#include "ui/UiString.h"

namespace Ui {
class CControlUI;
class COptionUI;
class CPaintManager;
class CSliderUI;
} // namespace Ui
class CameraRegistry;
class CaptureEngine;
class OrvanaCamera;

class RecordingBar {
public:
    // Timer of the recording-time label, on the owner window.
    static constexpr UINT_PTR kRecordingTimer = 2010;
    static constexpr UINT kRecordingTimerPeriod = 1000;

    // Looks up its controls by name; one the skin lacks stays null and its
    // part of every action is skipped.
    RecordingBar(Ui::CPaintManager& manager, CameraRegistry& registry, CaptureEngine& engine,
                 HWND owner);

    // The actions of this part's controls; nothing for a control not
    // its own.
    void OnClick(const Ui::CUiString& sender);
    void OnValueChanged(const Ui::CUiString& sender);
    // The recording-time label's tick.
    void OnTimer(WPARAM timerId);

    void StopRecordingIfActive();
    // Ends a running recording and resets the recording display.
    void StopRecordingAndReset();
    // The same, only for a recording started with the record button.
    void StopButtonRecording();
    // Both volume sliders and their labels at 0; they stay usable.
    void ResetVolumes();
    // Asked before a photo or a recording starts: whether the camera gives
    // pictures. Without it, a running camera is enough.
    void SetPictureCheck(std::function<bool()> hasPicture) { m_hasPicture = std::move(hasPicture); }
    // Told what became of each click on the open-folder button.
    void SetFolderListener(std::function<void(OutputProblem)> listener) {
        m_folderListener = std::move(listener);
    }

private:
    enum class Capture { Photo, Video };

    void TakePhoto();
    void ToggleRecording();
    void OpenOutputFolder();
    void SetMicrophoneLevel();
    void SetSpeakerLevel();
    void ResetRecordingDisplay();
    // The current camera when it runs and gives pictures; null otherwise.
    OrvanaCamera* CameraWithPicture();
    // Puts the camera into the saved format at the saved photo or video
    // size and refits the preview.
    FormatSwitch UseSavedFormat(OrvanaCamera& camera, Capture capture);

    CameraRegistry& m_registry;
    CaptureEngine& m_engine;
    HWND m_owner;
    Ui::CControlUI* m_recordingIndicator = nullptr;
    Ui::CControlUI* m_recordingTimeLabel = nullptr;
    DWORD m_recordingStart = 0;
    Ui::COptionUI* m_recordButton = nullptr;
    Ui::CSliderUI* m_microphoneSlider = nullptr;
    Ui::CSliderUI* m_speakerSlider = nullptr;
    Ui::CControlUI* m_microphoneLabel = nullptr;
    Ui::CControlUI* m_speakerLabel = nullptr;
    std::function<bool()> m_hasPicture;
    std::function<void(OutputProblem)> m_folderListener;
};
