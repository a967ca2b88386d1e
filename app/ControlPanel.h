// ControlPanel: the right-hand controls and the bottom bar; carries out
// every control action other than the title-bar buttons.
//
// Notifications are synchronous: when the panel itself selects a list entry
// or an option with notification, the matching action runs inside that call.
// The order of the steps below is therefore part of the behaviour.
#pragma once

#include <windows.h>

#include "ui/NotifyEvent.h"

namespace Ui {
class CControlUI;
class CComboUI;
class COptionUI;
class CPaintManager;
class CSliderUI;
} // namespace Ui
class CaptureViewUI;
class OrvanaCamera;

class ControlPanel {
public:
    // Timer of the recording-time label, on the owner window.
    static constexpr UINT_PTR kRecordingTimer = 2010;
    static constexpr UINT kRecordingTimerPeriod = 1000;
    // The eight image properties, in the order the panel loads them.
    static constexpr int kPropertyCount = 8;

    ControlPanel(Ui::CControlUI* tabLayout, HWND owner, CaptureViewUI* preview);

    // Looks up every control the panel works with, by name; a control the
    // skin lacks stays null and its part of every action is skipped.
    void FindControls(Ui::CPaintManager& manager);
    void OnNotify(Ui::CNotifyEvent& event);
    void OnTimer(WPARAM timerId, LPARAM lParam);

    // Rebuilds the camera list and selects entry `index` with notification
    // (which opens that camera); a negative index selects nothing.
    void FillCameraList(int index);
    // Rebuilds the camera list from the registry and marks the current
    // camera's entry without notification: nothing is opened or closed.
    void SyncCameraList();
    // Brings the panel into line with a camera, or empties it without one.
    void RefreshFormatLists(OrvanaCamera* camera);

    void StopRecordingIfActive();
    // Ends a running recording and resets the recording display.
    void StopRecordingAndReset();
    enum class FormatSwitch {
        Kept,       // the camera already delivers that format
        Switched,   // switched to it
        NotOffered, // no camera, or the camera has no such format: nothing changed
        Refused,    // the camera failed to switch and is back at its previous format
    };
    // Puts the current camera into the named format at the given size.
    FormatSwitch SwitchFormat(const char* formatName, int width, int height);

    void Apply();
    void RestoreDefaults();

private:
    struct PropertyRow;
    static const PropertyRow kProperties[kPropertyCount];

    void OnClick(const Ui::CUiString& sender);
    void OnValueChanged(const Ui::CUiString& sender);
    void OnCameraSelected();
    void RefillResolutionLists();
    void TakePhoto();
    void ToggleRecording();
    void OpenOutputFolder();
    void ToggleAutoMode(int row);
    void SetPropertyFromSlider(int row);
    void SetMicrophoneLevel();
    void SetSpeakerLevel();
    void ResetRecordingDisplay();
    void ShowMirrorState(bool mirrored);

    void ResetPanel();
    void LoadProperties(OrvanaCamera& camera);
    void FillFormatLists(OrvanaCamera& camera);
    void FillRefreshRateList(OrvanaCamera& camera);
    void LoadMirrorState(OrvanaCamera& camera);

    HWND m_owner;
    CaptureViewUI* m_preview;
    Ui::CControlUI* m_tabMenu = nullptr;
    Ui::CControlUI* m_tabLayout;
    Ui::CControlUI* m_recordingIndicator = nullptr;
    Ui::CControlUI* m_zoomRow = nullptr;
    Ui::CControlUI* m_recordingTimeLabel = nullptr;
    DWORD m_recordingStart = 0;
    Ui::COptionUI* m_recordButton = nullptr;
    Ui::CControlUI* m_photoButton = nullptr;
    Ui::COptionUI* m_mirrorNormal = nullptr;
    Ui::COptionUI* m_mirrorMirrored = nullptr;
    // Indexed like kProperties.
    Ui::CSliderUI* m_propertySliders[kPropertyCount] = {};
    Ui::CControlUI* m_propertyLabels[kPropertyCount] = {};
    Ui::COptionUI* m_autoOptions[kPropertyCount] = {};
    Ui::CSliderUI* m_microphoneSlider = nullptr;
    Ui::CSliderUI* m_speakerSlider = nullptr;
    Ui::CControlUI* m_microphoneLabel = nullptr;
    Ui::CControlUI* m_speakerLabel = nullptr;
    Ui::CComboUI* m_cameraList = nullptr;
    Ui::CComboUI* m_photoResolutionList = nullptr;
    Ui::CComboUI* m_videoResolutionList = nullptr;
    Ui::CComboUI* m_fileFormatList = nullptr;
    Ui::CComboUI* m_refreshRateList = nullptr;
};
