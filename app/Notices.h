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
    Ui::CControlUI* m_label = nullptr;
    std::string m_shown;
    std::string m_shownOnPreview;
};
