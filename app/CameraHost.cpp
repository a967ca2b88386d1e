#include "app/CameraHost.h"

#include <algorithm>
#include <memory>

#include "Core/CameraRegistry.h"
#include "Core/OrvanaAudio.h"
#include "Core/OrvanaCamera.h"
#include "app/CaptureWiring.h"
#include "app/FormatSwitch.h"
#include "app/MessageWait.h"
#include "capture/CaptureEngine.h"

namespace {

using ImageProperties::kAutomatic;
using ImageProperties::kManual;
using ImageProperties::kRows;

HRESULT GetRange(OrvanaCamera& camera, int row, PropertyView& view) {
    const ImageProperties::Property& p = kRows[row];
    return p.cameraControl() ? camera.GetCameraControlRange(p.property, view.minimum, view.maximum,
                                                            view.step, view.defaultValue, view.caps)
                             : camera.GetVideoProcAmpRange(p.property, view.minimum, view.maximum,
                                                           view.step, view.defaultValue, view.caps);
}

HRESULT Get(OrvanaCamera& camera, int row, long& value, long& flags) {
    const ImageProperties::Property& p = kRows[row];
    return p.cameraControl() ? camera.GetCameraControl(p.property, value, flags)
                             : camera.GetVideoProcAmp(p.property, value, flags);
}

HRESULT Set(OrvanaCamera& camera, int row, long value, long flags) {
    const ImageProperties::Property& p = kRows[row];
    return p.cameraControl() ? camera.SetCameraControl(p.property, value, flags)
                             : camera.SetVideoProcAmp(p.property, value, flags);
}

PropertyView ReadProperty(OrvanaCamera& camera, int row) {
    PropertyView view;
    view.ranged = GetRange(camera, row, view) == 0;
    if (view.ranged) {
        view.read = Get(camera, row, view.value, view.flags) == 0;
    }
    return view;
}

// A property put back to its default as the camera's own defaults button
// would: in the modes of its range, then automatic where it has that mode.
void RestoreDefault(OrvanaCamera& camera, int row, const PropertyView& range) {
    Set(camera, row, range.defaultValue, range.caps);
    if (FAILED(Set(camera, row, range.defaultValue, kAutomatic))) {
        Set(camera, row, range.defaultValue, kManual);
    }
    // Brightness is written once more in its own modes: some cameras take
    // the automatic write as a mode change only.
    if (row == 0) {
        Set(camera, row, range.defaultValue, range.caps);
    }
}

bool Holds(const std::vector<OrvanaCamera*>& cameras, const OrvanaCamera* camera) {
    return camera != nullptr && std::find(cameras.begin(), cameras.end(), camera) != cameras.end();
}

} // namespace

CameraHost::CameraHost(CameraRegistry& registry, CaptureEngine& engine, HWND window,
                       std::wstring memoryPath)
    : m_registry(registry), m_engine(engine), m_window(window),
      m_memory(registry, std::move(memoryPath)) {
    m_thread.SetPeriodic(kWatchPeriodMs, [this] { Watch(); });
}

CameraHost::~CameraHost() {
    Shutdown(5000);
}

// --- Requests (window's thread) ---------------------------------------------

void CameraHost::Start() {
    // The first listing chooses as every later one does: the camera the user
    // chose last, else the first.
    m_thread.Post([this] { Refresh(true); });
}

void CameraHost::ChooseCamera(int position) {
    m_thread.Post([this, position] {
        const std::vector<OrvanaCamera*> cameras = m_registry.Cameras();
        OrvanaCamera* camera = static_cast<unsigned>(position) < cameras.size()
                                   ? cameras[static_cast<unsigned>(position)]
                                   : nullptr;
        if (camera == nullptr) {
            return;
        }
        // No recording survives a change of camera.
        if (camera != Shown()) {
            EndRecording(true);
        }
        m_memory.RememberChosen(*camera);
        Show(camera);
    });
}

void CameraHost::DevicesChanged(bool arrival) {
    if (arrival) {
        // Give new devices time to settle; a dock or a camera with its own
        // microphone sends several arrivals at once, listed together.
        m_thread.PostDelayed(
            kArrivalSettleMs, [this] { Refresh(); }, kListKey, true);
    } else {
        m_thread.Post([this] { Refresh(); });
    }
}

void CameraHost::SetProperty(int row, long value) {
    if (row < 0 || row >= ImageProperties::kCount) {
        return;
    }
    m_thread.Post([this, row, value] {
        OrvanaCamera* camera = Shown();
        if (camera == nullptr) {
            return;
        }
        PropertyView& shown = m_view.properties[row];
        if (Set(*camera, row, value, kManual) == 0) {
            Remember(*camera, row, value, kManual);
            shown.flags = kManual;
        }
        // What the camera holds now, which may not be what was asked for; a
        // camera that cannot say keeps the asked value on show.
        long held = value, flags = 0;
        if (Get(*camera, row, held, flags) != 0) {
            held = value;
        }
        shown.value = held;
        shown.read = true;
        Tell(CameraNews::Kind::PropertyHeld, row);
    });
}

void CameraHost::SetAutomatic(int row, bool automatic) {
    if (row < 0 || row >= ImageProperties::kCount) {
        return;
    }
    m_thread.Post([this, row, automatic] {
        OrvanaCamera* camera = Shown();
        if (camera == nullptr) {
            return;
        }
        PropertyView now = ReadProperty(*camera, row);
        if (!now.ranged || !now.read) {
            return;
        }
        const long mode = automatic ? kAutomatic : kManual;
        if (Set(*camera, row, now.value, mode) == 0) {
            now.flags = mode;
            Remember(*camera, row, now.value, mode);
        }
        m_view.properties[row] = now;
        Tell(CameraNews::Kind::PropertyHeld, row);
    });
}

void CameraHost::SetMirror(bool mirrored) {
    m_thread.Post([this, mirrored] {
        OrvanaCamera* camera = Shown();
        if (camera == nullptr) {
            return;
        }
        HRESULT hr = 0;
        if (camera->HasMirrorSwitch()) {
            hr = camera->SetMirror(mirrored);
        } else {
            // Property 9 is a real gain there: the picture is flipped instead.
            camera->pictureMirrored = mirrored;
            ApplyMirror(*camera);
        }
        if (hr == 0) {
            m_memory.RememberMirror(*camera, mirrored);
            m_view.mirrored = mirrored;
        }
    });
}

void CameraHost::RestoreDefaults() {
    m_thread.Post([this] {
        OrvanaCamera* camera = Shown();
        if (camera == nullptr) {
            return;
        }
        for (int row = 0; row < ImageProperties::kCount; ++row) {
            PropertyView range;
            if (GetRange(*camera, row, range) == 0) {
                RestoreDefault(*camera, row, range);
            }
        }
        if (camera->HasMirrorSwitch()) {
            PropertyView range;
            long value = 0, flags = 0;
            if (camera->GetVideoProcAmpRange(kMirrorProperty, range.minimum, range.maximum,
                                             range.step, range.defaultValue, range.caps) == 0 &&
                camera->GetVideoProcAmp(kMirrorProperty, value, flags) == 0) {
                camera->SetVideoProcAmp(kMirrorProperty, range.defaultValue, range.caps);
                if (FAILED(
                        camera->SetVideoProcAmp(kMirrorProperty, range.defaultValue, kAutomatic))) {
                    camera->SetVideoProcAmp(kMirrorProperty, range.defaultValue, kManual);
                }
            }
        } else {
            // The picture's own flip goes back to normal; a real gain stays as it is.
            camera->pictureMirrored = false;
            ApplyMirror(*camera);
        }
        m_memory.ForgetImageSettings(*camera);
        ReadPanel(camera);
        Tell(CameraNews::Kind::PanelChanged);
    });
}

void CameraHost::SetPowerLine(long frequency) {
    m_thread.Post([this, frequency] {
        OrvanaCamera* camera = Shown();
        if (camera == nullptr || !camera->opened) {
            return;
        }
        long held = 0;
        camera->GetPowerLineFrequency(held);
        if (held == frequency || camera->SetPowerLineFrequency(frequency) == 0) {
            m_memory.RememberPowerLine(*camera, frequency);
            m_view.powerLine = frequency;
        }
    });
}

void CameraHost::PreparePhoto(const AppSettings& settings) {
    m_thread.Post([this, settings] {
        if (m_engine.IsRecording() ||
            !SwitchForCapture(settings, true, [this] { Tell(CameraNews::Kind::PhotoReady); })) {
            Tell(CameraNews::Kind::PhotoRefused);
        }
    });
}

void CameraHost::StartRecording(const AppSettings& settings) {
    m_thread.Post([this, settings] {
        if (!SwitchForCapture(settings, false, [this] { BeginRecording(); })) {
            Tell(CameraNews::Kind::RecordingRefused);
        }
    });
}

void CameraHost::StopRecording() {
    m_thread.Post([this] { EndRecording(false); });
}

bool CameraHost::StopRecordingNow(unsigned waitMs) {
    auto stopped = std::make_shared<EventHandle>(EventHandle::Reset::Manual);
    m_thread.Post([this, stopped] {
        EndRecording(false);
        stopped->Set();
    });
    return WaitServingMessages(stopped->Get(), waitMs);
}

void CameraHost::WindowActivated() {
    m_thread.Post([this] {
        m_watch.Hurry(false);
        Watch();
    });
}

void CameraHost::Resumed() {
    m_thread.Post([this] {
        m_watch.Hurry(true);
        Watch();
    });
}

void CameraHost::SetUnseen(bool unseen) {
    m_thread.Post([this, unseen] {
        m_watch.SetUnseen(unseen);
        if (!unseen) {
            Watch();
        }
    });
}

bool CameraHost::Shutdown(unsigned waitMs) {
    return m_thread.Stop(
        [this] {
            m_stopped = true;
            EndRecording(false);
            // A camera closed for the exit is not started again.
            if (OrvanaCamera* camera = Shown()) {
                if (camera->opened) {
                    camera->Close();
                }
            }
            // The stopped recording's file finished, and its microphone let
            // go, here rather than on the window's thread.
            const ULONGLONG until = ::GetTickCount64() + kExitFinishWaitMs;
            while (!m_engine.WaitForFinishedRecordings(0) && ::GetTickCount64() < until) {
                ::Sleep(20);
            }
        },
        waitMs);
}

std::vector<CameraNews> CameraHost::TakeNews() {
    std::lock_guard<std::mutex> hold(m_newsLock);
    m_newsPosted = false;
    std::vector<CameraNews> news;
    news.swap(m_news);
    return news;
}

CameraView CameraHost::View() {
    std::lock_guard<std::mutex> hold(m_newsLock);
    return m_shownView;
}

bool CameraHost::Idle() {
    if (!m_thread.Idle()) {
        return false;
    }
    std::lock_guard<std::mutex> hold(m_newsLock);
    return m_news.empty();
}

// --- The camera thread ------------------------------------------------------

OrvanaCamera* CameraHost::Shown() const {
    return m_registry.Current();
}

bool CameraHost::EnumerateAndMerge() {
    OrvanaCamera* cameras[CameraRegistry::kMaxDevices] = {};
    OrvanaAudio* microphones[CameraRegistry::kMaxDevices] = {};
    int cameraCount = 0;
    int microphoneCount = 0;
    bool cameraRemoved = false;
    bool microphoneRemoved = false;
    m_registry.EnumerateDevices(cameras, cameraCount, microphones, microphoneCount);
    m_registry.MergeDevices(cameras, cameraCount, cameraRemoved, microphones, microphoneCount,
                            microphoneRemoved);
    return cameraRemoved;
}

void CameraHost::Show(OrvanaCamera* camera) {
    m_starting = true;
    // The list marks the camera being started while it starts.
    ReadList(camera);
    ReadStatus();
    Tell(CameraNews::Kind::ListChanged);
    // The window tells a slow start on the preview: this thread is busy
    // with it until the camera runs.
    Tell(CameraNews::Kind::StatusChanged);
    m_watch.Observe(CameraWatch::Look{}, ::GetTickCount64());
    m_registry.SelectCamera(camera, m_registry.CurrentMicrophone(), m_window);
    if (camera != nullptr) {
        PutBack(*camera);
    }
    m_starting = false;
    m_watch.Observe(
        CameraWatch::Look{camera, camera != nullptr && camera->running,
                          camera != nullptr ? static_cast<int32_t>(camera->startResult) : 0,
                          m_engine.DecodedFrames()},
        ::GetTickCount64());
    ReadList();
    ReadPanel(camera);
    ReadStatus();
    Tell(CameraNews::Kind::PanelChanged);
    Tell(CameraNews::Kind::StatusChanged);
    // The preview takes the picture's size once the camera had time to start.
    m_thread.PostDelayed(
        kSelectionSettleMs, [this] { PostToWindow(WM_MOVE); }, kRefitKey);
}

void CameraHost::Refresh(bool firstListing) {
    if (m_stopped) {
        return;
    }
    OrvanaCamera* shownBefore = Shown();
    const bool wasOpen = shownBefore != nullptr && shownBefore->opened;
    EnumerateAndMerge();
    const std::vector<OrvanaCamera*> cameras = m_registry.Cameras();
    if (m_registry.Microphone() == nullptr) {
        // A microphone that arrived serves the next recording.
        m_registry.CurrentMicrophone();
    }
    if (cameras.empty()) {
        EndRecording(true);
        m_watch.Observe(CameraWatch::Look{}, ::GetTickCount64());
        ReadList();
        ReadPanel(nullptr);
        ReadStatus();
        Tell(CameraNews::Kind::ListChanged);
        Tell(CameraNews::Kind::PanelChanged);
        Tell(CameraNews::Kind::StatusChanged);
        m_engine.StopRecordingAndRepaint();
        return;
    }
    const bool shownAttached = wasOpen && Holds(cameras, shownBefore);
    // The camera the user chose last when it is attached, else the one shown
    // before, else the first; a camera that is recording goes on.
    OrvanaCamera* target = nullptr;
    if (shownAttached && m_engine.IsRecording()) {
        target = shownBefore;
    } else {
        const int last = m_memory.LastChosenIndex();
        target = last >= 0       ? cameras[static_cast<unsigned>(last)]
                 : shownAttached ? shownBefore
                                 : cameras.front();
    }
    if (target == shownBefore && shownAttached && !firstListing) {
        ReadList();
        Tell(CameraNews::Kind::ListChanged);
        return;
    }
    EndRecording(true);
    Show(target);
}

void CameraHost::Watch() {
    if (m_stopped) {
        return;
    }
    // A stopped recording's microphone is let go here once its file is
    // finished: closing a device takes a driver's while, and until then it
    // stays busy for every other program.
    m_engine.WaitForFinishedRecordings(0);
    OrvanaCamera* camera = Shown();
    CameraWatch::Look look;
    look.camera = camera;
    look.running = camera != nullptr && camera->running;
    look.startResult = camera != nullptr ? static_cast<int32_t>(camera->startResult) : 0;
    look.pictures = m_engine.DecodedFrames();
    switch (m_watch.Observe(look, ::GetTickCount64())) {
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
    const CameraTrouble before = m_view.trouble;
    const bool runningBefore = m_view.running;
    ReadStatus();
    if (m_view.trouble != before || m_view.running != runningBefore) {
        Tell(CameraNews::Kind::StatusChanged);
    }
}

void CameraHost::StartAgain(OrvanaCamera& camera) {
    const bool wasOpened = camera.opened;
    HRESULT hr = S_OK;
    if (camera.opened && camera.graphBuilt) {
        // Held by another program or denied: the graph stands, only its run failed.
        hr = camera.StartGraph();
    } else {
        // Not even opened: open it as a selection does, without its settle time.
        if (camera.opened) {
            camera.Close();
        }
        hr = m_registry.SelectCamera(&camera, m_registry.CurrentMicrophone(), m_window);
    }
    if (!DeviceDone(hr)) {
        return;
    }
    if (!wasOpened) {
        PutBack(camera);
        ReadPanel(&camera);
        Tell(CameraNews::Kind::PanelChanged);
    }
    PostToWindow(WM_MOVE);
}

void CameraHost::Restart(OrvanaCamera& camera) {
    // A graph that will not stop still runs as it did; the next restart tries again.
    if (FAILED(camera.Stop())) {
        return;
    }
    if (FAILED(camera.StartGraph()) && FAILED(camera.Reopen(kGraphNotifyMessage))) {
        return;
    }
    // Many cameras forget what was set on them when their stream ends.
    PutBack(camera);
    ReadPanel(&camera);
    Tell(CameraNews::Kind::PanelChanged);
}

void CameraHost::Remember(OrvanaCamera& camera, int row, long value, long mode) {
    if (kRows[row].cameraControl()) {
        m_memory.RememberCameraControl(camera, kRows[row].property, value, mode);
    } else {
        m_memory.RememberVideoProcAmp(camera, kRows[row].property, value, mode);
    }
}

void CameraHost::PutBack(OrvanaCamera& camera) {
    m_memory.PutBack(camera);
    ApplyMirror(camera);
}

void CameraHost::ApplyMirror(OrvanaCamera& camera) {
    // The camera's own switch mirrors its picture; a flip would undo it.
    m_engine.SetPictureFlip(camera.pictureMirrored && !camera.HasMirrorSwitch());
}

bool CameraHost::HasPicture() {
    Watch();
    return m_watch.HasPicture();
}

bool CameraHost::SwitchForCapture(const AppSettings& settings, bool photo,
                                  CameraThread::Task then) {
    OrvanaCamera* camera = Shown();
    if (camera == nullptr || !camera->running || !HasPicture()) {
        return false;
    }
    const FormatSwitch outcome = SwitchCameraFormat(
        camera, settings.FileFormat,
        photo ? settings.PhotoResolution_Width : settings.VideoResolution_Width,
        photo ? settings.PhotoResolution_Height : settings.VideoResolution_Height);
    if (outcome == FormatSwitch::Refused) {
        PostToWindow(WM_MOVE);
        return false;
    }
    if (outcome != FormatSwitch::Switched) {
        then();
        return true;
    }
    ReadPanel(camera);
    Tell(CameraNews::Kind::PanelChanged);
    // The switched camera's first pictures take their time; the preview
    // takes the new size once they come.
    m_thread.PostDelayed(
        kFormatSettleMs,
        [this, then] {
            PostToWindow(WM_MOVE);
            then();
        },
        kCaptureKey);
    return true;
}

void CameraHost::BeginRecording() {
    RecordingSource source;
    if (!CurrentRecordingSource(m_registry, source) || !m_engine.StartRecording(source)) {
        Tell(CameraNews::Kind::RecordingRefused);
        return;
    }
    Tell(CameraNews::Kind::RecordingStarted);
}

void CameraHost::EndRecording(bool tell) {
    if (!m_engine.IsRecording()) {
        return;
    }
    m_engine.StopRecording();
    if (tell) {
        Tell(CameraNews::Kind::RecordingStopped);
    }
}

void CameraHost::ReadList() {
    ReadList(Shown());
}

void CameraHost::ReadList(OrvanaCamera* shown) {
    m_view.names.clear();
    m_view.shown = -1;
    const std::vector<OrvanaCamera*> cameras = m_registry.Cameras();
    for (std::size_t i = 0; i < cameras.size(); ++i) {
        m_view.names.push_back(cameras[i]->friendlyName);
        if (cameras[i] == shown) {
            m_view.shown = static_cast<int>(i);
        }
    }
    m_view.microphone = m_registry.Microphone() != nullptr;
}

void CameraHost::ReadPanel(OrvanaCamera* camera) {
    const CameraView list = m_view;
    m_view = CameraView();
    m_view.names = list.names;
    m_view.shown = list.shown;
    m_view.microphone = list.microphone;
    if (camera == nullptr) {
        return;
    }
    m_view.opened = camera->opened;
    m_view.running = camera->running;
    m_view.formats = camera->formats;
    m_view.formatKnown = camera->GetCurrentFormat(m_view.format, m_view.frameRate) == 0;
    for (int row = 0; row < ImageProperties::kCount; ++row) {
        m_view.properties[row] = ReadProperty(*camera, row);
    }
    if (camera->HasMirrorSwitch()) {
        long value = 0, flags = 0;
        m_view.mirrored = camera->GetVideoProcAmp(kMirrorProperty, value, flags) == 0 && value == 1;
    } else {
        m_view.mirrored = camera->pictureMirrored;
    }
    long frequency = 2;
    m_view.powerLineKnown = camera->GetPowerLineFrequency(frequency) == 0;
    m_view.powerLine = frequency;
}

void CameraHost::ReadStatus() {
    OrvanaCamera* camera = Shown();
    m_view.running = camera != nullptr && camera->running;
    m_view.starting = m_starting;
    m_view.trouble = m_watch.Trouble();
}

void CameraHost::Tell(CameraNews::Kind kind, int row) {
    bool post = false;
    {
        std::lock_guard<std::mutex> hold(m_newsLock);
        m_shownView = m_view;
        m_news.push_back(CameraNews{kind, row});
        post = !m_newsPosted;
        m_newsPosted = true;
    }
    if (post) {
        PostToWindow(kNewsMessage);
    }
}

void CameraHost::PostToWindow(UINT message) {
    if (m_window != nullptr) {
        ::PostMessageA(m_window, message, 0, 0);
    }
}
