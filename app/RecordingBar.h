// RecordingBar: photo, record and open-folder buttons, the recording
// indicator with its time label, and the microphone and speaker volume rows.
#pragma once

#include <windows.h>

#include <functional>

#include "capture/OutputProblem.h"
#include "ui/UiString.h"

namespace Ui {
class CControlUI;
class COptionUI;
class CPaintManager;
class CSliderUI;
} // namespace Ui
class CameraHost;
class CaptureEngine;

class RecordingBar {
public:
    // Timer of the recording-time label, on the owner window.
    static constexpr UINT_PTR kRecordingTimer = 2010;
    static constexpr UINT kRecordingTimerPeriod = 1000;

    // Looks up its controls by name; one the skin lacks stays null and its
    // part of every action is skipped.
    // Photo and recording are prepared on the camera thread (cameras), which
    // switches the camera to the saved format first; the engine takes the
    // photo and runs the recording.
    RecordingBar(Ui::CPaintManager& manager, CameraHost& cameras, CaptureEngine& engine,
                 HWND owner);

    // The actions of this part's controls; nothing for a control not
    // its own.
    void OnClick(const Ui::CUiString& sender);
    void OnValueChanged(const Ui::CUiString& sender);
    // The recording-time label's tick.
    void OnTimer(WPARAM timerId);

    // What the camera thread answered: the photo can be taken now, or not;
    // the recording runs, could not start, or was ended there (its camera
    // left).
    void PhotoReady();
    void RecordingStarted();
    void RecordingRefused();
    void RecordingStoppedElsewhere();
    // Whether a recording runs or is starting.
    bool Recording() const { return m_state != State::Idle; }

    void StopRecordingIfActive();
    // Ends a running recording and resets the recording display.
    void StopRecordingAndReset();
    // The same, only for a recording started with the record button.
    void StopButtonRecording();
    // Both volume sliders and their labels at 0; they stay usable.
    void ResetVolumes();
    // Whether a microphone is attached, for the microphone slider.
    void SetMicrophonePresent(bool present) { m_microphonePresent = present; }
    // Told what became of each click on the open-folder button.
    void SetFolderListener(std::function<void(OutputProblem)> listener) {
        m_folderListener = std::move(listener);
    }

private:
    enum class State { Idle, Starting, Recording };

    void TakePhoto();
    void ToggleRecording();
    void OpenOutputFolder();
    void SetMicrophoneLevel();
    void SetSpeakerLevel();
    void ResetRecordingDisplay();
    // The record option shows a running (or starting) recording, or none.
    void ShowRecordOption(bool recording);

    CameraHost& m_cameras;
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
    State m_state = State::Idle;
    bool m_photoAsked = false;
    bool m_microphonePresent = false;
    std::function<void(OutputProblem)> m_folderListener;
};
