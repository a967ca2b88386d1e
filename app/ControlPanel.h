// ControlPanel: the right-hand panel, the camera list and the bottom bar.
// It hands each control's notification to the part that owns the control
// and brings all of them into line with what the camera thread (CameraHost)
// tells of the camera shown:
//   PropertyPanel  image property rows, mirror choice, Default
//   FormatPanel    format, resolution and refresh-rate lists, Apply
//   RecordingBar   photo, record, open folder, recording time, volumes
//   CameraList     the list of attached cameras
// Cancel is its own: it ends the program through the owner window.
//
// Notifications are synchronous: when the panel itself selects a list entry
// or an option with notification, the matching action runs inside that call.
// The order of the steps is therefore part of the behaviour. Nothing here
// calls into a camera: every camera action goes to the camera thread.
#pragma once

#include <windows.h>

#include "app/CameraList.h"
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
class CameraHost;
class CaptureEngine;
struct CameraView;

class ControlPanel {
public:
    // The panel's own timer: the running recording looked at four times a second.
    static constexpr UINT_PTR kTimer = 2011;
    static constexpr UINT kTimerPeriodMs = 250;
    // A camera's start that takes longer than this is told on the preview.
    static constexpr UINT_PTR kStartingTimer = 2012;
    static constexpr UINT kSlowStartMs = 300;
    // How long going to sleep waits for the recording to stop.
    static constexpr unsigned kSuspendStopWaitMs = 1500;

    // Looks up every control it works with in the manager's tree; a control
    // the skin lacks stays null and its part of every action is skipped.
    ControlPanel(Ui::CPaintManager& manager, CameraHost& cameras, CaptureEngine& engine,
                 HWND owner);
    ~ControlPanel();
    ControlPanel(const ControlPanel&) = delete;
    ControlPanel& operator=(const ControlPanel&) = delete;

    void OnNotify(Ui::CNotifyEvent& event);
    void OnTimer(WPARAM timerId, LPARAM lParam);
    // The camera thread's news (CameraHost::kNewsMessage).
    void OnCameraNews();

    // Brings the panel into line with the camera shown, or empties it without one.
    void RefreshFormatLists(const CameraView& view);

    void StopRecordingIfActive();
    // Ends a running recording and resets the recording display.
    void StopRecordingAndReset();

    // WM_POWERBROADCAST: going to sleep finishes a running recording as a
    // stop would; waking up restarts the camera at once.
    void OnPowerBroadcast(WPARAM event);

    PropertyPanel& Properties() { return m_properties; }
    FormatPanel& Formats() { return m_formats; }
    // What the window tells the user in words (bottom bar and preview).
    Notices& GetNotices() { return m_notices; }

private:
    void OnClick(const Ui::CUiString& sender);
    void OnCameraSelected();
    // Why the shown camera gives no picture, on the preview.
    void TellTrouble(const CameraView& view);

    // The machine stays awake exactly while a recording runs.
    void FollowRecording();
    // While a recording runs: says when it went on in a new file, and why it
    // has no sound. What was said stays after the stop, until the next
    // recording starts.
    void TellAboutRecording();

    CameraHost& m_cameras;
    CaptureEngine& m_engine;
    HWND m_owner;
    PropertyPanel m_properties;
    FormatPanel m_formats;
    RecordingBar m_recordingBar;
    CameraList m_cameraList;
    Notices m_notices;
    OutcomeNotices m_outcomes;
    IdleSleepBlock m_awake;
    MicrophoneProblem m_soundProblem = MicrophoneProblem::None;
    bool m_watchingRecording = false;
    bool m_startingTimer = false;
};
