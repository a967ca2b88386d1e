// Buttons, options, sliders, labels and layouts driven by real window
// messages, with their notifications and their pixels.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/win32/TestWindow.h"
#include "ui/ButtonUI.h"
#include "ui/LabelUI.h"
#include "ui/OptionUI.h"
#include "ui/PaintManager.h"
#include "ui/SliderUI.h"

using TestSupport::CenterOf;
using TestSupport::NotifyRecorder;
using TestSupport::TestWindow;

namespace {

using Events = std::vector<std::pair<std::string, std::string>>;

const char kButtons[] = R"(<Window size="400,300">
  <VerticalLayout bkcolor="#FF000000">
    <HorizontalLayout height="50">
      <Button name="a" width="100" bkcolor="#FF0000FF" hotbkcolor="#FF00FF00" text="A"/>
      <Button name="b" width="100" text="B"/>
      <Button name="off" width="100" enabled="false" text="off"/>
    </HorizontalLayout>
    <HorizontalLayout height="40">
      <Option name="one" width="60" group="g" selected="true" selectedbkcolor="#FFFF0000"/>
      <Option name="two" width="60" group="g" selectedbkcolor="#FFFF0000"/>
      <Option name="solo" width="60"/>
    </HorizontalLayout>
    <Slider name="s" height="20" width="210" min="0" max="100" value="10" thumbsize="10,20" step="7"/>
    <Slider name="dead" height="20" width="210" enabled="false"/>
    <Label name="l" text="Label text" font="-1"/>
    <Control/>
  </VerticalLayout>
</Window>)";

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(window.Build(kButtons), nullptr);
        window.manager.AddNotifier(&recorder);
    }

    TestWindow window;
    NotifyRecorder recorder;
};

} // namespace

TEST_F(ControlsTest, ClickNeedsPressAndReleaseOverAnEnabledButton) {
    POINT a = CenterOf(window.Find("a"));
    window.Click(a.x, a.y);
    EXPECT_EQ(recorder.events, (Events{{"click", "a"}}));

    // Pressed, moved off and released: no click.
    recorder.events.clear();
    window.LeftDown(a.x, a.y);
    window.MouseMove(a.x + 150, a.y);
    window.LeftUp(a.x + 150, a.y);
    EXPECT_EQ(recorder.Count("click"), 0);

    POINT off = CenterOf(window.Find("off"));
    window.Click(off.x, off.y);
    EXPECT_EQ(recorder.Count("click"), 0) << "a disabled button stays silent";
}

TEST_F(ControlsTest, PushedLookFollowsTheMouseWhileHeld) {
    auto* a = static_cast<Ui::CButtonUI*>(window.Find("a"));
    POINT center = CenterOf(a);
    window.LeftDown(center.x, center.y);
    EXPECT_NE(a->GetButtonState() & Ui::kStatePushed, 0u);
    window.MouseMove(center.x + 150, center.y);
    EXPECT_EQ(a->GetButtonState() & Ui::kStatePushed, 0u);
    window.MouseMove(center.x, center.y);
    EXPECT_NE(a->GetButtonState() & Ui::kStatePushed, 0u);
    window.LeftUp(center.x, center.y);
    EXPECT_EQ(a->GetButtonState() & (Ui::kStatePushed | Ui::kStateCaptured), 0u);
}

TEST_F(ControlsTest, KeyboardActivatesTheFocusedButton) {
    recorder.ignoreFocus = false;
    window.Find("b")->SetFocus();
    window.Key(VK_RETURN);
    window.Key(VK_SPACE);
    EXPECT_EQ(recorder.events, (Events{{"setfocus", "b"}, {"click", "b"}, {"click", "b"}}));
}

TEST_F(ControlsTest, TabMovesFocusThroughEnabledControls) {
    window.Find("a")->SetFocus();
    window.Key(VK_TAB);
    EXPECT_EQ(window.manager.GetFocus(), window.Find("b"));
    window.Key(VK_TAB);
    EXPECT_NE(window.manager.GetFocus(), window.Find("off")) << "disabled controls are skipped";
}

TEST_F(ControlsTest, HotButtonRepaintsWithItsHotColour) {
    POINT a = CenterOf(window.Find("a"));
    std::vector<uint32_t> normal = window.Render();
    EXPECT_EQ(window.PixelAt(normal, a.x, 5), 0x0000FFu);
    window.MouseMove(a.x, a.y);
    std::vector<uint32_t> hot = window.Render();
    EXPECT_EQ(window.PixelAt(hot, a.x, 5), 0x00FF00u);
    window.MouseMove(350, 250);
    std::vector<uint32_t> left = window.Render();
    EXPECT_EQ(window.PixelAt(left, a.x, 5), 0x0000FFu) << "leaving clears the hot state";
}

TEST_F(ControlsTest, OptionGroupIsExclusiveAndClickComesFirst) {
    auto* one = static_cast<Ui::COptionUI*>(window.Find("one"));
    auto* two = static_cast<Ui::COptionUI*>(window.Find("two"));
    EXPECT_TRUE(one->IsSelected());
    POINT center = CenterOf(two);
    window.Click(center.x, center.y);
    EXPECT_EQ(recorder.events,
              (Events{{"click", "two"}, {"selectchanged", "one"}, {"selectchanged", "two"}}));
    EXPECT_FALSE(one->IsSelected());
    EXPECT_TRUE(two->IsSelected());

    // Clicking the selected one of a group changes nothing.
    recorder.events.clear();
    window.Click(center.x, center.y);
    EXPECT_EQ(recorder.events, (Events{{"click", "two"}}));

    std::vector<uint32_t> pixels = window.Render();
    EXPECT_EQ(window.PixelAt(pixels, center.x, center.y), 0xFF0000u) << "selected colour";
    POINT first = CenterOf(one);
    EXPECT_EQ(window.PixelAt(pixels, first.x, first.y), 0x000000u);
}

TEST_F(ControlsTest, OptionWithoutGroupToggles) {
    auto* solo = static_cast<Ui::COptionUI*>(window.Find("solo"));
    POINT center = CenterOf(solo);
    window.Click(center.x, center.y);
    EXPECT_TRUE(solo->IsSelected());
    window.Click(center.x, center.y);
    EXPECT_FALSE(solo->IsSelected());
    EXPECT_EQ(recorder.Count("selectchanged"), 2);
}

TEST_F(ControlsTest, SliderFollowsThePressAndNotifiesOnRelease) {
    auto* slider = static_cast<Ui::CSliderUI*>(window.Find("s"));
    RECT r = slider->GetPos();
    ASSERT_EQ(r.right - r.left, 210);
    int y = (r.top + r.bottom) / 2;
    // x = left + 5 + 100 lies halfway between the thumb's end positions.
    window.LeftDown(r.left + 105, y);
    EXPECT_EQ(recorder.Count("valuechanged"), 0) << "no notification while held (imm is off)";
    window.MouseMove(r.left + 205, y);
    window.LeftUp(r.left + 205, y);
    EXPECT_EQ(slider->GetValue(), 100);
    EXPECT_EQ(recorder.events, (Events{{"valuechanged", "s"}}));

    window.Wheel(r.left + 50, y, false);
    EXPECT_EQ(slider->GetValue(), 93) << "towards the user subtracts the step";
    window.Wheel(r.left + 50, y, true);
    window.Wheel(r.left + 50, y, true);
    EXPECT_EQ(slider->GetValue(), 100) << "limited to the range";
    EXPECT_EQ(recorder.Count("valuechanged"), 4);

    slider->SetValue(-5);
    EXPECT_EQ(slider->GetValue(), 0);
    EXPECT_EQ(recorder.Count("valuechanged"), 4) << "SetValue notifies nothing";
}

TEST_F(ControlsTest, DisabledSliderIgnoresPressesAndWheel) {
    auto* dead = static_cast<Ui::CSliderUI*>(window.Find("dead"));
    POINT center = CenterOf(dead);
    window.Click(center.x + 80, center.y);
    window.Wheel(center.x, center.y, true);
    EXPECT_EQ(dead->GetValue(), 0);
    EXPECT_EQ(recorder.Count("valuechanged"), 0);
}

TEST_F(ControlsTest, SliderThumbSitsAtTheEndsOfItsTrack) {
    auto* slider = static_cast<Ui::CSliderUI*>(window.Find("s"));
    RECT r = slider->GetPos();
    slider->SetValue(0);
    EXPECT_EQ(slider->GetThumbRect().left, r.left);
    slider->SetValue(100);
    EXPECT_EQ(slider->GetThumbRect().right, r.right);
}

TEST_F(ControlsTest, LabelWithoutHeightIsItsFontPlusEight) {
    auto* label = static_cast<Ui::CLabelUI*>(window.Find("l"));
    const Ui::TFontInfo* font = window.manager.GetResources().GetFontInfo(-1);
    ASSERT_NE(font, nullptr);
    RECT r = label->GetPos();
    EXPECT_EQ(r.bottom - r.top, font->metrics.tmHeight + 8);
}

TEST_F(ControlsTest, HitTestingSkipsHiddenControlsAndPrefersChildren) {
    Ui::CControlUI* a = window.Find("a");
    POINT center = CenterOf(a);
    EXPECT_EQ(window.manager.FindControl(center), a);
    a->SetVisible(false);
    window.Layout();
    EXPECT_NE(window.manager.FindControl(center), a);
}

TEST(LayoutTest, StretchingChildrenShareTheFreeHeight) {
    TestWindow window;
    ASSERT_NE(window.Build(R"(<Window><VerticalLayout childpadding="10">
        <Control name="fixed" height="30"/><Control name="x"/><Control name="y"/>
        <HorizontalLayout name="row" height="20" childvalign="bottom">
          <Control name="spring"/><Control name="box" width="50" height="8"/>
        </HorizontalLayout>
      </VerticalLayout></Window>)",
                           200, 130),
              nullptr);
    // 130 - 30 - 20 - 3 gaps of 10 = 50, shared by two.
    EXPECT_EQ(window.Find("x")->GetPos().top, 40);
    EXPECT_EQ(window.Find("x")->GetPos().bottom, 65);
    EXPECT_EQ(window.Find("y")->GetPos().bottom, 100);
    RECT box = window.Find("box")->GetPos();
    EXPECT_EQ(box.left, 150) << "the empty child is a spring";
    EXPECT_EQ(box.bottom, 130);
    EXPECT_EQ(box.top, 122);
}

TEST(RenderTest, SkinImagesComeFromTheArchiveInAnyPathSpelling) {
    TestSupport::UseSkinArchive();
    TestWindow window;
    ASSERT_NE(window.Build(R"(<Window><HorizontalLayout bkcolor="#FF000000">
        <Control name="a" width="110" bkimage="Orvana\logo.png"/>
        <Control name="b" width="110" bkimage="file='orvana/LOGO.png'"/>
        <Control name="c" width="110" bkimage="fle='Orvana/logo.png'"/>
      </HorizontalLayout></Window>)",
                           330, 64),
              nullptr);
    std::vector<uint32_t> pixels = window.Render();
    int differing = 0;
    int drawnA = 0;
    int drawnC = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 110; ++x) {
            uint32_t a = window.PixelAt(pixels, x, y);
            differing += a != window.PixelAt(pixels, x + 110, y);
            drawnA += a != 0;
            drawnC += window.PixelAt(pixels, x + 220, y) != 0;
        }
    }
    EXPECT_GT(drawnA, 200) << "the logo was drawn";
    EXPECT_EQ(differing, 0) << "both spellings find the same entry";
    EXPECT_EQ(drawnC, 0) << "a misspelt key is a file name that does not exist";
}
