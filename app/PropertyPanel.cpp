#include "app/PropertyPanel.h"

#include <windows.h>

#include <dshow.h>

#include "Core/CameraRegistry.h"
#include "Core/OrvanaCamera.h"
#include "app/CameraMemory.h"
#include "app/ControlNames.h"
#include "app/PanelControls.h"
#include "capture/CaptureEngine.h"
#include "ui/OptionUI.h"
#include "ui/PaintManager.h"
#include "ui/SliderMath.h"
#include "ui/SliderUI.h"

using namespace PanelControls;

namespace {

// A property's modes, as both camera interfaces define them.
constexpr long kAutomatic = VideoProcAmp_Flags_Auto;
constexpr long kManual = VideoProcAmp_Flags_Manual;
constexpr long kBothModes = kAutomatic | kManual;
static_assert(CameraControl_Flags_Auto == kAutomatic && CameraControl_Flags_Manual == kManual,
              "one set of mode flags serves both interfaces");

// The camera interface that carries a property.
enum class PropertySource { VideoProcAmp, CameraControl };
// Whether a row's automatic option has an action; the others stay disabled.
enum class AutoOption { Inactive, Acts };

// A property's range as the camera reports it.
struct Range {
    long minimum = 0;
    long maximum = 0;
    long step = 0;
    long defaultValue = 0;
    long caps = 0;
};

} // namespace

// One image property: its controls' names, the camera interface and the
// property there, and whether its automatic option has an action.
struct PropertyPanel::Row {
    const ControlNames::PropertyRowNames& names;
    PropertySource source;
    long property;
    AutoOption autoOption;

    bool cameraControl() const { return source == PropertySource::CameraControl; }
    bool autoActs() const { return autoOption == AutoOption::Acts; }

    HRESULT GetRange(OrvanaCamera& camera, Range& range) const {
        return cameraControl()
                   ? camera.GetCameraControlRange(property, range.minimum, range.maximum,
                                                  range.step, range.defaultValue, range.caps)
                   : camera.GetVideoProcAmpRange(property, range.minimum, range.maximum, range.step,
                                                 range.defaultValue, range.caps);
    }
    HRESULT Get(OrvanaCamera& camera, long& value, long& flags) const {
        return cameraControl() ? camera.GetCameraControl(property, value, flags)
                               : camera.GetVideoProcAmp(property, value, flags);
    }
    HRESULT Set(OrvanaCamera& camera, long value, long flags) const {
        return cameraControl() ? camera.SetCameraControl(property, value, flags)
                               : camera.SetVideoProcAmp(property, value, flags);
    }
};

// In the order the panel loads and restores them.
const PropertyPanel::Row PropertyPanel::kRows[kRowCount] = {
    {ControlNames::kBrightness, PropertySource::VideoProcAmp, VideoProcAmp_Brightness,
     AutoOption::Inactive},
    {ControlNames::kContrast, PropertySource::VideoProcAmp, VideoProcAmp_Contrast,
     AutoOption::Acts},
    {ControlNames::kSaturation, PropertySource::VideoProcAmp, VideoProcAmp_Saturation,
     AutoOption::Inactive},
    {ControlNames::kSharpness, PropertySource::VideoProcAmp, VideoProcAmp_Sharpness,
     AutoOption::Inactive},
    {ControlNames::kHue, PropertySource::VideoProcAmp, VideoProcAmp_Hue, AutoOption::Acts},
    {ControlNames::kWhiteBalance, PropertySource::VideoProcAmp, VideoProcAmp_WhiteBalance,
     AutoOption::Acts},
    {ControlNames::kZoom, PropertySource::CameraControl, CameraControl_Zoom, AutoOption::Inactive},
    {ControlNames::kFocus, PropertySource::CameraControl, CameraControl_Focus, AutoOption::Acts},
};

PropertyPanel::PropertyPanel(Ui::CPaintManager& manager, CameraRegistry& registry,
                             CaptureEngine& engine, CameraMemory& memory)
    : m_registry(registry), m_engine(engine), m_memory(memory) {
    for (int row = 0; row < kRowCount; ++row) {
        const ControlNames::PropertyRowNames& names = kRows[row].names;
        m_sliders[row] = FindSlider(manager, names.slider);
        m_labels[row] = manager.FindControl(names.label);
        m_autoOptions[row] = FindOption(manager, names.automatic);
    }
    m_mirrorNormal = FindOption(manager, ControlNames::kMirrorNormal);
    m_mirrorMirrored = FindOption(manager, ControlNames::kMirrorMirrored);
}

void PropertyPanel::OnClick(const Ui::CUiString& sender) {
    if (sender == ControlNames::kMirrorNormal) {
        SetMirror(false);
        return;
    }
    if (sender == ControlNames::kMirrorMirrored) {
        SetMirror(true);
        return;
    }
    if (sender == ControlNames::kDefaultButton) {
        RestoreDefaults();
        return;
    }
    for (int row = 0; row < kRowCount; ++row) {
        if (kRows[row].autoActs() && sender == kRows[row].names.automatic) {
            ToggleAutoMode(row);
            return;
        }
    }
}

void PropertyPanel::SetMirror(bool mirrored) {
    OrvanaCamera* camera = m_registry.CurrentCamera();
    if (m_engine.SetMirror(camera, mirrored) == 0 && camera != nullptr) {
        m_memory.RememberMirror(*camera, mirrored);
    }
}

void PropertyPanel::OnValueChanged(const Ui::CUiString& sender) {
    for (int row = 0; row < kRowCount; ++row) {
        if (sender == kRows[row].names.slider) {
            SetPropertyFromSlider(row);
            return;
        }
    }
}

void PropertyPanel::ToggleAutoMode(int row) {
    OrvanaCamera* camera = m_registry.CurrentCamera();
    if (camera == nullptr) {
        return;
    }
    const Row& property = kRows[row];
    Range range;
    long value = 0, flags = 0;
    if (property.GetRange(*camera, range) != 0 || property.Get(*camera, value, flags) != 0) {
        return;
    }
    // The option still shows the state from before this click.
    const bool leavingAutomatic = m_autoOptions[row] != nullptr && m_autoOptions[row]->IsSelected();
    const long mode = leavingAutomatic ? kManual : kAutomatic;
    if (property.Set(*camera, value, mode) == 0) {
        Enable(m_sliders[row], leavingAutomatic);
        Remember(*camera, row, value, mode);
    }
}

void PropertyPanel::SetPropertyFromSlider(int row) {
    Ui::CSliderUI* slider = m_sliders[row];
    if (slider == nullptr) {
        return;
    }
    // The camera refuses values between its steps (the slider's step since
    // the camera was loaded): the nearest one on its grid is written.
    const int value = Ui::SliderSnapToStep(slider->GetValue(), slider->GetStep(),
                                           slider->GetMinValue(), slider->GetMaxValue());
    OrvanaCamera* camera = m_registry.CurrentCamera();
    if (camera == nullptr) {
        return;
    }
    if (kRows[row].Set(*camera, value, kManual) == 0) {
        Remember(*camera, row, value, kManual);
    }
    // What the camera holds now, which may not be what was asked for: the
    // label and the thumb show that. A camera that cannot say keeps the
    // slider's value on show.
    long held = 0, flags = 0;
    if (kRows[row].Get(*camera, held, flags) != 0) {
        held = value;
    }
    SetSliderValue(slider, static_cast<int>(held));
    SetText(m_labels[row], IntText(held).c_str());
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

void PropertyPanel::Load(OrvanaCamera& camera) {
    for (int row = 0; row < kRowCount; ++row) {
        LoadRow(camera, row);
    }
    if (m_engine.FollowMirror(camera)) {
        ShowMirrorState(true);
    }
}

void PropertyPanel::LoadRow(OrvanaCamera& camera, int row) {
    const Row& property = kRows[row];
    Range range;
    if (property.GetRange(camera, range) != 0) {
        return;
    }
    long value = 0, flags = 0;
    const bool read = property.Get(camera, value, flags) == 0;
    Ui::CSliderUI* slider = m_sliders[row];
    if (read) {
        if (slider != nullptr) {
            slider->SetMinValue(range.minimum);
            slider->SetMaxValue(range.maximum);
            // The wheel moves in the camera's own steps, which it insists on.
            slider->SetStep(range.step > 1 ? static_cast<int>(range.step) : 1);
            slider->SetValue(value);
        }
        SetText(m_labels[row], IntText(value).c_str());
        Enable(slider, true);
    }
    if (!property.autoActs()) {
        return;
    }
    if (range.caps == kBothModes) {
        Enable(m_autoOptions[row], true);
    }
    if (read && flags == kAutomatic) {
        Select(m_autoOptions[row], true, false);
        Enable(slider, false);
    }
}

void PropertyPanel::RestoreDefaults() {
    OrvanaCamera* camera = m_registry.CurrentCamera();
    if (camera == nullptr) {
        return;
    }
    for (int row = 0; row < kRowCount; ++row) {
        const Row& property = kRows[row];
        Range range;
        if (property.GetRange(*camera, range) != 0) {
            continue;
        }
        property.Set(*camera, range.defaultValue, range.caps);
        if (FAILED(property.Set(*camera, range.defaultValue, kAutomatic))) {
            property.Set(*camera, range.defaultValue, kManual);
        }
        if (property.source == PropertySource::VideoProcAmp &&
            property.property == VideoProcAmp_Brightness) {
            property.Set(*camera, range.defaultValue, range.caps);
        }
        SetSliderValue(m_sliders[row], range.defaultValue);
        SetText(m_labels[row], IntText(range.defaultValue).c_str());
    }
    ShowMirrorState(false);
    RestoreMirrorDefault(*camera);
    m_memory.ForgetImageSettings(*camera);
}

void PropertyPanel::Remember(OrvanaCamera& camera, int row, long value, long mode) {
    const Row& property = kRows[row];
    if (property.cameraControl()) {
        m_memory.RememberCameraControl(camera, property.property, value, mode);
    } else {
        m_memory.RememberVideoProcAmp(camera, property.property, value, mode);
    }
}

void PropertyPanel::RestoreMirrorDefault(OrvanaCamera& camera) {
    if (!camera.HasMirrorSwitch()) {
        // The picture's own flip goes back to normal; a real gain stays as it is.
        m_engine.SetMirror(&camera, false);
        return;
    }
    Range range;
    long value = 0, flags = 0;
    if (camera.GetVideoProcAmpRange(kMirrorProperty, range.minimum, range.maximum, range.step,
                                    range.defaultValue, range.caps) != 0 ||
        camera.GetVideoProcAmp(kMirrorProperty, value, flags) != 0) {
        return;
    }
    camera.SetVideoProcAmp(kMirrorProperty, range.defaultValue, range.caps);
    if (FAILED(camera.SetVideoProcAmp(kMirrorProperty, range.defaultValue, kAutomatic))) {
        camera.SetVideoProcAmp(kMirrorProperty, range.defaultValue, kManual);
    }
    if (range.defaultValue == 1) {
        Select(m_mirrorNormal, false);
        Select(m_mirrorMirrored, true);
    }
}
