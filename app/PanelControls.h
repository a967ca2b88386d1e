// Operations on the panel's controls that a skin may lack: a control the
// skin does not have is null, and every operation on it does nothing.
#pragma once

#include <string>

namespace Ui {
class CComboUI;
class CControlUI;
class COptionUI;
class CPaintManager;
class CSliderUI;
} // namespace Ui

namespace PanelControls {

// The named control as that kind, or null when the skin has no such control.
Ui::CComboUI* FindList(Ui::CPaintManager& manager, const char* name);
Ui::COptionUI* FindOption(Ui::CPaintManager& manager, const char* name);
Ui::CSliderUI* FindSlider(Ui::CPaintManager& manager, const char* name);

// "%d" of the value.
std::string IntText(long value);
void SetText(Ui::CControlUI* control, const char* text);
void Enable(Ui::CControlUI* control, bool enabled);
void Select(Ui::COptionUI* option, bool selected, bool notify = true);
void SetSliderValue(Ui::CSliderUI* slider, int value);

// Lists: a new entry with the text, which the list owns; all entries gone
// (without notification); the selected position, -1 for none or no list;
// entry index selected with notification, without taking focus.
void AddEntry(Ui::CComboUI* list, const std::string& text);
void Clear(Ui::CComboUI* list);
int Selection(Ui::CComboUI* list);
void SelectEntry(Ui::CComboUI* list, int index);

} // namespace PanelControls
