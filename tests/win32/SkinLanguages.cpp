// One language's skin in a process whose code page and thread locale are
// that language's (the harness sets the Unix locale, which Wine follows):
// the locale picks the skin, the texts survive the conversion to the code
// page, the required controls are there and the text is drawn.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/ControlNames.h"
#include "app/FormatLists.h"
#include "app/LanguageTable.h"
#include "tests/win32/TestWindow.h"
#include "ui/ButtonUI.h"
#include "ui/ComboUI.h"
#include "ui/ControlUI.h"
#include "ui/LabelUI.h"
#include "ui/PaintManager.h"
#include "ui/SkinBuilder.h"
#include "ui/WindowBase.h"

namespace {

struct Language {
    const char* name;
    unsigned codePage;
    const char* skinFile;
    const char* applyText; // UTF-8
};

const Language kLanguages[] = {
    {"English", 1252, "Orvana/Orvana_English.xml", "Apply"},
    {"French", 1252, "Orvana/Orvana_French.xml", nullptr},
    {"German", 1252, "Orvana/Orvana_German.xml", nullptr},
    {"Spanish", 1252, "Orvana/Orvana_Spanish.xml", nullptr},
    {"Arabic", 1256, "Orvana/Orvana_Arabic.xml", "تطبيق"},
    {"Korean", 949, "Orvana/Orvana_Korean.xml", "대다"},
    {"Russian", 1251, "Orvana/Orvana_Russian.xml", "Подать заявление"},
    {"Japanese", 932, "Orvana/Orvana_Japanese.xml", "適用する"},
    {"Simplified", 936, "Orvana/Orvana_Simplified.xml", "应用"},
    {"Traditional", 950, "Orvana/Orvana_Traditional.xml", "應用"},
    {"Portuguese", 1252, "Orvana/Orvana_Portuguese.xml", nullptr},
    {"Italian", 1252, "Orvana/Orvana_Italian.xml", nullptr},
};

const Language* CurrentLanguage() {
    const char* wanted = std::getenv("ORVANA_SKIN_LANGUAGE");
    for (const Language& language : kLanguages) {
        if (wanted != nullptr && std::strcmp(wanted, language.name) == 0) {
            return &language;
        }
    }
    return nullptr;
}

std::string ToAnsi(const char* utf8) {
    wchar_t wide[256] = {};
    ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 256);
    char ansi[512] = {};
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof ansi, nullptr, nullptr);
    return ansi;
}

class SkinLanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        language = CurrentLanguage();
        ASSERT_NE(language, nullptr) << "ORVANA_SKIN_LANGUAGE names no language";
        TestSupport::UseSkinArchive();
    }

    const Language* language = nullptr;
};

} // namespace

TEST_F(SkinLanguageTest, ThreadLocaleChoosesThisSkin) {
    EXPECT_EQ(::GetACP(), language->codePage) << "the harness runs this language's code page";
    EXPECT_STREQ(ChooseSkinFile(false, "", static_cast<uint32_t>(::GetThreadLocale())),
                 language->skinFile);
}

TEST_F(SkinLanguageTest, BuildsWithEveryRequiredControlAndReadableTexts) {
    TestSupport::TestWindow window;
    Ui::CControlUI* root = window.Build(language->skinFile, 1308, 800);
    ASSERT_NE(root, nullptr);

    EXPECT_EQ(window.manager.GetInitSize().cx, 1308);
    EXPECT_EQ(window.manager.GetInitSize().cy, 800);
    EXPECT_EQ(window.manager.GetCaptionRect().bottom, 76);
    EXPECT_EQ(window.manager.GetMinInfo().cx, 800);

    for (const ControlNames::RequiredControl& control : ControlNames::kRequiredControls) {
        // The preview element is the program's own; the bare builder skips it.
        if (std::strcmp(control.name, ControlNames::kPreview) == 0) {
            continue;
        }
        EXPECT_NE(window.manager.FindControl(control.name), nullptr) << control.name;
    }
    for (const ControlNames::PropertyRowNames& row : ControlNames::kPropertyRows) {
        for (const char* name : {row.slider, row.label, row.automatic}) {
            EXPECT_NE(window.manager.FindControl(name), nullptr) << name;
        }
    }

    // Every text converted to this code page without a substitute character.
    int texts = 0;
    root->ForEach([&texts](Ui::CControlUI* control) {
        Ui::CUiString text = control->GetText();
        if (!text.IsEmpty()) {
            ++texts;
            EXPECT_EQ(text.Find('?'), -1) << control->GetName().GetData() << ": " << text.GetData();
        }
    });
    EXPECT_GT(texts, 30);

    Ui::CControlUI* apply = window.manager.FindControl("id_btn_apply");
    ASSERT_NE(apply, nullptr);
    if (language->applyText != nullptr) {
        EXPECT_EQ(std::string(apply->GetText().GetData()), ToAnsi(language->applyText));
    }
}

TEST_F(SkinLanguageTest, ButtonTextIsDrawn) {
    TestSupport::TestWindow window;
    ASSERT_NE(window.Build(language->skinFile, 1308, 800), nullptr);

    Ui::CControlUI* apply = window.manager.FindControl("id_btn_apply");
    ASSERT_NE(apply, nullptr);
    RECT button = apply->GetPos();
    ASSERT_GT(button.right - button.left, 0);

    std::vector<uint32_t> pixels = window.Render();

    // White text on the blue button: count near-white pixels inside it.
    int white = 0;
    for (int y = button.top; y < button.bottom; ++y) {
        for (int x = button.left; x < button.right; ++x) {
            uint32_t p = window.PixelAt(pixels, x, y);
            if ((p & 0xFF) > 0xE0 && ((p >> 8) & 0xFF) > 0xE0 && ((p >> 16) & 0xFF) > 0xE0) {
                ++white;
            }
        }
    }
    EXPECT_GT(white, 20) << "the button's label was drawn";
}

TEST_F(SkinLanguageTest, FormatListsShowTheirLongestTextsWhole) {
    TestSupport::TestWindow window;
    ASSERT_NE(window.Build(language->skinFile, 1308, 800), nullptr);
    // The longest texts of real cameras' sizes: 8K, and a shape of its own.
    const std::string texts[] = {PhotoResolutionText("MJPG", 7680, 4320),
                                 PhotoResolutionText("MJPG", 1600, 896),
                                 VideoResolutionText(1600, 896, 30)};
    for (const char* name : {"id_combo_photo_resolution", "id_combo_video_resolution",
                             "id_combo_file_format", "id_combo_refresh_rate"}) {
        Ui::CControlUI* control = window.Find(name);
        ASSERT_NE(control, nullptr) << name;
        auto* list = static_cast<Ui::CComboUI*>(control->GetInterface("Combo"));
        ASSERT_NE(list, nullptr) << name;
        for (const std::string& text : texts) {
            // What the closed list shows of the text, and of the text with
            // another last character: the same pixels mean the end was cut.
            auto shown = [&](const std::string& entryText) {
                list->RemoveAll();
                auto* entry = new Ui::CListLabelElementUI();
                entry->SetText(entryText.c_str());
                list->Add(entry);
                list->SelectItem(0, false, false);
                const std::vector<uint32_t> pixels = window.Render();
                const RECT r = list->GetPos();
                std::vector<uint32_t> area;
                for (int y = r.top; y < r.bottom; ++y) {
                    for (int x = r.left; x < r.right; ++x) {
                        area.push_back(window.PixelAt(pixels, x, y));
                    }
                }
                return area;
            };
            std::string changedEnd = text;
            changedEnd.back() = changedEnd.back() == ')' ? ']' : '#';
            EXPECT_TRUE(shown(text) != shown(changedEnd)) << name << " cuts " << text;
        }
    }
}
