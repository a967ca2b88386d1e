// PropertyPanel: the camera's own image settings in the right-hand panel:
// the eight property rows (slider, value label, automatic option), the
// mirror choice, and the Default button that puts them back.
#pragma once

#include "ui/UiString.h"

namespace Ui {
class CControlUI;
class COptionUI;
class CPaintManager;
class CSliderUI;
} // namespace Ui
class CameraHost;
struct CameraView;
struct PropertyView;

class PropertyPanel {
public:
    static constexpr int kRowCount = 8;

    // Looks up its controls by name; one the skin lacks stays null and its
    // part of every action is skipped. Every change goes to the camera
    // thread, which writes it to the camera and remembers it.
    PropertyPanel(Ui::CPaintManager& manager, CameraHost& cameras);

    // The actions of this part's controls; nothing for a control not
    // its own.
    void OnClick(const Ui::CUiString& sender);
    void OnValueChanged(const Ui::CUiString& sender);

    // Every row at 0 and disabled, "normal" selected.
    void Reset();
    // The camera's property values and modes, and its mirror state.
    void Load(const CameraView& view);
    // One row as the camera holds it after a change.
    void ShowHeld(const CameraView& view, int row);

private:
    void SetPropertyFromSlider(int row);
    void LoadRow(const PropertyView& property, int row);
    void ShowMirrorState(bool mirrored);

    CameraHost& m_cameras;
    // Indexed like the rows of ImageProperties.
    Ui::CSliderUI* m_sliders[kRowCount] = {};
    Ui::CControlUI* m_labels[kRowCount] = {};
    Ui::COptionUI* m_autoOptions[kRowCount] = {};
    Ui::COptionUI* m_mirrorNormal = nullptr;
    Ui::COptionUI* m_mirrorMirrored = nullptr;
};
