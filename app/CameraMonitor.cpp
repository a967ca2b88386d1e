#include "app/CameraMonitor.h"

#include "Core/CameraRegistry.h"
#include "Core/OrvanaAudio.h"
#include "Core/OrvanaCamera.h"
#include "app/ControlNames.h"
#include "app/Notices.h"
#include "capture/CaptureEngine.h"

CameraMonitor::CameraMonitor(CameraRegistry& registry, CaptureEngine& engine, Notices& notices,
                             HWND owner, std::function<void(OrvanaCamera&)> opened)
    : m_registry(registry), m_engine(engine), m_notices(notices), m_owner(owner),
      m_opened(std::move(opened)) {
    if (m_owner != nullptr) {
        ::SetTimer(m_owner, kTimer, kTimerPeriodMs, nullptr);
    }
}

CameraMonitor::~CameraMonitor() {
    if (m_owner != nullptr) {
        ::KillTimer(m_owner, kTimer);
    }
}

OrvanaCamera* CameraMonitor::Shown() const {
    return m_registry.cameras.empty() ? nullptr : m_registry.currentCamera;
}

CameraWatch::Look CameraMonitor::LookAt(OrvanaCamera* camera) const {
    CameraWatch::Look look;
    look.camera = camera;
    look.running = camera != nullptr && camera->running;
    look.startResult = camera != nullptr ? static_cast<int32_t>(camera->startResult) : 0;
    look.pictures = m_engine.DecodedFrames();
    return look;
}

void CameraMonitor::Stop() {
    m_stopped = true;
    if (m_owner != nullptr) {
        ::KillTimer(m_owner, kTimer);
    }
}

void CameraMonitor::Check() {
    if (m_acting || m_stopped) {
        return;
    }
    m_acting = true;
    OrvanaCamera* camera = Shown();
    switch (m_watch.Observe(LookAt(camera), ::GetTickCount64())) {
    case CameraWatch::Step::StartAgain:
        StartAgain(*camera);
        break;
    case CameraWatch::Step::Restart:
        // A photo asked for just before the pictures stopped would otherwise
        // take one from long after; the user sees why there is none.
        m_engine.CancelPhoto();
        Restart(*camera);
        break;
    case CameraWatch::Step::Nothing:
        break;
    }
    TellTrouble();
    m_acting = false;
}

void CameraMonitor::CameraChosen(OrvanaCamera* camera) {
    m_watch.Observe(LookAt(camera), ::GetTickCount64());
}

void CameraMonitor::WindowActivated() {
    m_watch.Hurry(false);
    Check();
}

void CameraMonitor::Resumed() {
    m_watch.Hurry(true);
    Check();
}

bool CameraMonitor::HasPicture() {
    Check();
    return m_watch.HasPicture();
}

void CameraMonitor::StartAgain(OrvanaCamera& camera) {
    const bool wasOpened = camera.opened;
    HRESULT hr = S_OK;
    if (camera.opened && camera.graphBuilt) {
        // Held by another program or denied: the graph stands, only its run failed.
        hr = camera.StartGraph();
    } else {
        // Not even opened: open it as a selection does, without its wait.
        if (camera.opened) {
            camera.Close();
        }
        OrvanaAudio* microphone =
            m_registry.microphones.empty() ? nullptr : m_registry.microphones.front();
        hr = m_registry.SelectCamera(&camera, microphone, m_owner);
    }
    if (FAILED(hr) || hr == 1) {
        return;
    }
    if (!wasOpened && m_opened) {
        m_opened(camera);
    }
    ::PostMessageA(m_owner, WM_MOVE, 0, 0);
}

void CameraMonitor::Restart(OrvanaCamera& camera) {
    // A graph that will not stop still runs as it did; the next restart tries again.
    if (FAILED(camera.Stop())) {
        return;
    }
    if (FAILED(camera.StartGraph()) && FAILED(camera.Reopen(kGraphNotifyMessage))) {
        return;
    }
    // Many cameras forget what was set on them when their stream ends.
    if (m_opened) {
        m_opened(camera);
    }
}

void CameraMonitor::TellTrouble() {
    switch (m_watch.Trouble()) {
    case CameraTrouble::InUse:
        m_notices.ShowOnPreview(ControlNames::Notice::kCameraInUse);
        break;
    case CameraTrouble::Denied:
        m_notices.ShowOnPreview(ControlNames::Notice::kCameraDenied);
        break;
    case CameraTrouble::NotStarted:
        m_notices.ShowOnPreview(ControlNames::Notice::kCameraNotStarted);
        break;
    case CameraTrouble::NoPicture:
        m_notices.ShowOnPreview(ControlNames::Notice::kCameraNoPicture);
        break;
    case CameraTrouble::None:
        m_notices.ClearPreview();
        break;
    }
}
