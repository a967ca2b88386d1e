// The vertical scroll bar of a container whose children overflow: where its
// parts lie, how positions are rounded, and how presses, held buttons, thumb
// drags and the wheel scroll the children.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/MessagePump.h"
#include "tests/win32/TestWindow.h"
#include "ui/ContainerUI.h"
#include "ui/PaintManager.h"
#include "ui/ScrollBarUI.h"
#include "ui/SkinBuilder.h"
#include "ui/WindowBase.h"

namespace {

using Ui::CContainerUI;
using Ui::CScrollBarUI;

using TestSupport::Pump;

using HostWindow = TestSupport::TestWindow;

// A 150-pixel high list of thirty 15-pixel rows: 300 pixels to scroll.
std::string ListMarkup(const char* defaults = "") {
    std::string markup = "<Window size=\"300,200\">";
    markup += defaults;
    markup += "<VerticalLayout><VerticalLayout name=\"list\" vscrollbar=\"true\" height=\"150\" "
              "width=\"200\">";
    for (int i = 0; i < 30; ++i) {
        markup += "<Control height=\"15\" name=\"row" + std::to_string(i) + "\"/>";
    }
    markup += "</VerticalLayout><Control/></VerticalLayout></Window>";
    return markup;
}

class ScrollBarTest : public ::testing::Test {
protected:
    void Open(const std::string& markup) {
        m_window = std::make_unique<HostWindow>();
        ASSERT_NE(m_window->Build(markup.c_str(), 300, 200), nullptr);
        m_window->ShowWindow(true, true);
        ::UpdateWindow(m_window->GetHWND());
        Pump();
        m_list = static_cast<CContainerUI*>(Manager().FindControl("list"));
        ASSERT_NE(m_list, nullptr);
        m_bar = m_list->GetVerticalScrollBar();
        ASSERT_NE(m_bar, nullptr);
    }
    void TearDown() override {
        if (m_window && ::IsWindow(m_window->GetHWND())) {
            ::DestroyWindow(m_window->GetHWND());
        }
        Pump();
        m_window.reset();
    }
    Ui::CPaintManager& Manager() { return m_window->manager; }
    HWND Hwnd() const { return m_window->GetHWND(); }
    int RowTop(int index) {
        std::string name = "row" + std::to_string(index);
        return Manager().FindControl(name.c_str())->GetPos().top;
    }
    void Press(int x, int y) {
        ::SendMessageA(Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    }
    void Release(int x, int y) { ::SendMessageA(Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }

    std::unique_ptr<HostWindow> m_window;
    CContainerUI* m_list = nullptr;
    CScrollBarUI* m_bar = nullptr;
};

} // namespace

TEST(ScrollBarUnitTest, PositionIsRoundedAndLimited) {
    CScrollBarUI bar;
    EXPECT_EQ(bar.GetScrollRange(), 100);
    EXPECT_EQ(bar.GetFixedWidth(), 16);
    EXPECT_EQ(bar.GetLineSize(), 8);
    bar.SetScrollUnit(5);
    bar.SetScrollPos(6);
    EXPECT_EQ(bar.GetScrollPos(), 5);
    bar.SetScrollPos(7);
    EXPECT_EQ(bar.GetScrollPos(), 10);
    bar.SetScrollPos(-4);
    EXPECT_EQ(bar.GetScrollPos(), 0);
    bar.SetScrollPos(5000);
    EXPECT_EQ(bar.GetScrollPos(), 100);
    bar.SetScrollRange(40);
    EXPECT_EQ(bar.GetScrollPos(), 40) << "a shrinking range pulls the position in";
    bar.SetScrollRange(-3);
    EXPECT_EQ(bar.GetScrollRange(), 0);
    EXPECT_EQ(bar.GetScrollPos(), 0);
}

TEST_F(ScrollBarTest, OverflowShowsBarWithItsGeometry) {
    Open(ListMarkup());
    ASSERT_TRUE(m_bar->IsVisible());
    EXPECT_EQ(m_list->GetScrollRange().cy, 300);
    const RECT bar = m_bar->GetPos();
    EXPECT_EQ(bar.right, 200);
    EXPECT_EQ(bar.left, 184);
    EXPECT_EQ(bar.bottom - bar.top, 150);
    EXPECT_EQ(Manager().FindControl("row0")->GetPos().right, 184) << "rows leave room for the bar";

    const Ui::ScrollBarGeometry& geometry = m_bar->GetGeometry();
    EXPECT_EQ(geometry.rail.height(), 118);
    ASSERT_TRUE(geometry.hasThumb);
    EXPECT_EQ(geometry.thumb.height(), 39);
    m_list->SetScrollPos(SIZE{0, 150});
    EXPECT_EQ(m_bar->GetGeometry().thumb.top - bar.top, 55);
    EXPECT_EQ(RowTop(0), -150);
    EXPECT_EQ(RowTop(10), 0);
}

TEST_F(ScrollBarTest, NoBarWhileChildrenFit) {
    Open("<Window size=\"300,200\"><VerticalLayout><VerticalLayout name=\"list\" "
         "vscrollbar=\"true\" height=\"150\" width=\"200\"><Control height=\"40\" name=\"a\"/>"
         "</VerticalLayout><Control/></VerticalLayout></Window>");
    EXPECT_FALSE(m_bar->IsVisible());
    EXPECT_EQ(m_list->GetScrollRange().cy, 0);
    EXPECT_EQ(Manager().FindControl("a")->GetPos().right, 200);
    m_list->LineDown();
    EXPECT_EQ(Manager().FindControl("a")->GetPos().top, 0);
}

TEST_F(ScrollBarTest, ButtonsAndRailStepLinesAndPages) {
    Open(ListMarkup());
    const RECT bar = m_bar->GetPos();
    const int x = (bar.left + bar.right) / 2;
    Press(x, bar.bottom - 3);
    Release(x, bar.bottom - 3);
    EXPECT_EQ(m_list->GetScrollPos().cy, 8);
    EXPECT_EQ(RowTop(0), -8);
    Press(x, bar.top + 3);
    Release(x, bar.top + 3);
    EXPECT_EQ(m_list->GetScrollPos().cy, 0);

    const Ui::ScrollBarGeometry& geometry = m_bar->GetGeometry();
    Press(x, geometry.thumb.bottom + 5);
    Release(x, geometry.thumb.bottom + 5);
    EXPECT_EQ(m_list->GetScrollPos().cy, 150) << "a page is the list's height";
    Press(x, m_bar->GetGeometry().thumb.top - 3);
    Release(x, m_bar->GetGeometry().thumb.top - 3);
    EXPECT_EQ(m_list->GetScrollPos().cy, 0);
}

TEST_F(ScrollBarTest, HeldButtonRepeatsAfterAPause) {
    Open(ListMarkup());
    const RECT bar = m_bar->GetPos();
    const int x = (bar.left + bar.right) / 2;
    Press(x, bar.bottom - 3);
    EXPECT_EQ(m_list->GetScrollPos().cy, 8);
    Pump(180);
    EXPECT_EQ(m_list->GetScrollPos().cy, 8) << "no repeat before the sixth tick";
    Pump(700);
    const int held = m_list->GetScrollPos().cy;
    EXPECT_GT(held, 16) << "then a line every tick";
    EXPECT_EQ(held % 8, 0);
    Release(x, bar.bottom - 3);
    Pump(200);
    EXPECT_EQ(m_list->GetScrollPos().cy, held) << "releasing stops the repeat";
    EXPECT_FALSE(m_bar->IsThumbPushed());
}

TEST_F(ScrollBarTest, DraggingTheThumbScrollsProportionally) {
    Open(ListMarkup());
    const Ui::ScrollBarGeometry geometry = m_bar->GetGeometry();
    const int x = (geometry.thumb.left + geometry.thumb.right) / 2;
    const int y = geometry.thumb.top + 10;
    Press(x, y);
    EXPECT_TRUE(m_bar->IsThumbPushed());
    // The thumb can travel 118 - 39 = 79 pixels for the 300 of range.
    ::SendMessageA(Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y + 20));
    Pump(150);
    EXPECT_EQ(m_list->GetScrollPos().cy, 20 * 300 / 79);
    ::SendMessageA(Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y + 500));
    Release(x, y + 500);
    EXPECT_EQ(m_list->GetScrollPos().cy, 300) << "limited to the range";
    EXPECT_EQ(RowTop(29), 150 - 15);
    EXPECT_FALSE(m_bar->IsThumbPushed());
}

TEST_F(ScrollBarTest, WheelScrollsLinesWithTheSkinsLineSize) {
    Open(ListMarkup("<Default name=\"VScrollBar\" value=\"linesize=&quot;20&quot; "
                    "thumbcolor=&quot;#FF00FF00&quot; \"/>"));
    EXPECT_EQ(m_bar->GetLineSize(), 20) << "the VScrollBar default list applies";
    POINT point{50, 50};
    ::ClientToScreen(Hwnd(), &point);
    ::SendMessageA(Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA),
                   MAKELPARAM(point.x, point.y));
    EXPECT_EQ(m_list->GetScrollPos().cy, 20);
    ::SendMessageA(Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA),
                   MAKELPARAM(point.x, point.y));
    ::SendMessageA(Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(point.x, point.y));
    EXPECT_EQ(m_list->GetScrollPos().cy, 20);
    EXPECT_EQ(RowTop(0), -20);

    m_bar->SetEnabled(false);
    ::SendMessageA(Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA),
                   MAKELPARAM(point.x, point.y));
    EXPECT_EQ(m_list->GetScrollPos().cy, 20) << "a disabled bar does not scroll";
}

TEST_F(ScrollBarTest, ThumbIsPaintedWhereItLies) {
    Open(ListMarkup("<Default name=\"VScrollBar\" value=\"thumbcolor=&quot;#FF00FF00&quot; "
                    "button1color=&quot;#FFFF0000&quot; \"/>"));
    m_list->SetScrollPos(SIZE{0, 150});
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    ::SendMessageA(Hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    const RECT bar = m_bar->GetPos();
    const int x = (bar.left + bar.right) / 2;
    EXPECT_EQ(::GetPixel(dc, x, bar.top + 5), RGB(255, 0, 0)) << "button 1";
    EXPECT_EQ(::GetPixel(dc, x, bar.top + 55 + 2), RGB(0, 255, 0)) << "thumb top";
    EXPECT_EQ(::GetPixel(dc, x, bar.top + 55 + 37), RGB(0, 255, 0)) << "thumb bottom";
    EXPECT_NE(::GetPixel(dc, x, bar.top + 50), RGB(0, 255, 0)) << "rail above the thumb";
    EXPECT_NE(::GetPixel(dc, x, bar.top + 100), RGB(0, 255, 0)) << "rail below the thumb";
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
}
