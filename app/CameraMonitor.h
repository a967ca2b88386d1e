// CameraMonitor: looks at the current camera four times a second and acts on
// what CameraWatch decides: starts again a camera whose graph does not run,
// restarts one that runs without pictures (reopening it when that fails),
// and shows on the preview why there is no picture. Its timer runs on the
// owner window from construction on.
#pragma once

#include <windows.h>

#include <functional>

#include "app/CameraWatch.h"

class CameraRegistry;
class CaptureEngine;
class Notices;
class OrvanaCamera;

class CameraMonitor {
public:
    static constexpr UINT_PTR kTimer = 2011;
    static constexpr UINT kTimerPeriodMs = 250;

    // opened: called after a camera that could not be opened before has
    // been opened, and after a restart (what its user set is to be put
    // back, its lists filled).
    CameraMonitor(CameraRegistry& registry, CaptureEngine& engine, Notices& notices, HWND owner,
                  std::function<void(OrvanaCamera&)> opened);
    ~CameraMonitor();
    CameraMonitor(const CameraMonitor&) = delete;
    CameraMonitor& operator=(const CameraMonitor&) = delete;

    // The timer's tick: one look, and what it calls for.
    void Check();
    // A camera is about to be shown: the pictures counted from now on are its.
    void CameraChosen(OrvanaCamera* camera);
    // The window was activated: a camera that does not run is started at once.
    void WindowActivated();
    // The machine woke up: the camera is restarted at once.
    void Resumed();
    // Whether the current camera gives pictures now (a photo or a recording
    // can start); looks first.
    bool HasPicture();
    // The program closes: no more looks, nothing is started again.
    void Stop();

private:
    OrvanaCamera* Shown() const;
    CameraWatch::Look LookAt(OrvanaCamera* camera) const;
    void StartAgain(OrvanaCamera& camera);
    void Restart(OrvanaCamera& camera);
    void TellTrouble();

    CameraRegistry& m_registry;
    CaptureEngine& m_engine;
    Notices& m_notices;
    HWND m_owner;
    std::function<void(OrvanaCamera&)> m_opened;
    CameraWatch m_watch;
    bool m_acting = false; // a step runs: a look from inside it waits for the next tick
    bool m_stopped = false;
};
