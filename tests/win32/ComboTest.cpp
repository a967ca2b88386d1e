// Drop-down lists as the user meets them: choosing entries by program, keys,
// wheel and mouse, the pop-up window and where it opens, and what the closed
// list and its entries paint.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/MessagePump.h"
#include "tests/win32/TestWindow.h"
#include "ui/ComboUI.h"
#include "ui/ListLabelElementUI.h"
#include "ui/PaintManager.h"
#include "ui/SkinBuilder.h"
#include "ui/WindowBase.h"

namespace {

using Ui::CComboUI;
using Ui::CListLabelElementUI;

using TestSupport::Pump;

using HostWindow = TestSupport::TestWindow;

struct Recorded {
    std::string type;
    WPARAM wParam;
    LPARAM lParam;
};

class Recorder : public Ui::INotifyListener {
public:
    std::vector<Recorded> events;
    void Notify(Ui::CNotifyEvent& event) override {
        const std::string type = event.type.GetData();
        if (type == "itemselect" || type == "dropdown") {
            events.push_back(Recorded{type, event.wParam, event.lParam});
        }
    }
    int Count(const char* type) const {
        int count = 0;
        for (const Recorded& event : events) {
            count += event.type == type ? 1 : 0;
        }
        return count;
    }
};

const char* const kFiveEntries =
    "<Window size=\"400,300\"><VerticalLayout>"
    "<Combo name=\"c\" width=\"200\" height=\"30\" itemheight=\"20\" text=\"Empty\">"
    "<ListLabelElement text=\"zero\"/><ListLabelElement text=\"one\"/>"
    "<ListLabelElement text=\"two\"/><ListLabelElement text=\"three\"/>"
    "<ListLabelElement text=\"four\"/></Combo>"
    "<Control/></VerticalLayout></Window>";

class ComboTest : public ::testing::Test {
protected:
    void Open(const char* markup, int x = 100, int y = 100) {
        m_window = std::make_unique<HostWindow>();
        ASSERT_NE(m_window->Build(markup, 400, 300, x, y), nullptr);
        Manager().AddNotifier(&m_recorder);
        m_window->ShowWindow(true, true);
        ::UpdateWindow(Hwnd());
        Pump();
        m_combo = static_cast<CComboUI*>(Manager().FindControl("c"));
        ASSERT_NE(m_combo, nullptr);
    }
    void TearDown() override {
        if (m_window && ::IsWindow(Hwnd())) {
            ::DestroyWindow(Hwnd());
        }
        Pump();
        m_window.reset();
    }
    Ui::CPaintManager& Manager() { return m_window->manager; }
    HWND Hwnd() const { return m_window->GetHWND(); }
    CListLabelElementUI* Entry(int index) {
        return static_cast<CListLabelElementUI*>(m_combo->GetItemAt(index));
    }
    POINT ComboCenter() const {
        RECT r = m_combo->GetPos();
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void PressCombo() {
        POINT p = ComboCenter();
        ::SendMessageA(Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        ::SendMessageA(Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    }
    void Wheel(HWND hwnd, POINT client, int delta) {
        ::ClientToScreen(hwnd, &client);
        ::SendMessageA(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(client.x, client.y));
    }
    void Key(HWND hwnd, UINT key) { ::SendMessageA(hwnd, WM_KEYDOWN, key, 0); }

    std::unique_ptr<HostWindow> m_window;
    Recorder m_recorder;
    CComboUI* m_combo = nullptr;
};

// Renders a window's client area as it paints and reads pixels back.
class Snapshot {
public:
    explicit Snapshot(HWND hwnd) {
        RECT client{};
        ::GetClientRect(hwnd, &client);
        m_dc = ::CreateCompatibleDC(nullptr);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = client.right;
        info.bmiHeader.biHeight = -client.bottom;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_old = ::SelectObject(m_dc, m_bitmap);
        RECT all{0, 0, client.right, client.bottom};
        ::FillRect(m_dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::SendMessageA(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(m_dc), PRF_CLIENT);
    }
    ~Snapshot() {
        ::SelectObject(m_dc, m_old);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    COLORREF At(int x, int y) const { return ::GetPixel(m_dc, x, y); }
    int Count(const RECT& area, COLORREF color) const {
        return CountIf(area, [color](COLORREF pixel) { return pixel == color; });
    }
    template <typename Predicate> int CountIf(const RECT& area, Predicate predicate) const {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                count += predicate(At(x, y)) ? 1 : 0;
            }
        }
        return count;
    }

private:
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
};

// Text is smoothed, so text pixels are told apart by their hue, not exactly.
bool Bluish(COLORREF c) {
    return GetBValue(c) > 160 && GetRValue(c) < 120 && GetGValue(c) < 120;
}
bool Reddish(COLORREF c) {
    return GetRValue(c) > 160 && GetGValue(c) < 120 && GetBValue(c) < 120;
}
bool Dark(COLORREF c) {
    return GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100;
}
bool LightGreyInk(COLORREF c) {
    return GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c) && GetRValue(c) >= 0xC0 &&
           GetRValue(c) < 0xF8;
}

} // namespace

TEST_F(ComboTest, SelectItemChangesOnlyRealSelections) {
    Open(kFiveEntries);
    EXPECT_EQ(m_combo->GetCurSel(), -1);
    EXPECT_STREQ(m_combo->GetText(), "") << "its own text is not the selection";

    EXPECT_TRUE(m_combo->SelectItem(1, false, true));
    ASSERT_EQ(m_recorder.events.size(), 1u);
    EXPECT_EQ(m_recorder.events[0].wParam, 1u);
    EXPECT_EQ(m_recorder.events[0].lParam, -1);
    EXPECT_STREQ(m_combo->GetText(), "one");
    EXPECT_TRUE(Entry(1)->IsSelected());

    m_combo->SelectItem(1, false, true);
    EXPECT_EQ(m_recorder.Count("itemselect"), 1) << "the same index raises nothing";

    EXPECT_FALSE(m_combo->SelectItem(-1, false, true));
    EXPECT_EQ(m_combo->GetCurSel(), 1);

    EXPECT_TRUE(m_combo->SelectItem(17, false, true));
    EXPECT_EQ(m_combo->GetCurSel(), 4) << "past the end selects the last entry";
    EXPECT_EQ(m_recorder.events.back().wParam, 4u);
    EXPECT_EQ(m_recorder.events.back().lParam, 1);
    EXPECT_FALSE(Entry(1)->IsSelected());
    EXPECT_TRUE(Entry(4)->IsSelected());

    m_combo->SelectItem(3, false, false);
    EXPECT_EQ(m_combo->GetCurSel(), 3);
    EXPECT_EQ(m_recorder.Count("itemselect"), 2) << "no notification when not asked";

    const int before = m_recorder.Count("itemselect");
    Entry(0)->SetEnabled(false);
    Entry(2)->SetVisible(false);
    EXPECT_FALSE(m_combo->SelectItem(0, false, true));
    EXPECT_FALSE(m_combo->SelectItem(2, false, true));
    EXPECT_EQ(m_combo->GetCurSel(), 3) << "a refused entry keeps the selection";
    EXPECT_TRUE(Entry(3)->IsSelected());
    EXPECT_EQ(m_recorder.Count("itemselect"), before);

    m_combo->RemoveAll();
    EXPECT_EQ(m_combo->GetCurSel(), -1);
    EXPECT_EQ(m_combo->GetCount(), 0);
    EXPECT_EQ(m_recorder.Count("itemselect"), before) << "emptying raises nothing";
    EXPECT_FALSE(m_combo->SelectItem(0, false, true));
}

TEST_F(ComboTest, IndicesFollowInsertionsAndRemovals) {
    Open(kFiveEntries);
    m_combo->SelectItem(2, false, false);
    auto* added = new CListLabelElementUI();
    added->SetText("new");
    ASSERT_TRUE(m_combo->AddAt(added, 0));
    EXPECT_EQ(m_combo->GetCurSel(), 3);
    EXPECT_STREQ(m_combo->GetText(), "two");
    EXPECT_EQ(added->GetIndex(), 0);
    EXPECT_EQ(Entry(5)->GetIndex(), 5);

    ASSERT_TRUE(m_combo->RemoveAt(1));
    EXPECT_EQ(m_combo->GetCurSel(), 2);
    EXPECT_STREQ(m_combo->GetText(), "two");
    ASSERT_TRUE(m_combo->RemoveAt(2));
    EXPECT_EQ(m_combo->GetCurSel(), -1) << "removing the selected entry leaves none";
    EXPECT_STREQ(m_combo->GetText(), "");
}

TEST_F(ComboTest, WheelOverClosedListMovesSelection) {
    Open(kFiveEntries);
    Entry(3)->SetEnabled(false);
    Wheel(Hwnd(), ComboCenter(), -WHEEL_DELTA);
    EXPECT_EQ(m_combo->GetCurSel(), 0) << "towards the user selects the next entry";
    Wheel(Hwnd(), ComboCenter(), -WHEEL_DELTA);
    Wheel(Hwnd(), ComboCenter(), -WHEEL_DELTA);
    EXPECT_EQ(m_combo->GetCurSel(), 2);
    Wheel(Hwnd(), ComboCenter(), -WHEEL_DELTA);
    EXPECT_EQ(m_combo->GetCurSel(), 4) << "a disabled entry is stepped over";
    Wheel(Hwnd(), ComboCenter(), -WHEEL_DELTA);
    EXPECT_EQ(m_combo->GetCurSel(), 4);
    Wheel(Hwnd(), ComboCenter(), WHEEL_DELTA);
    EXPECT_EQ(m_combo->GetCurSel(), 2) << "away from the user selects the previous one";
    EXPECT_EQ(m_recorder.Count("itemselect"), 5);
    EXPECT_EQ(m_recorder.events.back().wParam, 2u);
    EXPECT_EQ(m_recorder.events.back().lParam, 4);
    EXPECT_FALSE(m_combo->IsDroppedDown());
}

TEST_F(ComboTest, WheelKeepsSelectionWhenOnlyDisabledEntriesFollow) {
    Open(kFiveEntries);
    m_combo->SelectItem(2, false, false);
    Entry(3)->SetEnabled(false);
    Entry(4)->SetEnabled(false);
    Wheel(Hwnd(), ComboCenter(), -WHEEL_DELTA);
    EXPECT_EQ(m_combo->GetCurSel(), 2);
    EXPECT_STREQ(m_combo->GetText(), "two");
}

TEST_F(ComboTest, KeysMoveSelection) {
    Open(kFiveEntries);
    m_combo->SetFocus();
    ASSERT_EQ(Manager().GetFocus(), m_combo);
    Key(Hwnd(), VK_DOWN);
    EXPECT_EQ(m_combo->GetCurSel(), 0);
    Key(Hwnd(), VK_NEXT);
    EXPECT_EQ(m_combo->GetCurSel(), 1);
    Key(Hwnd(), VK_END);
    EXPECT_EQ(m_combo->GetCurSel(), 4);
    Key(Hwnd(), VK_UP);
    EXPECT_EQ(m_combo->GetCurSel(), 3);
    Key(Hwnd(), VK_PRIOR);
    EXPECT_EQ(m_combo->GetCurSel(), 2);
    Entry(0)->SetEnabled(false);
    Key(Hwnd(), VK_HOME);
    EXPECT_EQ(m_combo->GetCurSel(), 1) << "Home goes to the first entry that can be chosen";
    EXPECT_EQ(m_recorder.Count("itemselect"), 6);
    EXPECT_EQ(m_recorder.Count("dropdown"), 0);
}

TEST_F(ComboTest, PressOpensPopupBelowTheList) {
    Open(kFiveEntries);
    PressCombo();
    ASSERT_TRUE(m_combo->IsDroppedDown());
    EXPECT_EQ(m_recorder.Count("dropdown"), 1);
    HWND popup = m_combo->GetDropDownWindow();
    ASSERT_TRUE(::IsWindowVisible(popup));
    EXPECT_EQ(::GetWindowLongA(popup, GWL_STYLE) & WS_POPUP, static_cast<LONG>(WS_POPUP));
    EXPECT_NE(::GetWindowLongA(popup, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
    EXPECT_EQ(::GetAncestor(popup, GA_PARENT) == Hwnd() || ::GetWindow(popup, GW_OWNER) == Hwnd(),
              true);

    RECT combo = m_combo->GetPos();
    ::MapWindowPoints(Hwnd(), HWND_DESKTOP, reinterpret_cast<POINT*>(&combo), 2);
    RECT placed{};
    ::GetWindowRect(popup, &placed);
    EXPECT_EQ(placed.left, combo.left);
    EXPECT_EQ(placed.top, combo.bottom);
    EXPECT_EQ(placed.right - placed.left, 200);
    EXPECT_EQ(placed.bottom - placed.top, 5 * 20 + 4);

    // A second press while open does not open another window.
    m_combo->Activate();
    EXPECT_EQ(m_recorder.Count("dropdown"), 1);
}

TEST_F(ComboTest, DisabledListDoesNotOpenButF4Does) {
    Open(kFiveEntries);
    m_combo->SetEnabled(false);
    PressCombo();
    EXPECT_FALSE(m_combo->IsDroppedDown());
    EXPECT_EQ(m_recorder.Count("dropdown"), 0);

    m_combo->SetEnabled(true);
    m_combo->SetFocus();
    Key(Hwnd(), VK_F4);
    EXPECT_TRUE(m_combo->IsDroppedDown());
    EXPECT_EQ(m_recorder.Count("dropdown"), 1);
}

TEST_F(ComboTest, PopupOpensAboveWhenItWouldLeaveTheWorkArea) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    // The list (top of the window) ends 50 pixels above the work area's bottom.
    Open(kFiveEntries, 100, monitor.rcWork.bottom - 80);
    PressCombo();
    ASSERT_TRUE(m_combo->IsDroppedDown());
    RECT combo = m_combo->GetPos();
    ::MapWindowPoints(Hwnd(), HWND_DESKTOP, reinterpret_cast<POINT*>(&combo), 2);
    RECT placed{};
    ::GetWindowRect(m_combo->GetDropDownWindow(), &placed);
    EXPECT_EQ(placed.bottom, combo.top);
    EXPECT_EQ(placed.bottom - placed.top, 104) << "same size as below";
}

TEST_F(ComboTest, DropBoxSizeLimitsThePopup) {
    Open("<Window size=\"400,300\"><VerticalLayout>"
         "<Combo name=\"c\" width=\"200\" height=\"30\" itemheight=\"20\" dropboxsize=\"260,50\">"
         "<ListLabelElement text=\"a\"/><ListLabelElement text=\"b\"/>"
         "<ListLabelElement text=\"c\"/><ListLabelElement text=\"d\"/></Combo>"
         "<Control/></VerticalLayout></Window>");
    PressCombo();
    RECT placed{};
    ::GetWindowRect(m_combo->GetDropDownWindow(), &placed);
    EXPECT_EQ(placed.right - placed.left, 260);
    EXPECT_EQ(placed.bottom - placed.top, 50);
}

TEST_F(ComboTest, ClickingAnEntrySelectsItAndCloses) {
    Open(kFiveEntries);
    m_combo->SelectItem(1, false, false);
    PressCombo();
    HWND popup = m_combo->GetDropDownWindow();
    ASSERT_NE(popup, nullptr);
    RECT third = Entry(3)->GetPos();
    EXPECT_EQ(third.bottom - third.top, 20);
    const int x = (third.left + third.right) / 2;
    const int y = (third.top + third.bottom) / 2;
    ::SendMessageA(popup, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    EXPECT_TRUE(Entry(3)->IsHot());
    ::SendMessageA(popup, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    EXPECT_EQ(m_combo->GetCurSel(), 3);
    ASSERT_GE(m_recorder.events.size(), 2u);
    EXPECT_EQ(m_recorder.events.back().type, "itemselect");
    EXPECT_EQ(m_recorder.events.back().wParam, 3u);
    EXPECT_EQ(m_recorder.events.back().lParam, 1);
    EXPECT_FALSE(m_combo->IsDroppedDown());
    EXPECT_FALSE(::IsWindowVisible(popup));
    Pump(50);
    EXPECT_FALSE(::IsWindow(popup)) << "the pop-up is destroyed afterwards";
    EXPECT_EQ(Entry(3)->GetManager(), &Manager()) << "entries come back to the list";
    EXPECT_FALSE(Entry(3)->IsHot());

    // The list still works after the pop-up is gone.
    PressCombo();
    EXPECT_TRUE(m_combo->IsDroppedDown());
    EXPECT_EQ(m_recorder.Count("dropdown"), 2);
}

TEST_F(ComboTest, ClickingTheSelectedEntryClosesWithoutNotification) {
    Open(kFiveEntries);
    m_combo->SelectItem(0, false, false);
    PressCombo();
    HWND popup = m_combo->GetDropDownWindow();
    RECT first = Entry(0)->GetPos();
    ::SendMessageA(popup, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(first.left + 5, first.top + 5));
    EXPECT_FALSE(m_combo->IsDroppedDown());
    EXPECT_EQ(m_recorder.Count("itemselect"), 0);
}

TEST_F(ComboTest, ReturnAndEscapeCloseKeepingSelection) {
    Open(kFiveEntries);
    m_combo->SelectItem(2, false, false);
    PressCombo();
    Key(m_combo->GetDropDownWindow(), VK_RETURN);
    EXPECT_FALSE(m_combo->IsDroppedDown());
    EXPECT_EQ(m_combo->GetCurSel(), 2);

    PressCombo();
    EXPECT_EQ(m_combo->GetSelectionAtOpen(), 2);
    Key(m_combo->GetDropDownWindow(), VK_ESCAPE);
    EXPECT_FALSE(m_combo->IsDroppedDown());
    EXPECT_EQ(m_combo->GetCurSel(), 2);
    EXPECT_EQ(m_recorder.Count("itemselect"), 0);

    // Other keys inside the pop-up act on the list.
    PressCombo();
    Key(m_combo->GetDropDownWindow(), VK_DOWN);
    EXPECT_EQ(m_combo->GetCurSel(), 3);
    EXPECT_EQ(m_recorder.Count("itemselect"), 1);
    EXPECT_FALSE(m_combo->IsDroppedDown());
}

TEST_F(ComboTest, WheelInsidePopupChangesSelection) {
    Open(kFiveEntries);
    m_combo->SelectItem(1, false, false);
    PressCombo();
    HWND popup = m_combo->GetDropDownWindow();
    Wheel(popup, POINT{10, 10}, -WHEEL_DELTA);
    EXPECT_EQ(m_combo->GetCurSel(), 2);
    EXPECT_EQ(m_recorder.Count("itemselect"), 1);
}

TEST_F(ComboTest, RemovingEntriesWhileOpenClosesSafely) {
    Open(kFiveEntries);
    PressCombo();
    HWND popup = m_combo->GetDropDownWindow();
    RECT first = Entry(0)->GetPos();
    ::SendMessageA(popup, WM_MOUSEMOVE, 0, MAKELPARAM(first.left + 5, first.top + 5));
    m_combo->RemoveAll();
    EXPECT_FALSE(m_combo->IsDroppedDown());
    // The pop-up must not touch the deleted entries while it goes.
    ::SendMessageA(popup, WM_MOUSEMOVE, 0, MAKELPARAM(first.left + 5, first.top + 30));
    Pump(50);
    EXPECT_FALSE(::IsWindow(popup));
}

TEST_F(ComboTest, EntryHeightRules) {
    Open("<Window size=\"400,300\"><Font id=\"3\" name=\"Arial\" size=\"22\"/><VerticalLayout>"
         "<Combo name=\"c\" width=\"200\" height=\"30\" itemfont=\"3\" "
         "itemtextpadding=\"15,3,0,2\">"
         "<ListLabelElement text=\"a\"/><ListLabelElement text=\"b\" height=\"33\"/></Combo>"
         "<Combo name=\"d\" itemheight=\"27\" itemfont=\"3\"><ListLabelElement text=\"c\"/>"
         "</Combo><Control/></VerticalLayout></Window>");
    const int charHeight = Manager().GetResources().GetFontInfo(3)->metrics.tmHeight;
    ASSERT_GT(charHeight, 0);
    EXPECT_EQ(Entry(0)->EstimateSize(SIZE{200, 0}).cy, charHeight + 8 + 3 + 2);
    EXPECT_EQ(Entry(1)->EstimateSize(SIZE{200, 0}).cy, 33) << "own height first";
    auto* other = static_cast<CComboUI*>(Manager().FindControl("d"));
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->GetItemAt(0)->EstimateSize(SIZE{200, 0}).cy, 27);
}

TEST_F(ComboTest, ClosedListPaintsOnlyTheSelectedText) {
    Open("<Window size=\"400,300\"><VerticalLayout>"
         "<Combo name=\"c\" width=\"200\" height=\"30\" text=\"EMPTY EMPTY\" "
         "itemtextcolor=\"#FFFF0000\" itemselectedtextcolor=\"#FF0000FF\">"
         "<ListLabelElement text=\"WWWW\"/><ListLabelElement text=\"\"/></Combo>"
         "<Control/></VerticalLayout></Window>");
    const RECT area = m_combo->GetPos();
    auto inked = [&area](const Snapshot& shot) {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                count += shot.At(x, y) != RGB(255, 255, 255) ? 1 : 0;
            }
        }
        return count;
    };
    {
        Snapshot shot(Hwnd());
        EXPECT_EQ(inked(shot), 0) << "no selection, no text, even with a text attribute";
    }
    m_combo->SelectItem(0, false, false);
    {
        Snapshot shot(Hwnd());
        EXPECT_GT(shot.CountIf(area, Bluish), 10) << "selected entry's text colour";
        EXPECT_EQ(shot.CountIf(area, Reddish), 0);
    }
    m_combo->SelectItem(1, false, false);
    {
        Snapshot shot(Hwnd());
        EXPECT_EQ(inked(shot), 0);
    }
}

TEST_F(ComboTest, EntriesPaintDefaultColours) {
    Open(kFiveEntries);
    m_combo->SelectItem(0, false, false);
    Entry(4)->SetEnabled(false);
    PressCombo();
    HWND popup = m_combo->GetDropDownWindow();
    RECT hot = Entry(1)->GetPos();
    ::SendMessageA(popup, WM_MOUSEMOVE, 0, MAKELPARAM(hot.right - 3, hot.top + 3));
    ASSERT_TRUE(Entry(1)->IsHot());

    Snapshot shot(popup);
    EXPECT_EQ(shot.At(0, 0), RGB(0xC6, 0xC7, 0xD2)) << "border";
    EXPECT_EQ(shot.At(1, 1), RGB(0xC1, 0xE3, 0xFF)) << "selected entry";
    RECT first = Entry(0)->GetPos();
    EXPECT_EQ(first.top, 1);
    EXPECT_EQ(first.left, 1);
    EXPECT_EQ(first.right, 199) << "entries take the list's width";
    EXPECT_EQ(shot.At(hot.right - 3, hot.top + 3), RGB(0xE9, 0xF5, 0xFF)) << "hot entry";
    RECT plain = Entry(2)->GetPos();
    EXPECT_EQ(shot.At(plain.right - 3, plain.top + 3), RGB(255, 255, 255));
    EXPECT_GT(shot.CountIf(plain, Dark), 5) << "black text on no background";
    RECT disabled = Entry(4)->GetPos();
    EXPECT_GT(shot.CountIf(disabled, LightGreyInk), 5) << "disabled text colour";
    EXPECT_EQ(shot.CountIf(disabled, Dark), 0);

    ::SendMessageA(popup, WM_MOUSEMOVE, 0, MAKELPARAM(plain.right - 3, plain.top + 3));
    EXPECT_FALSE(Entry(1)->IsHot()) << "leaving an entry ends its hot state";
}

TEST_F(ComboTest, LongListScrollsToTheSelectedEntry) {
    std::string markup = "<Window size=\"400,300\"><VerticalLayout><Combo name=\"c\" "
                         "width=\"200\" height=\"30\" itemheight=\"20\" dropboxsize=\"0,64\">";
    for (int i = 0; i < 10; ++i) {
        markup += "<ListLabelElement text=\"entry\"/>";
    }
    markup += "</Combo><Control/></VerticalLayout></Window>";
    Open(markup.c_str());
    m_combo->SelectItem(8, false, false);
    PressCombo();
    HWND popup = m_combo->GetDropDownWindow();
    ASSERT_NE(popup, nullptr);
    RECT client{};
    ::GetClientRect(popup, &client);
    EXPECT_EQ(client.bottom, 64);
    const RECT selected = Entry(8)->GetPos();
    EXPECT_GE(selected.top, 1);
    EXPECT_LE(selected.bottom, 63) << "the selected entry is in view";
    EXPECT_EQ(selected.right, 200 - 1 - 16) << "room for the scroll bar";

    // A click on the shown entry still selects it.
    ::SendMessageA(popup, WM_LBUTTONDOWN, MK_LBUTTON,
                   MAKELPARAM(selected.left + 5, selected.top + 5));
    EXPECT_EQ(m_combo->GetCurSel(), 8);
    EXPECT_FALSE(m_combo->IsDroppedDown());
}
