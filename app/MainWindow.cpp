#include "app/MainWindow.h"

#include <dbt.h>
#include <mbstring.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include <wtsapi32.h>

#include "Core/CameraRegistry.h"
#include "app/CameraHost.h"
#include "app/CameraMemory.h"
#include "app/CaptureWiring.h"
#include "app/ControlNames.h"
#include "app/ControlPanel.h"
#include "app/LanguageTable.h"
#include "app/MessageWait.h"
#include "capture/CaptureEngine.h"
#include "preview/CaptureViewUI.h"
#include "preview/LivePreview.h"
#include "settings/SettingsFile.h"
#include "ui/ControlUI.h"
#include "ui/GdiOwners.h"
#include "ui/ResourceCache.h"

namespace {

// KSCATEGORY_CAPTURE: capture devices, the class whose arrival and removal we hear of.
const GUID kCaptureCategory = {
    0x65E8773D, 0x8F56, 0x11D0, {0xA3, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};

// How long closing waits for a stopped recording's file to be finished.
constexpr unsigned kExitFinishWaitMs = 5000;
// How long closing waits for the camera thread to stop the recording and
// close the camera; a driver that hangs longer is left to the process's end.
constexpr unsigned kExitCameraWaitMs = 5000;
// How long closing waits for the start-up repair to stop: the window is gone
// within about a second whatever that repair is doing.
constexpr unsigned kExitRepairWaitMs = 300;
// How long the end of the session waits for it: Windows shows the reason
// meanwhile and lets the user end the session at once.
constexpr unsigned kSessionEndFinishWaitMs = 30000;
constexpr wchar_t kFinishingReason[] = L"Finishing the recording";

// The monitor a window is on (the nearest one), and its work area: the
// screen less the taskbar and docked bars.
bool MonitorAreas(HWND window, RECT& monitor, RECT& work) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoA(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) {
        return false;
    }
    monitor = info.rcMonitor;
    work = info.rcWork;
    return work.right > work.left && work.bottom > work.top;
}

} // namespace

MainWindow::MainWindow() = default;

MainWindow::~MainWindow() = default;

const char* MainWindow::GetWndClassName() const {
    return "UIFrame";
}

UINT MainWindow::GetClassStyle() const {
    return CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_SAVEBITS;
}

Ui::CControlUI* MainWindow::CreateControl(const char* className) {
    if (className != nullptr &&
        _mbsicmp(reinterpret_cast<const unsigned char*>(className),
                 reinterpret_cast<const unsigned char*>("CaptureView")) == 0) {
        return new CaptureViewUI();
    }
    return nullptr;
}

bool MainWindow::LoadSkinArchive() {
    HINSTANCE resources = Ui::CResourceCache::GetResourceDll();
    HRSRC resource =
        ::FindResourceA(resources, MAKEINTRESOURCEA(kSkinResourceId), kSkinResourceType);
    if (resource == nullptr) {
        return false;
    }
    HGLOBAL loaded = ::LoadResource(resources, resource);
    if (loaded == nullptr) {
        ::FreeResource(loaded);
        return false;
    }
    DWORD size = ::SizeofResource(resources, resource);
    if (size == 0) {
        return false;
    }
    const void* bytes = ::LockResource(loaded);
    if (bytes == nullptr) {
        return false;
    }
    const auto* begin = static_cast<const unsigned char*>(bytes);
    m_skinArchive.assign(begin, begin + size);
    ::FreeResource(loaded);
    Ui::CResourceCache::SetResourceZip(m_skinArchive.data(), size);
    return true;
}

LRESULT MainWindow::OnCreate() {
    // 1. The skin archive.
    if (!LoadSkinArchive()) {
        return 0;
    }

    // 2, 3. Icon, and a window without the system's caption.
    SetIcon(kIconResourceId);
    LONG style = ::GetWindowLongA(m_hwnd, GWL_STYLE);
    style &= ~WS_CAPTION;
    style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    ::SetWindowLongA(m_hwnd, GWL_STYLE, style);

    BuildControlTree();
    WireParts();

    // 11. Hear of capture devices coming and going.
    DEV_BROADCAST_DEVICEINTERFACE_A filter{};
    filter.dbcc_size = 32;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kCaptureCategory;
    m_deviceNotify = ::RegisterDeviceNotificationA(m_hwnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);

    // 12. The settings the photo and record actions use.
    AppSettings settings{};
    LoadSettings(settings);
    CurrentSettings = settings;

    // Recordings a crash or a kill left fragmented are finished meanwhile.
    m_repair.Start();

    // A camera held by another program is left alone while the session is locked.
    ::WTSRegisterSessionNotification(m_hwnd, NOTIFY_FOR_THIS_SESSION);

    // 13, 14. The devices listed and the camera the user chose last (else the
    // first) opened on the camera thread: the window shows at once, and the
    // picture follows when the camera has started.
    m_cameras->Start();
    return 0;
}

void MainWindow::BuildControlTree() {
    // 4. The skin file follows the language of the settings or of the thread locale.
    AppSettings settings{};
    bool settingsLoaded = LoadSettings(settings);
    const char* skinFile = ChooseSkinFile(settingsLoaded, settings.Language,
                                          static_cast<unsigned>(::GetThreadLocale()));

    // 5, 6. The control tree; the notifier comes after it.
    m_paintManager.Init(m_hwnd);
    {
        Ui::CSkinBuilder builder;
        Ui::CControlUI* root = builder.Create(skinFile, nullptr, this, &m_paintManager, nullptr);
        m_paintManager.AttachDialog(root);
        m_paintManager.AddNotifier(this);
    }
    // The skin sized the window; a screen lower or narrower than that gets
    // it no larger than its work area, so that every control is on it.
    FitIntoWorkArea();

    // 7. Controls the window itself keeps.
    m_minimizeButton = m_paintManager.FindControl(ControlNames::kMinimize);
    m_maximizeButton = m_paintManager.FindControl(ControlNames::kMaximize);
    m_closeButton = m_paintManager.FindControl(ControlNames::kClose);
    m_tabLayout = m_paintManager.FindControl(ControlNames::kTabLayout);
    Ui::CControlUI* preview = m_paintManager.FindControl(ControlNames::kPreview);
    m_preview = preview != nullptr
                    ? static_cast<CaptureViewUI*>(preview->GetInterface("CaptureView"))
                    : nullptr;
}

void MainWindow::WireParts() {
    // 8, 9. The panel, empty until a camera is chosen.
    m_cameras = std::make_unique<CameraHost>(CameraRegistry::Instance(), CaptureEngine::Instance(),
                                             m_hwnd, CameraMemory::DefaultPath());
    m_controlPanel = std::make_unique<ControlPanel>(m_paintManager, *m_cameras,
                                                    CaptureEngine::Instance(), m_hwnd);
    m_controlPanel->RefreshFormatLists(CameraView());

    // 10. The preview window, handed to the engine; cameras send their
    // samples to the engine from now on, before the first one opens (14).
    if (m_preview != nullptr) {
        m_preview->Attach(WireCapture(CaptureEngine::Instance(), CameraRegistry::Instance(), m_hwnd,
                                      Ui::CResourceCache::GetInstance()));
    }
}

void MainWindow::Shutdown() {
    // Messages served while it waits may bring the close again; once done,
    // running it again is harmless.
    if (m_shuttingDown) {
        return;
    }
    m_shuttingDown = true;
    CaptureEngine& engine = CaptureEngine::Instance();
    if (m_controlPanel != nullptr) {
        m_controlPanel->StopRecordingIfActive();
    }
    if (m_cameras != nullptr) {
        // Stops the recording and closes the camera on its own thread; a
        // camera closed for the exit is not started again. A thread that a
        // hanging driver holds keeps what it uses until the process ends.
        if (!m_cameras->Shutdown(kExitCameraWaitMs + CameraHost::kExitFinishWaitMs)) {
            (void)m_cameras.release();
        }
    } else if (engine.IsRecording()) {
        engine.StopRecording();
    }
    engine.RequestStop();
    // The stopped recording's file is finished by its own thread; should the
    // process die before that, the next start finishes it.
    ServeMessagesUntil([&engine] { return engine.WaitForFinishedRecordings(0); },
                       kExitFinishWaitMs);
    // A repair that a slow or stalled disk holds up does not hold the window:
    // killed with the process, it is resumed by the next start.
    m_repair.RequestStop();
    ServeMessagesUntil([this] { return m_repair.Done(); }, kExitRepairWaitMs);
    m_repair.Stop(0);
    m_shuttingDown = false;
    ::PostQuitMessage(0);
}

void MainWindow::EndSession() {
    // Windows may end the process as soon as WM_ENDSESSION returns: the last
    // fragment would be lost and the file left unfinished.
    CaptureEngine& engine = CaptureEngine::Instance();
    const bool finishing = engine.IsRecording() || !engine.WaitForFinishedRecordings(0);
    if (finishing) {
        ::ShutdownBlockReasonCreate(m_hwnd, kFinishingReason);
    }
    if (m_controlPanel != nullptr) {
        m_controlPanel->StopRecordingIfActive();
    }
    if (m_cameras != nullptr) {
        m_cameras->Shutdown(kExitCameraWaitMs + CameraHost::kExitFinishWaitMs);
    } else {
        engine.StopRecording();
    }
    ServeMessagesUntil([&engine] { return engine.WaitForFinishedRecordings(0); },
                       kSessionEndFinishWaitMs);
    Shutdown();
    if (finishing) {
        ::ShutdownBlockReasonDestroy(m_hwnd);
    }
}

bool MainWindow::OnDeviceChange(WPARAM event, LPARAM header) {
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) {
        return true;
    }
    const auto* broadcast = reinterpret_cast<const DEV_BROADCAST_HDR*>(header);
    if (broadcast == nullptr || broadcast->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE ||
        broadcast->dbch_size < sizeof(DEV_BROADCAST_HDR) + sizeof(GUID)) {
        return true;
    }
    const auto* device = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_A*>(header);
    if (std::memcmp(&device->dbcc_classguid, &kCaptureCategory, sizeof(GUID)) != 0) {
        return true;
    }
    if (m_cameras != nullptr) {
        m_cameras->DevicesChanged(event == DBT_DEVICEARRIVAL);
    }
    return true;
}

void MainWindow::FollowVisibility() {
    if (m_cameras != nullptr) {
        m_cameras->SetUnseen(m_minimized || m_locked);
    }
}

void MainWindow::Notify(Ui::CNotifyEvent& event) {
    if (event.type == "click" && event.sender != nullptr) {
        const Ui::CUiString& name = event.sender->GetName();
        if (name == ControlNames::kClose) {
            Shutdown();
            return;
        }
        if (name == ControlNames::kMaximize) {
            SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
            return;
        }
        if (name == ControlNames::kRestore) {
            SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
            return;
        }
        if (name == ControlNames::kMinimize) {
            SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
            return;
        }
    }
    if (m_controlPanel != nullptr) {
        m_controlPanel->OnNotify(event);
    }
}

LRESULT MainWindow::HitTest(LPARAM lParam) {
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ScreenToClient(m_hwnd, &point);
    RECT client{};
    ::GetClientRect(m_hwnd, &client);

    if (!::IsZoomed(m_hwnd)) {
        const RECT& border = m_paintManager.GetSizeBox();
        if (point.y < client.top + border.top) {
            if (point.x < client.left + border.left) {
                return HTTOPLEFT;
            }
            if (point.x > client.right - border.right) {
                return HTTOPRIGHT;
            }
            return HTTOP;
        }
        if (point.y > client.bottom - border.bottom) {
            if (point.x < client.left + border.left) {
                return HTBOTTOMLEFT;
            }
            if (point.x > client.right - border.right) {
                return HTBOTTOMRIGHT;
            }
            return HTBOTTOM;
        }
        if (point.x < client.left + border.left) {
            return HTLEFT;
        }
        if (point.x > client.right - border.right) {
            return HTRIGHT;
        }
    }

    const RECT& caption = m_paintManager.GetCaptionRect();
    if (point.x >= client.left + caption.left && point.x < client.right - caption.right &&
        point.y >= caption.top && point.y < caption.bottom) {
        // Labels, the logo and layouts drag the window; buttons stay clickable.
        Ui::CControlUI* control = m_paintManager.FindControl(point);
        if (control != nullptr && std::strcmp(control->GetClass(), "Button") != 0) {
            return HTCAPTION;
        }
    }
    return HTCLIENT;
}

void MainWindow::UpdateWindowRegion() {
    SIZE corner = m_paintManager.GetRoundCorner();
    if (::IsIconic(m_hwnd) || (corner.cx == 0 && corner.cy == 0)) {
        return;
    }
    RECT window{};
    ::GetWindowRect(m_hwnd, &window);
    ::OffsetRect(&window, -window.left, -window.top);
    Ui::UniqueRegion region(::CreateRoundRectRgn(window.left, window.top, window.right + 1,
                                                 window.bottom + 1, corner.cx, corner.cy));
    // Once set, the region belongs to the system, which deletes it.
    if (::SetWindowRgn(m_hwnd, region, TRUE)) {
        region.Detach();
    }
}

void MainWindow::FitIntoWorkArea() {
    RECT monitor{}, work{}, window{};
    if (!MonitorAreas(m_hwnd, monitor, work) || !::GetWindowRect(m_hwnd, &window)) {
        return;
    }
    const int width = std::min(window.right - window.left, work.right - work.left);
    const int height = std::min(window.bottom - window.top, work.bottom - work.top);
    if (width != window.right - window.left || height != window.bottom - window.top) {
        ::SetWindowPos(m_hwnd, nullptr, 0, 0, width, height,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void MainWindow::LimitToWorkArea(MINMAXINFO& info) {
    RECT monitor{}, work{};
    if (!MonitorAreas(m_hwnd, monitor, work)) {
        return;
    }
    // A window without a frame would otherwise be maximised over the whole
    // monitor, taskbar included. The place is relative to the monitor.
    info.ptMaxPosition = POINT{work.left - monitor.left, work.top - monitor.top};
    info.ptMaxSize = POINT{work.right - work.left, work.bottom - work.top};
    // Nor may the skin's minimum hold the window larger than the work area.
    info.ptMinTrackSize.x = std::min<LONG>(info.ptMinTrackSize.x, work.right - work.left);
    info.ptMinTrackSize.y = std::min<LONG>(info.ptMinTrackSize.y, work.bottom - work.top);
}

void MainWindow::SwapMaximizeButtons(bool maximized) {
    Ui::CControlUI* maximize = m_paintManager.FindControl(ControlNames::kMaximize);
    Ui::CControlUI* restore = m_paintManager.FindControl(ControlNames::kRestore);
    if (maximize != nullptr) {
        maximize->SetVisible(!maximized);
    }
    if (restore != nullptr) {
        restore->SetVisible(maximized);
    }
}

LRESULT MainWindow::DefaultPath(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (m_paintManager.MessageHandler(message, wParam, lParam, result)) {
        return result;
    }
    return CWindowBase::HandleMessage(message, wParam, lParam);
}

LRESULT MainWindow::OnSysCommand(WPARAM command, LPARAM lParam) {
    if (command == SC_CLOSE) {
        Shutdown();
        return 0;
    }
    const bool wasMaximized = ::IsZoomed(m_hwnd) != FALSE;
    const LRESULT result = CWindowBase::HandleMessage(WM_SYSCOMMAND, command, lParam);
    const bool isMaximized = ::IsZoomed(m_hwnd) != FALSE;
    if (wasMaximized != isMaximized) {
        SwapMaximizeButtons(isMaximized);
    }
    return result;
}

void MainWindow::OnSize(WPARAM kind) {
    UpdateWindowRegion();
    const bool minimized = kind == SIZE_MINIMIZED;
    CaptureEngine::Instance().SetMinimized(minimized);
    if (m_minimized != minimized) {
        m_minimized = minimized;
        FollowVisibility();
    }
}

void MainWindow::OnSessionChange(WPARAM event) {
    if (event == WTS_SESSION_LOCK || event == WTS_SESSION_UNLOCK) {
        m_locked = event == WTS_SESSION_LOCK;
        FollowVisibility();
    }
}

LRESULT MainWindow::OnGetMinMaxInfo(WPARAM wParam, LPARAM lParam) {
    // The skin's limits first, then the work area's.
    const LRESULT result = DefaultPath(WM_GETMINMAXINFO, wParam, lParam);
    if (lParam != 0) {
        LimitToWorkArea(*reinterpret_cast<MINMAXINFO*>(lParam));
    }
    return result;
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate();
    case WM_DESTROY:
        Shutdown();
        break;
    case WM_MOVE:
    case kRefitPreviewMessage:
        if (m_preview != nullptr) {
            m_preview->FitPreview();
        }
        break;
    case WM_SIZE:
        OnSize(wParam);
        break;
    case WM_WTSSESSION_CHANGE:
        OnSessionChange(wParam);
        break;
    case CameraHost::kNewsMessage:
        if (m_controlPanel != nullptr) {
            m_controlPanel->OnCameraNews();
        }
        return 0;
    case WM_NCCALCSIZE:
    case WM_NCPAINT:
        return 0;
    case WM_GETMINMAXINFO:
        return OnGetMinMaxInfo(wParam, lParam);
    case WM_NCHITTEST:
        return HitTest(lParam);
    case WM_NCACTIVATE:
        if (!::IsIconic(m_hwnd)) {
            return wParam == 0 ? TRUE : FALSE;
        }
        break;
    case WM_SYSCOMMAND:
        return OnSysCommand(wParam, lParam);
    case WM_TIMER:
        if (m_controlPanel != nullptr) {
            m_controlPanel->OnTimer(wParam, lParam);
        }
        break;
    case WM_DEVICECHANGE:
        OnDeviceChange(wParam, lParam);
        break;
    case WM_POWERBROADCAST:
        if (m_controlPanel != nullptr) {
            m_controlPanel->OnPowerBroadcast(wParam);
        }
        return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && m_cameras != nullptr) {
            m_cameras->WindowActivated();
        }
        break;
    case WM_QUERYENDSESSION:
        // Never refused: the recording is finished once the end is certain,
        // and goes on when another program calls it off.
        return TRUE;
    case WM_ENDSESSION:
        if (wParam != FALSE) {
            EndSession();
        }
        return 0;
    default:
        break;
    }
    return DefaultPath(message, wParam, lParam);
}
