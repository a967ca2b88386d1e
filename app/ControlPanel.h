// ControlPanel: the right-hand panel, the camera list and the bottom bar.
// It hands each control's notification to the part that owns the control
// and brings all of them into line with the camera shown:
//   PropertyPanel  image property rows, mirror choice, Default
//   FormatPanel    format, resolution and refresh-rate lists, Apply
//   RecordingBar   photo, record, open folder, recording time, volumes
//   CameraList     the list of attached cameras
// Cancel is its own: it ends the program through the owner window.
//
// Notifications are synchronous: when the panel itself selects a list entry
// or an option with notification, the matching action runs inside that call.
// The order of the steps is therefore part of the behaviour.
#pragma once

#include <windows.h>

#include <string>

#include "app/CameraList.h"
#include "app/CameraMemory.h"
#include "app/CameraMonitor.h"
#include "app/FormatPanel.h"
#include "app/IdleSleepBlock.h"
#include "app/Notices.h"
#include "app/OutcomeNotices.h"
#include "app/PropertyPanel.h"
#include "app/RecordingBar.h"
#include "capture/recording/MicrophoneProblem.h"
#include "ui/NotifyEvent.h"

namespace Ui {
class CPaintManager;
} // namespace Ui
class CameraRegistry;
class CaptureEngine;
class OrvanaAudio;
class OrvanaCamera;

class ControlPanel {
public:
    // Looks up every control it works with in the manager's tree; a control
    // the skin lacks stays null and its part of every action is skipped.
    // memoryPath: where what the user set on each camera is kept (empty: for
    // this run only).
    ControlPanel(Ui::CPaintManager& manager, CameraRegistry& registry, CaptureEngine& engine,
                 HWND owner, std::wstring memoryPath);

    void OnNotify(Ui::CNotifyEvent& event);
    void OnTimer(WPARAM timerId, LPARAM lParam);

    // Rebuilds the camera list and selects entry `index` with notification
    // (which shows that camera); a negative index selects nothing. Such a
    // selection is not taken for the user's choice of camera.
    void FillCameraList(int index);
    // The position of the camera the user chose last, when it is attached; else 0.
    int PreferredCameraIndex();
    // Rebuilds the camera list from the registry and marks the current
    // camera's entry without notification: nothing is opened or closed.
    void SyncCameraList();
    // Brings the panel into line with a camera, or empties it without one.
    void RefreshFormatLists(OrvanaCamera* camera);
    // Shows a camera (none: nothing is opened): makes it current, opening it
    // and closing the previous one; puts back what its user set on it;
    // brings the panel into line with it;
    // gives it 500 ms to start; then refits the preview to its picture.
    void ShowCamera(OrvanaCamera* camera, OrvanaAudio* microphone);

    void StopRecordingIfActive();
    // Ends a running recording and resets the recording display.
    void StopRecordingAndReset();

    // WM_POWERBROADCAST: going to sleep finishes a running recording as a
    // stop would; waking up restarts the camera at once.
    void OnPowerBroadcast(WPARAM event);
    // The window was activated: a camera that would not start is tried again.
    void OnActivated();

    PropertyPanel& Properties() { return m_properties; }
    FormatPanel& Formats() { return m_formats; }
    // What the window tells the user in words (bottom bar and preview).
    Notices& GetNotices() { return m_notices; }
    CameraMonitor& Monitor() { return m_monitor; }

private:
    void OnClick(const Ui::CUiString& sender);
    void OnCameraSelected();

    // The machine stays awake exactly while a recording runs.
    void FollowRecording();
    // While a recording runs: says when it went on in a new file, and why it
    // has no sound. What was said stays after the stop, until the next
    // recording starts.
    void TellAboutRecording();

    CameraRegistry& m_registry;
    CaptureEngine& m_engine;
    HWND m_owner;
    // Before the parts that remember the user's changes in it.
    CameraMemory m_memory;
    bool m_fillingList = false;
    PropertyPanel m_properties;
    FormatPanel m_formats;
    RecordingBar m_recordingBar;
    CameraList m_cameraList;
    Notices m_notices;
    OutcomeNotices m_outcomes;
    CameraMonitor m_monitor;
    IdleSleepBlock m_awake;
    MicrophoneProblem m_soundProblem = MicrophoneProblem::None;
    bool m_watchingRecording = false;
};
