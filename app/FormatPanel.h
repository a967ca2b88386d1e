// FormatPanel: the four lists of the right-hand panel (file format, photo
// and video resolution, refresh rate) and the Apply button that saves and
// applies their choice. The texts and the rules live in FormatLists.h.
#pragma once

#include <vector>

#include "Core/StreamFormat.h"
#include "ui/UiString.h"

namespace Ui {
class CComboUI;
class CPaintManager;
} // namespace Ui
class CameraMemory;
class CameraRegistry;
class OrvanaCamera;

class FormatPanel {
public:
    // Looks up its lists by name; one the skin lacks stays null and is skipped.
    // The anti-flicker frequency applied is remembered for the camera in `memory`.
    FormatPanel(Ui::CPaintManager& manager, CameraRegistry& registry, CameraMemory& memory);

    // The actions of Apply and of a selection in one of its lists; nothing
    // for a control not its own.
    void OnClick(const Ui::CUiString& sender);
    void OnItemSelect(const Ui::CUiString& sender);

    // All four lists empty, nothing selected.
    void Empty();
    // The camera's formats, the resolutions of the one it runs and its
    // anti-flicker setting, the current ones selected (with notification).
    void Fill(OrvanaCamera& camera);
    // With an open camera: saves the chosen format and resolutions to
    // setting.ini and makes them the current settings, then writes the
    // chosen anti-flicker frequency when the camera has another. Nothing
    // unless the file-format list and both resolution lists select entries
    // of one format.
    void Apply();

private:
    // The resolutions of the format the file-format list shows, the first selected.
    void RefillResolutionLists();
    // Both resolution lists hold the entries, photo and video texts alike, nothing selected.
    void ListResolutions(const std::vector<StreamFormat>& entries);
    void FillFormatLists(OrvanaCamera& camera);
    void FillRefreshRateList(OrvanaCamera& camera);
    bool SaveChoice(OrvanaCamera& camera);
    void ApplyAntiFlicker(OrvanaCamera& camera);

    CameraRegistry& m_registry;
    CameraMemory& m_memory;
    Ui::CComboUI* m_fileFormatList = nullptr;
    Ui::CComboUI* m_photoResolutionList = nullptr;
    Ui::CComboUI* m_videoResolutionList = nullptr;
    Ui::CComboUI* m_refreshRateList = nullptr;
};
