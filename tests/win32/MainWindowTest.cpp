// The main window as the user meets it: frameless, sized by the skin, the
// caption band draggable except on buttons, sizing borders only when not
// maximised, the title-bar buttons, and every way of closing.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/MainWindow.h"
#include "capture/CaptureEngine.h"
#include "preview/CaptureViewUI.h"
#include "tests/support/MessagePump.h"
#include "ui/ControlUI.h"

namespace {

// One window per process, as in the program: the framework keeps reading
// the skin archive that the window owns.
MainWindow* g_window = nullptr;

using TestSupport::Pump;

// Takes a pending WM_QUIT off the queue; -1 when there is none.
int TakeQuit() {
    MSG message;
    if (::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        return static_cast<int>(message.wParam);
    }
    return -1;
}

LRESULT HitTestAt(int x, int y) {
    POINT point{x, y};
    ::ClientToScreen(g_window->GetHWND(), &point);
    return ::SendMessageA(g_window->GetHWND(), WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
}

POINT CenterOf(const char* name) {
    Ui::CControlUI* control = g_window->GetPaintManager().FindControl(name);
    EXPECT_NE(control, nullptr) << name;
    if (control == nullptr) {
        return POINT{};
    }
    RECT r = control->GetPos();
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        g_window = new MainWindow();
        ASSERT_NE(g_window->Create(nullptr, nullptr, 0x96C80000, 0), nullptr);
        g_window->CenterWindow();
        g_window->ShowWindow(true, true);
        ::UpdateWindow(g_window->GetHWND());
        Pump();
    }
    void SetUp() override {
        if (::IsZoomed(g_window->GetHWND()) || ::IsIconic(g_window->GetHWND())) {
            g_window->SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
        }
        Pump();
        TakeQuit();
    }
};

} // namespace

TEST_F(MainWindowTest, IsFramelessAndSizedBySkin) {
    HWND hwnd = g_window->GetHWND();
    LONG style = ::GetWindowLongA(hwnd, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, 0);
    EXPECT_EQ(style & (WS_CLIPSIBLINGS | WS_CLIPCHILDREN), WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    EXPECT_EQ(style & WS_POPUP, WS_POPUP);
    char className[64] = {};
    ::GetClassNameA(hwnd, className, sizeof className);
    EXPECT_STREQ(className, "UIFrame");
    EXPECT_EQ(::GetClassLongA(hwnd, GCL_STYLE), 0x80B);

    RECT window{};
    ::GetWindowRect(hwnd, &window);
    EXPECT_EQ(window.right - window.left, 1308);
    EXPECT_EQ(window.bottom - window.top, 800);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 1308) << "the whole window is client area";
    EXPECT_EQ(client.bottom, 800);
}

TEST_F(MainWindowTest, CenteredInTheWorkArea) {
    RECT window{};
    ::GetWindowRect(g_window->GetHWND(), &window);
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((window.left + window.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((window.top + window.bottom) / 2, (work.top + work.bottom) / 2, 1);
}

TEST_F(MainWindowTest, HitTestBordersCaptionAndButtons) {
    EXPECT_EQ(HitTestAt(1, 1), HTTOPLEFT);
    EXPECT_EQ(HitTestAt(1306, 1), HTTOPRIGHT);
    EXPECT_EQ(HitTestAt(600, 1), HTTOP);
    EXPECT_EQ(HitTestAt(1, 798), HTBOTTOMLEFT);
    EXPECT_EQ(HitTestAt(1306, 798), HTBOTTOMRIGHT);
    EXPECT_EQ(HitTestAt(600, 798), HTBOTTOM);
    EXPECT_EQ(HitTestAt(1, 400), HTLEFT);
    EXPECT_EQ(HitTestAt(1306, 400), HTRIGHT);
    EXPECT_EQ(HitTestAt(600, 400), HTCLIENT);
    EXPECT_EQ(HitTestAt(300, 40), HTCAPTION) << "empty title bar drags the window";

    for (const char* button : {"id_btn_min", "id_btn_max", "id_btn_close"}) {
        POINT center = CenterOf(button);
        EXPECT_EQ(HitTestAt(center.x, center.y), HTCLIENT) << button;
    }
}

TEST_F(MainWindowTest, MaximizeSwapsButtonsAndDropsTheBorder) {
    Ui::CPaintManager& manager = g_window->GetPaintManager();
    Ui::CControlUI* maximize = manager.FindControl("id_btn_max");
    Ui::CControlUI* restore = manager.FindControl("id_btn_resetore");
    ASSERT_NE(maximize, nullptr);
    ASSERT_NE(restore, nullptr);
    EXPECT_TRUE(maximize->IsVisible());
    EXPECT_FALSE(restore->IsVisible());

    g_window->SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Pump();
    ASSERT_TRUE(::IsZoomed(g_window->GetHWND()));
    EXPECT_FALSE(maximize->IsVisible());
    EXPECT_TRUE(restore->IsVisible());
    EXPECT_NE(HitTestAt(1, 1), HTTOPLEFT);
    EXPECT_NE(HitTestAt(1, 400), HTLEFT);

    g_window->SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    EXPECT_FALSE(::IsZoomed(g_window->GetHWND()));
    EXPECT_TRUE(maximize->IsVisible());
    EXPECT_FALSE(restore->IsVisible());
}

TEST_F(MainWindowTest, MinimizeSetsTheEngineFlagUntilRestored) {
    g_window->SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Pump();
    EXPECT_TRUE(CaptureEngine::Instance().IsMinimized());
    g_window->SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    EXPECT_FALSE(CaptureEngine::Instance().IsMinimized());
}

TEST_F(MainWindowTest, MinimumTrackingSizeComesFromSkin) {
    MINMAXINFO info{};
    info.ptMinTrackSize = POINT{10, 10};
    info.ptMaxTrackSize = POINT{5000, 5000};
    g_window->SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 800);
    EXPECT_EQ(info.ptMinTrackSize.y, 600);
}

TEST_F(MainWindowTest, CaptureViewElementInAnyCase) {
    for (const char* name : {"CaptureView", "captureview", "CAPTUREVIEW"}) {
        Ui::CControlUI* control = g_window->CreateControl(name);
        ASSERT_NE(control, nullptr) << name;
        EXPECT_STREQ(control->GetClass(), "CaptureViewUI");
        EXPECT_NE(control->GetInterface("captureview"), nullptr);
        delete control;
    }
    EXPECT_EQ(g_window->CreateControl("Label"), nullptr);
    EXPECT_NE(g_window->GetPreview(), nullptr) << "the skin's id_view_capture is the preview";
}

TEST_F(MainWindowTest, EveryCloseRoutePostsQuitWithExitCodeZero) {
    g_window->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(TakeQuit(), 0) << "SC_CLOSE";
    EXPECT_TRUE(::IsWindow(g_window->GetHWND())) << "the window itself stays";

    Ui::CNotifyEvent click;
    click.type = "click";
    click.sender = g_window->GetPaintManager().FindControl("id_btn_close");
    ASSERT_NE(click.sender, nullptr);
    g_window->Notify(click);
    EXPECT_EQ(TakeQuit(), 0) << "close button";

    // Running the shutdown again is harmless.
    g_window->Shutdown();
    EXPECT_EQ(TakeQuit(), 0);
}

TEST_F(MainWindowTest, TitleButtonClicksGoThroughSysCommand) {
    Ui::CNotifyEvent click;
    click.type = "click";
    click.sender = g_window->GetPaintManager().FindControl("id_btn_max");
    ASSERT_NE(click.sender, nullptr);
    g_window->Notify(click);
    Pump();
    EXPECT_TRUE(::IsZoomed(g_window->GetHWND()));

    click.sender = g_window->GetPaintManager().FindControl("id_btn_resetore");
    g_window->Notify(click);
    Pump();
    EXPECT_FALSE(::IsZoomed(g_window->GetHWND()));

    click.type = "dblclick";
    click.sender = g_window->GetPaintManager().FindControl("id_btn_close");
    g_window->Notify(click);
    EXPECT_EQ(TakeQuit(), -1) << "only a click closes";
}
