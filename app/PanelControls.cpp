#include "app/PanelControls.h"

#include <cstdio>

#include "ui/ComboUI.h"
#include "ui/ControlUI.h"
#include "ui/ListLabelElementUI.h"
#include "ui/OptionUI.h"
#include "ui/PaintManager.h"
#include "ui/SliderUI.h"

namespace PanelControls {

namespace {

template <class T> T* Find(Ui::CPaintManager& manager, const char* name, const char* kind) {
    Ui::CControlUI* control = manager.FindControl(name);
    return control != nullptr ? static_cast<T*>(control->GetInterface(kind)) : nullptr;
}

} // namespace

Ui::CComboUI* FindList(Ui::CPaintManager& manager, const char* name) {
    return Find<Ui::CComboUI>(manager, name, "Combo");
}

Ui::COptionUI* FindOption(Ui::CPaintManager& manager, const char* name) {
    return Find<Ui::COptionUI>(manager, name, "Option");
}

Ui::CSliderUI* FindSlider(Ui::CPaintManager& manager, const char* name) {
    return Find<Ui::CSliderUI>(manager, name, "Slider");
}

std::string IntText(long value) {
    char text[16] = {};
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return text;
}

void SetText(Ui::CControlUI* control, const char* text) {
    if (control != nullptr) {
        control->SetText(text);
    }
}

void Enable(Ui::CControlUI* control, bool enabled) {
    if (control != nullptr) {
        control->SetEnabled(enabled);
    }
}

void Select(Ui::COptionUI* option, bool selected, bool notify) {
    if (option != nullptr) {
        option->Selected(selected, notify);
    }
}

void SetSliderValue(Ui::CSliderUI* slider, int value) {
    if (slider != nullptr) {
        slider->SetValue(value);
    }
}

void AddEntry(Ui::CComboUI* list, const std::string& text) {
    if (list == nullptr) {
        return;
    }
    auto* entry = new Ui::CListLabelElementUI();
    entry->SetText(text.c_str());
    // The list owns the entry from here on.
    list->Add(entry);
}

void Clear(Ui::CComboUI* list) {
    if (list != nullptr) {
        list->RemoveAll();
    }
}

int Selection(Ui::CComboUI* list) {
    return list != nullptr ? list->GetCurSel() : -1;
}

void SelectEntry(Ui::CComboUI* list, int index) {
    if (list != nullptr) {
        list->SelectItem(index, false, true);
    }
}

} // namespace PanelControls
