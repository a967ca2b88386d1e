#include "app/Notices.h"

#include <windows.h>

#include <cstring>

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
    : m_manager(manager), m_label(manager.FindControl(ControlNames::kNoticeLabel)),
      m_version(manager.FindControl(ControlNames::kVersionLabel)) {}

void Notices::SetLine(const std::string& text) {
    if (m_label != nullptr) {
        m_label->SetText(text.c_str());
    }
    if (m_version != nullptr && m_version->IsVisible() != text.empty()) {
        m_version->SetVisible(text.empty());
    }
}

std::string Notices::Text(const char* key) const {
    const std::string name = std::string(ControlNames::kNoticeTextPrefix) + key;
    Ui::CControlUI* text = m_manager.FindControl(name.c_str());
    return text != nullptr ? std::string(text->GetText().GetData()) : std::string();
}

void Notices::Show(const char* key) {
    Show(key, nullptr, std::string());
}

void Notices::Show(const char* key, const char* token, const std::string& value) {
    m_shown = key;
    m_clearAt = 0;
    std::string text = Text(key);
    if (token != nullptr) {
        const std::size_t at = text.find(token);
        if (at != std::string::npos) {
            text.replace(at, std::strlen(token), value);
        }
    }
    SetLine(text);
}

void Notices::ShowFor(unsigned ms, const char* key, const char* token, const std::string& value) {
    Show(key, token, value);
    // 0 means "stays": a deadline that lands on it moves by a tick.
    m_clearAt = static_cast<uint32_t>(::GetTickCount()) + ms;
    m_clearAt = m_clearAt != 0 ? m_clearAt : 1;
}

void Notices::Tick() {
    if (m_clearAt != 0 &&
        static_cast<int32_t>(static_cast<uint32_t>(::GetTickCount()) - m_clearAt) >= 0) {
        Clear();
    }
}

void Notices::Clear() {
    m_shown.clear();
    m_clearAt = 0;
    SetLine(std::string());
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
