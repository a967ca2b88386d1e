// MainWindow: the one frameless top-level window. The skin draws all of it,
// including the caption band and the title-bar buttons; the window procedure
// answers the non-client messages itself so the system draws nothing.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "capture/recording/RecordingRepair.h"
#include "ui/NotifyEvent.h"
#include "ui/PaintManager.h"
#include "ui/SkinBuilder.h"
#include "ui/WindowBase.h"

class CameraHost;
class CaptureViewUI;
class ControlPanel;

class MainWindow : public Ui::CWindowBase,
                   public Ui::INotifyListener,
                   public Ui::ISkinBuilderCallback {
public:
    static constexpr UINT kSkinResourceId = 101;
    static constexpr UINT kIconResourceId = 102;
    static constexpr const char* kSkinResourceType = "ZIPRES";

    MainWindow();
    ~MainWindow() override;

    // CWindowBase
    const char* GetWndClassName() const override;
    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // INotifyListener: the title-bar buttons here, everything else to the panel.
    void Notify(Ui::CNotifyEvent& event) override;
    // ISkinBuilderCallback: the program's own "CaptureView" element.
    Ui::CControlUI* CreateControl(const char* className) override;

    // Stops a recording, closes the camera, asks the worker to end, posts
    // WM_QUIT. The window keeps answering while it waits for them.
    void Shutdown();
    // The session ends (log-off, shutdown, an update's restart): the running
    // recording is finished into an ordinary file, Windows told why the
    // program holds the end up meanwhile, then Shutdown.
    void EndSession();
    // Capture-device arrival and removal, handed to the camera thread, which
    // keeps showing the camera the user chose and its recording where it can.
    bool OnDeviceChange(WPARAM event, LPARAM header);

    Ui::CPaintManager& GetPaintManager() { return m_paintManager; }
    ControlPanel* GetControlPanel() const { return m_controlPanel.get(); }
    // The owner of the cameras' life; null before the window is created.
    CameraHost* GetCameras() const { return m_cameras.get(); }
    CaptureViewUI* GetPreview() const { return m_preview; }

private:
    LRESULT OnCreate();
    // The skin's control tree in the window's language, and the controls
    // the window keeps (steps 4 to 7 of the creation).
    void BuildControlTree();
    // The panel, and the preview handed to the engine (steps 8 to 10).
    void WireParts();
    // Close as the close button does; the maximise button follows the
    // window's state.
    LRESULT OnSysCommand(WPARAM command, LPARAM lParam);
    // Copies the skin archive out of the resource, for the life of the
    // process, and hands it to the framework; false when there is none.
    bool LoadSkinArchive();
    LRESULT HitTest(LPARAM lParam);
    void UpdateWindowRegion();
    // Makes the window no larger than the work area of its monitor.
    void FitIntoWorkArea();
    // Maximised, the window fills the work area; its minimum fits inside it.
    void LimitToWorkArea(MINMAXINFO& info);
    void SwapMaximizeButtons(bool maximized);
    LRESULT DefaultPath(UINT message, WPARAM wParam, LPARAM lParam);
    // Minimised or locked: the camera thread leaves a held camera alone.
    void FollowVisibility();
    // WM_SIZE: the window's region, and whether it is minimised.
    void OnSize(WPARAM kind);
    // WM_WTSSESSION_CHANGE: the session locked or unlocked.
    void OnSessionChange(WPARAM event);
    // WM_GETMINMAXINFO: the skin's limits, kept inside the work area.
    LRESULT OnGetMinMaxInfo(WPARAM wParam, LPARAM lParam);

    HDEVNOTIFY m_deviceNotify = nullptr;
    // Finishes the recordings an earlier run left fragmented.
    RecordingRepair m_repair;
    Ui::CPaintManager m_paintManager;
    Ui::CControlUI* m_minimizeButton = nullptr;
    Ui::CControlUI* m_maximizeButton = nullptr;
    Ui::CControlUI* m_closeButton = nullptr;
    Ui::CControlUI* m_tabLayout = nullptr;
    CaptureViewUI* m_preview = nullptr;
    std::unique_ptr<CameraHost> m_cameras;
    std::unique_ptr<ControlPanel> m_controlPanel;
    bool m_minimized = false;
    bool m_locked = false;
    bool m_shuttingDown = false;
    std::vector<unsigned char> m_skinArchive;
};
