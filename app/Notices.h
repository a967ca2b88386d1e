// Notices: what the window tells the user in words, in the window's language.
// Each text lives in the skin as a hidden label "id_text_<key>" (written by
// tools/make_skins.py from its NOTICES table), so a notice is named by its
// key. Two places show them:
//   - the bottom bar's one-line notice ("id_label_notice"), beside the
//     picture, for what the user should know while the picture goes on
//     (Show, Clear);
//   - the preview's black ground, for why there is no picture and what helps
//     (ShowOnPreview, ClearPreview); the preview window draws it while no
//     picture is drawn.
// User-interface thread only.
#pragma once

#include <cstdint>
#include <string>

namespace Ui {
class CControlUI;
class CPaintManager;
} // namespace Ui

class Notices {
public:
    explicit Notices(Ui::CPaintManager& manager);

    // The text of a notice in the skin's language; empty when the skin lacks it.
    std::string Text(const char* key) const;

    // The one-line notice in the bottom bar, shown until cleared or replaced.
    void Show(const char* key);
    // The same with a part of the text filled in: token (as "{file}") is
    // replaced by value (ANSI, as the skin's texts are).
    void Show(const char* key, const char* token, const std::string& value);
    // Shown for ms only: then Tick clears it, unless another notice has
    // taken the line meanwhile.
    void ShowFor(unsigned ms, const char* key, const char* token, const std::string& value);
    // Clears a notice whose time is up; the panel's timer calls it.
    void Tick();
    void Clear();
    // The key shown in the bottom bar; empty for none.
    const std::string& Shown() const { return m_shown; }

    // Words on the preview's black ground; the preview takes them away itself
    // only through ClearPreview.
    void ShowOnPreview(const char* key);
    void ClearPreview();
    // The key shown on the preview; empty for none.
    const std::string& ShownOnPreview() const { return m_shownOnPreview; }

private:
    Ui::CPaintManager& m_manager;
    // Writes the bottom bar's notice; the version label beside it steps
    // aside while there is one.
    void SetLine(const std::string& text);

    Ui::CControlUI* m_label = nullptr;
    Ui::CControlUI* m_version = nullptr;
    std::string m_shown;
    // When the notice shown for a while goes (GetTickCount); 0: it stays.
    uint32_t m_clearAt = 0;
    std::string m_shownOnPreview;
};
