#include "app/Notices.h"

#include "app/ControlNames.h"
#include "preview/LivePreview.h"
#include "preview/PreviewMessage.h"
#include "ui/ControlUI.h"
#include "ui/PaintManager.h"

namespace {

// The face of the skin's default font: the preview's words look like the
// window's own.
std::string SkinFace(Ui::CPaintManager& manager) {
    const Ui::TFontInfo* font = manager.GetResources().GetDefaultFontInfo();
    return font != nullptr ? std::string(font->faceName.GetData()) : std::string();
}

} // namespace

Notices::Notices(Ui::CPaintManager& manager)
    : m_manager(manager), m_label(manager.FindControl(ControlNames::kNoticeLabel)) {}

std::string Notices::Text(const char* key) const {
    const std::string name = std::string(ControlNames::kNoticeTextPrefix) + key;
    Ui::CControlUI* text = m_manager.FindControl(name.c_str());
    return text != nullptr ? std::string(text->GetText().GetData()) : std::string();
}

void Notices::Show(const char* key) {
    m_shown = key;
    if (m_label != nullptr) {
        m_label->SetText(Text(key).c_str());
    }
}

void Notices::Clear() {
    m_shown.clear();
    if (m_label != nullptr) {
        m_label->SetText("");
    }
}

void Notices::ShowOnPreview(const char* key) {
    if (m_shownOnPreview == key) {
        return;
    }
    m_shownOnPreview = key;
    if (LivePreview* preview = LivePreview::Current()) {
        SetPreviewMessage(preview->Window(), Text(key), SkinFace(m_manager));
    }
}

void Notices::ClearPreview() {
    if (m_shownOnPreview.empty()) {
        return;
    }
    m_shownOnPreview.clear();
    if (LivePreview* preview = LivePreview::Current()) {
        SetPreviewMessage(preview->Window(), std::string(), std::string());
    }
}
