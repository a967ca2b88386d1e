// CameraHost: the one owner of the cameras' life. On a thread of its own
// (CameraThread) it lists the devices, opens, selects, switches, starts,
// stops and restarts the cameras, puts back what the user set on each
// (CameraMemory), watches that pictures come (CameraWatch), starts and stops
// recordings and writes every property the panel changes. The window asks it
// through the calls below, which return at once, and hears back through
// kNewsMessage, posted to the window: it then takes the news and the latest
// CameraView. Real drivers take seconds to start and tens of milliseconds per
// property call; none of that reaches the window's thread.
//
// The waits cameras need keep their lengths as settle times before the next
// step: the preview is fitted 500 ms after a camera is shown, a photo or a
// recording starts 1000 ms after a format switch, and devices are listed
// 1000 ms after an arrival (arrivals within that time are listed once).
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "app/CameraMemory.h"
#include "app/CameraThread.h"
#include "app/CameraView.h"
#include "app/CameraWatch.h"
#include "settings/AppSettings.h"

class CameraRegistry;
class CaptureEngine;
class OrvanaCamera;

// What the camera thread tells the window.
struct CameraNews {
    enum class Kind {
        ListChanged,      // the cameras listed, or the one shown, changed
        PanelChanged,     // the shown camera's formats, properties or mirror: reload the panel
        PropertyHeld,     // one property's value or mode (row) as the camera holds it now
        StatusChanged,    // trouble, starting, running
        PhotoReady,       // the camera delivers the photo's format: take the photo now
        PhotoRefused,     // no picture, or the camera would not switch
        RecordingStarted, // the recording runs
        RecordingRefused, // it could not start
        RecordingStopped, // ended here: its camera left, or the devices went
    };
    Kind kind;
    int row = -1;
};

class CameraHost {
public:
    // Posted to the window (wParam, lParam 0) whenever news waits.
    static constexpr UINT kNewsMessage = WM_APP + 0x31;
    static constexpr unsigned kSelectionSettleMs = 500;
    static constexpr unsigned kFormatSettleMs = 1000;
    static constexpr unsigned kArrivalSettleMs = 1000;
    static constexpr unsigned kWatchPeriodMs = 250;
    // How long the exit waits on this thread for a stopped recording's file.
    static constexpr unsigned kExitFinishWaitMs = 5000;

    // memoryPath: where what the user set on each camera is kept (empty: for
    // this run only). Nothing is listed before Start.
    CameraHost(CameraRegistry& registry, CaptureEngine& engine, HWND window,
               std::wstring memoryPath);
    ~CameraHost();
    CameraHost(const CameraHost&) = delete;
    CameraHost& operator=(const CameraHost&) = delete;

    // Lists the devices and shows the camera the user chose last (else the first).
    void Start();
    // The user chose the camera at this position of the list.
    void ChooseCamera(int position);
    // A capture device arrived or left.
    void DevicesChanged(bool arrival);

    // The panel's changes to the shown camera.
    void SetProperty(int row, long value);
    void SetAutomatic(int row, bool automatic);
    void SetMirror(bool mirrored);
    void RestoreDefaults();
    void SetPowerLine(long frequency);

    // A photo or a recording in the saved format and size: the camera is
    // switched when it must be, given its settle time, and the window told.
    void PreparePhoto(const AppSettings& settings);
    void StartRecording(const AppSettings& settings);
    void StopRecording();
    // The same, waiting up to waitMs (the window's messages served) until
    // the recording is stopped: the machine is about to sleep.
    bool StopRecordingNow(unsigned waitMs);

    // The window was activated; the machine woke up; the window is minimised
    // or the session locked (unseen), or seen again.
    void WindowActivated();
    void Resumed();
    void SetUnseen(bool unseen);

    // Stops a recording, closes the camera, waits (at most kExitFinishWaitMs)
    // for the stopped recording's file and ends the thread, waiting up to
    // waitMs while the calling thread's messages are served; true when done.
    bool Shutdown(unsigned waitMs);

    // Window's thread: the news since the last call, oldest first, and what
    // the window is to show now.
    std::vector<CameraNews> TakeNews();
    CameraView View();
    // Nothing is being done or waits to be done (settle times included).
    bool Idle();

private:
    enum DelayKey : unsigned { kRefitKey = 1, kListKey, kCaptureKey };

    // Camera thread only, from here on.
    OrvanaCamera* Shown() const;
    bool EnumerateAndMerge();
    void Show(OrvanaCamera* camera);
    // Lists the devices and shows the camera the user chose last when it is
    // attached, else the one shown before, else the first; the first listing
    // shows it even when it is open already.
    void Refresh(bool firstListing = false);
    void Watch();
    void StartAgain(OrvanaCamera& camera);
    void Restart(OrvanaCamera& camera);
    // A property the user set, kept for the camera (CameraMemory).
    void Remember(OrvanaCamera& camera, int row, long value, long mode);
    // What the user set put back, the picture's flip following the camera.
    void PutBack(OrvanaCamera& camera);
    void ApplyMirror(OrvanaCamera& camera);
    bool HasPicture();
    // Switches the camera for a photo or a recording; false when it cannot
    // be had (no picture, the camera refused). then runs after the settle.
    bool SwitchForCapture(const AppSettings& settings, bool photo, CameraThread::Task then);
    void BeginRecording();
    void EndRecording(bool tell);

    // What the window sees, copied under the news lock.
    void ReadList();
    void ReadList(OrvanaCamera* shown);
    void ReadPanel(OrvanaCamera* camera);
    void ReadStatus();
    void Tell(CameraNews::Kind kind, int row = -1);
    void PostToWindow(UINT message);

    CameraRegistry& m_registry;
    CaptureEngine& m_engine;
    HWND m_window;
    CameraMemory m_memory;
    CameraWatch m_watch;
    CameraView m_view;       // camera thread's copy
    bool m_starting = false; // a camera is being opened
    bool m_stopped = false;

    std::mutex m_newsLock; // guards the three below
    CameraView m_shownView;
    std::vector<CameraNews> m_news;
    bool m_newsPosted = false;

    // Last: made after everything its tasks use, ended before it goes.
    CameraThread m_thread;
};
