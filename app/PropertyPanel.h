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
class CameraMemory;
class CameraRegistry;
class CaptureEngine;
class OrvanaCamera;

class PropertyPanel {
public:
    static constexpr int kRowCount = 8;

    // Looks up its controls by name; one the skin lacks stays null and its
    // part of every action is skipped.
    // Every change the user makes is remembered for the camera in `memory`.
    PropertyPanel(Ui::CPaintManager& manager, CameraRegistry& registry, CaptureEngine& engine,
                  CameraMemory& memory);

    // The actions of this part's controls; nothing for a control not
    // its own.
    void OnClick(const Ui::CUiString& sender);
    void OnValueChanged(const Ui::CUiString& sender);

    // Every row at 0 and disabled, "normal" selected.
    void Reset();
    // The camera's property values and modes, and its mirror state.
    void Load(OrvanaCamera& camera);
    // The current camera's properties and mirror back at their defaults.
    void RestoreDefaults();

private:
    struct Row;
    static const Row kRows[kRowCount];

    void ToggleAutoMode(int row);
    void SetPropertyFromSlider(int row);
    void Remember(OrvanaCamera& camera, int row, long value, long mode);
    void LoadRow(OrvanaCamera& camera, int row);
    void RestoreMirrorDefault(OrvanaCamera& camera);
    void ShowMirrorState(bool mirrored);
    void SetMirror(bool mirrored);

    CameraRegistry& m_registry;
    CaptureEngine& m_engine;
    CameraMemory& m_memory;
    // Indexed like kRows.
    Ui::CSliderUI* m_sliders[kRowCount] = {};
    Ui::CControlUI* m_labels[kRowCount] = {};
    Ui::COptionUI* m_autoOptions[kRowCount] = {};
    Ui::COptionUI* m_mirrorNormal = nullptr;
    Ui::COptionUI* m_mirrorMirrored = nullptr;
};
