#include "app/PropertyPanel.h"

#include "app/CameraHost.h"
#include "app/ControlNames.h"
#include "app/PanelControls.h"
#include "ui/OptionUI.h"
#include "ui/PaintManager.h"
#include "ui/SliderMath.h"
#include "ui/SliderUI.h"

using namespace PanelControls;
using ImageProperties::kAutomatic;
using ImageProperties::kRows;

namespace {

// Both modes: the automatic option has something to switch.
constexpr long kBothModes = ImageProperties::kAutomatic | ImageProperties::kManual;

} // namespace

PropertyPanel::PropertyPanel(Ui::CPaintManager& manager, CameraHost& cameras) : m_cameras(cameras) {
    for (int row = 0; row < kRowCount; ++row) {
        const ControlNames::PropertyRowNames& names = ControlNames::kPropertyRows[row];
        m_sliders[row] = FindSlider(manager, names.slider);
        m_labels[row] = manager.FindControl(names.label);
        m_autoOptions[row] = FindOption(manager, names.automatic);
    }
    m_mirrorNormal = FindOption(manager, ControlNames::kMirrorNormal);
    m_mirrorMirrored = FindOption(manager, ControlNames::kMirrorMirrored);
}

void PropertyPanel::OnClick(const Ui::CUiString& sender) {
    if (sender == ControlNames::kMirrorNormal) {
        m_cameras.SetMirror(false);
        return;
    }
    if (sender == ControlNames::kMirrorMirrored) {
        m_cameras.SetMirror(true);
        return;
    }
    if (sender == ControlNames::kDefaultButton) {
        m_cameras.RestoreDefaults();
        return;
    }
    for (int row = 0; row < kRowCount; ++row) {
        if (kRows[row].autoActs() && sender == ControlNames::kPropertyRows[row].automatic) {
            // The option still shows the state from before this click.
            const bool leavingAutomatic =
                m_autoOptions[row] != nullptr && m_autoOptions[row]->IsSelected();
            m_cameras.SetAutomatic(row, !leavingAutomatic);
            return;
        }
    }
}

void PropertyPanel::OnValueChanged(const Ui::CUiString& sender) {
    for (int row = 0; row < kRowCount; ++row) {
        if (sender == ControlNames::kPropertyRows[row].slider) {
            SetPropertyFromSlider(row);
            return;
        }
    }
}

void PropertyPanel::SetPropertyFromSlider(int row) {
    Ui::CSliderUI* slider = m_sliders[row];
    if (slider == nullptr) {
        return;
    }
    // The camera refuses values between its steps (the slider's step since
    // the camera was loaded): the nearest one on its grid is written. What
    // the camera then holds comes back as news (ShowHeld).
    const int value = Ui::SliderSnapToStep(slider->GetValue(), slider->GetStep(),
                                           slider->GetMinValue(), slider->GetMaxValue());
    m_cameras.SetProperty(row, value);
}

void PropertyPanel::ShowHeld(const CameraView& view, int row) {
    if (row < 0 || row >= kRowCount) {
        return;
    }
    const PropertyView& property = view.properties[row];
    if (!property.read) {
        return;
    }
    SetSliderValue(m_sliders[row], static_cast<int>(property.value));
    SetText(m_labels[row], IntText(property.value).c_str());
    if (kRows[row].autoActs()) {
        Enable(m_sliders[row], property.flags != kAutomatic);
    }
}

void PropertyPanel::Reset() {
    for (int row = 0; row < kRowCount; ++row) {
        SetSliderValue(m_sliders[row], 0);
        SetText(m_labels[row], "0");
    }
    for (Ui::CSliderUI* slider : m_sliders) {
        Enable(slider, false);
    }
    for (Ui::COptionUI* option : m_autoOptions) {
        Enable(option, false);
    }
    ShowMirrorState(false);
}

void PropertyPanel::ShowMirrorState(bool mirrored) {
    if (mirrored) {
        Select(m_mirrorMirrored, true);
        Select(m_mirrorNormal, false);
    } else {
        Select(m_mirrorNormal, true);
        Select(m_mirrorMirrored, false);
    }
}

void PropertyPanel::Load(const CameraView& view) {
    for (int row = 0; row < kRowCount; ++row) {
        LoadRow(view.properties[row], row);
    }
    ShowMirrorState(view.mirrored);
}

void PropertyPanel::LoadRow(const PropertyView& property, int row) {
    if (!property.ranged) {
        return;
    }
    Ui::CSliderUI* slider = m_sliders[row];
    if (property.read) {
        if (slider != nullptr) {
            slider->SetMinValue(property.minimum);
            slider->SetMaxValue(property.maximum);
            // The wheel moves in the camera's own steps, which it insists on.
            slider->SetStep(property.step > 1 ? static_cast<int>(property.step) : 1);
            slider->SetValue(property.value);
        }
        SetText(m_labels[row], IntText(property.value).c_str());
        Enable(slider, true);
    }
    if (!kRows[row].autoActs()) {
        return;
    }
    if (property.caps == kBothModes) {
        Enable(m_autoOptions[row], true);
    }
    if (property.read && property.flags == kAutomatic) {
        Select(m_autoOptions[row], true, false);
        Enable(slider, false);
    }
}
static_assert(ImageProperties::kCount == PropertyPanel::kRowCount,
              "one panel row per image property");
