#include "ui/OptionUI.h"

#include <cstring>
#include <vector>

#include "ui/AttributeTable.h"
#include "ui/AttributeValues.h"
#include "ui/PaintManager.h"
#include "ui/Render.h"

namespace Ui {

const char* COptionUI::GetClass() const {
    return "Option";
}

void* COptionUI::GetInterface(const char* name) {
    if (std::strcmp(name, "Option") == 0) {
        return static_cast<COptionUI*>(this);
    }
    return CButtonUI::GetInterface(name);
}

void COptionUI::Selected(bool selected, bool notify) {
    if (m_selected == selected) {
        return;
    }
    m_selected = selected;
    if (m_selected) {
        m_buttonState |= kStateSelected;
    } else {
        m_buttonState &= ~kStateSelected;
    }
    if (m_manager != nullptr && !m_group.IsEmpty() && m_selected &&
        m_manager->GetRoot() != nullptr) {
        std::vector<COptionUI*> partners;
        m_manager->GetRoot()->ForEach([this, &partners](CControlUI* control) {
            auto* option = static_cast<COptionUI*>(control->GetInterface("Option"));
            if (option != nullptr && option != this && option->GetGroup() == m_group) {
                partners.push_back(option);
            }
        });
        for (COptionUI* partner : partners) {
            partner->Selected(false, notify);
        }
    }
    if (notify && m_manager != nullptr) {
        m_manager->SendNotify(this, "selectchanged");
    }
    Invalidate();
}

bool COptionUI::Activate() {
    // "click" first, so its handler still sees the state from before.
    if (!CButtonUI::Activate()) {
        return false;
    }
    Selected(m_group.IsEmpty() ? !m_selected : true);
    return true;
}

void COptionUI::SetAttribute(const char* name, const char* value) {
    using Self = COptionUI;
    static const AttributeSetter<Self> kAttributes[] = {
        {"group", [](Self& c, const char* v) { c.SetGroup(v); }},
        {"selected", [](Self& c, const char* v) { c.Selected(ParseBool(v)); }},
        {"selectedimage",
         [](Self& c, const char* v) {
             c.m_selectedImage = v;
             c.Invalidate();
         }},
        {"selectedhotimage",
         [](Self& c, const char* v) {
             c.m_selectedHotImage = v;
             c.Invalidate();
         }},
        {"selectedbkcolor",
         [](Self& c, const char* v) {
             c.m_selectedBkColor = ParseColor(v);
             c.Invalidate();
         }},
        {"selectedtextcolor",
         [](Self& c, const char* v) {
             c.m_selectedTextColor = ParseColor(v);
             c.Invalidate();
         }},
    };
    if (!ApplyAttribute(kAttributes, *this, name, value)) {
        CButtonUI::SetAttribute(name, value);
    }
}

DWORD COptionUI::GetPaintTextColor() const {
    if (m_selected && IsEnabled() && m_selectedTextColor != 0) {
        return m_selectedTextColor;
    }
    return CButtonUI::GetPaintTextColor();
}

void COptionUI::PaintStatusImage(HDC hdc) {
    bool drawn = false;
    if (m_selected) {
        if ((m_buttonState & kStateHot) != 0) {
            drawn = DrawImage(hdc, m_selectedHotImage);
        }
        if (!drawn) {
            drawn = DrawImage(hdc, m_selectedImage);
        }
        if (!drawn && m_selectedBkColor != 0) {
            CRender::FillColor(hdc, m_rect, m_selectedBkColor);
            drawn = true;
        }
    }
    if (!drawn) {
        PaintButtonState(hdc, false);
    }
    DrawImage(hdc, m_foreImage);
}

} // namespace Ui
