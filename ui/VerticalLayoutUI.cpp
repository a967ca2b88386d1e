#include "ui/VerticalLayoutUI.h"

#include <cstring>

namespace Ui {

const char* CVerticalLayoutUI::GetClass() const {
    return "VerticalLayout";
}

void* CVerticalLayoutUI::GetInterface(const char* name) {
    if (std::strcmp(name, "VerticalLayout") == 0) {
        return static_cast<CVerticalLayoutUI*>(this);
    }
    return CContainerUI::GetInterface(name);
}

void CVerticalLayoutUI::SetPos(RECT rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    StackChildren(LayoutDirection::Vertical, m_childAlign);
    if (m_cover != nullptr && m_cover->IsVisible()) {
        m_cover->SetPos(rect, false);
    }
}

} // namespace Ui
