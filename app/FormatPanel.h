// FormatPanel: the four lists of the right-hand panel (file format, photo
// and video resolution, refresh rate) and the Apply button that saves and
// applies their choice. The texts and the rules live in FormatLists.h.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "Core/StreamFormat.h"
#include "ui/UiString.h"

namespace Ui {
class CComboUI;
class CPaintManager;
} // namespace Ui
class CameraHost;
struct CameraView;

class FormatPanel {
public:
    // Looks up its lists by name; one the skin lacks stays null and is
    // skipped. The anti-flicker frequency applied goes to the camera thread.
    FormatPanel(Ui::CPaintManager& manager, CameraHost& cameras);

    // The actions of Apply and of a selection in one of its lists; nothing
    // for a control not its own.
    void OnClick(const Ui::CUiString& sender);
    void OnItemSelect(const Ui::CUiString& sender);

    // All four lists empty, nothing selected.
    void Empty();
    // The camera's formats, the resolutions of the one it runs and its
    // anti-flicker setting, the current ones selected (with notification).
    void Fill(const CameraView& view);
    // What the last Apply did with the user's choice.
    enum class ApplyResult {
        NothingToApply, // no open camera, or the lists select no entries of one format
        Saved,          // in setting.ini (beside the program or the user's own copy)
        NotSaved,       // nowhere: it holds only until the program ends, and the window says so
    };

    // With an open camera: saves the chosen format and resolutions to
    // setting.ini and makes them the current settings (also when the save
    // fails), then writes the chosen anti-flicker frequency when the camera
    // has another. Nothing unless the file-format list and both resolution
    // lists select entries of one format.
    ApplyResult Apply();
    // The result of the last Apply; NothingToApply before the first.
    ApplyResult LastApply() const { return m_lastApply; }
    // Told the result of every Apply that had a choice to save, so that the
    // window can say when it was not saved.
    void SetApplyListener(std::function<void(ApplyResult)> listener) {
        m_applyListener = std::move(listener);
    }

private:
    // The resolutions of the format the file-format list shows, the first selected.
    void RefillResolutionLists();
    // Both resolution lists hold the entries, photo and video texts alike, nothing selected.
    void ListResolutions(const std::vector<StreamFormat>& entries);
    void FillFormatLists(const CameraView& view);
    void FillRefreshRateList(const CameraView& view);
    ApplyResult SaveChoice();
    void ApplyAntiFlicker();

    CameraHost& m_cameras;
    // The shown camera's formats, and whether it is open.
    std::vector<StreamFormat> m_formats;
    bool m_opened = false;
    Ui::CComboUI* m_fileFormatList = nullptr;
    Ui::CComboUI* m_photoResolutionList = nullptr;
    Ui::CComboUI* m_videoResolutionList = nullptr;
    Ui::CComboUI* m_refreshRateList = nullptr;
    ApplyResult m_lastApply = ApplyResult::NothingToApply;
    std::function<void(ApplyResult)> m_applyListener;
};
