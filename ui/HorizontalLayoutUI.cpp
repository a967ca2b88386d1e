#include "ui/HorizontalLayoutUI.h"

#include <cstring>

namespace Ui {

const char* CHorizontalLayoutUI::GetClass() const {
    return "HorizontalLayout";
}

void* CHorizontalLayoutUI::GetInterface(const char* name) {
    if (std::strcmp(name, "HorizontalLayout") == 0) {
        return static_cast<CHorizontalLayoutUI*>(this);
    }
    return CContainerUI::GetInterface(name);
}

void CHorizontalLayoutUI::SetPos(RECT rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    StackChildren(LayoutDirection::Horizontal, m_childVAlign);
    if (m_cover != nullptr && m_cover->IsVisible()) {
        m_cover->SetPos(rect, false);
    }
}

} // namespace Ui
