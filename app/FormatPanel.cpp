#include "app/FormatPanel.h"

#include <string>
#include <vector>

#include "app/CameraHost.h"
#include "app/ControlNames.h"
#include "app/FormatLists.h"
#include "app/PanelControls.h"
#include "settings/SettingsFile.h"
#include "ui/ComboUI.h"
#include "ui/PaintManager.h"

using namespace PanelControls;

FormatPanel::FormatPanel(Ui::CPaintManager& manager, CameraHost& cameras) : m_cameras(cameras) {
    m_fileFormatList = FindList(manager, ControlNames::kFileFormatList);
    m_photoResolutionList = FindList(manager, ControlNames::kPhotoResolutionList);
    m_videoResolutionList = FindList(manager, ControlNames::kVideoResolutionList);
    m_refreshRateList = FindList(manager, ControlNames::kRefreshRateList);
}

void FormatPanel::OnClick(const Ui::CUiString& sender) {
    if (sender == ControlNames::kApplyButton) {
        Apply();
    }
}

void FormatPanel::OnItemSelect(const Ui::CUiString& sender) {
    if (sender == ControlNames::kFileFormatList) {
        RefillResolutionLists();
    }
}

void FormatPanel::RefillResolutionLists() {
    std::vector<StreamFormat> entries;
    if (m_fileFormatList != nullptr) {
        const std::string name = m_fileFormatList->GetText().GetData();
        entries = FormatsNamed(m_formats, name.c_str());
    }
    ListResolutions(entries);
    SelectEntry(m_videoResolutionList, 0);
    SelectEntry(m_photoResolutionList, 0);
}

void FormatPanel::ListResolutions(const std::vector<StreamFormat>& entries) {
    Clear(m_videoResolutionList);
    Clear(m_photoResolutionList);
    for (const StreamFormat& entry : entries) {
        AddEntry(m_photoResolutionList,
                 PhotoResolutionText(entry.subtypeName, entry.width, entry.height));
        AddEntry(m_videoResolutionList,
                 VideoResolutionText(entry.width, entry.height, entry.frameRate));
    }
}

void FormatPanel::Empty() {
    m_formats.clear();
    m_opened = false;
    Clear(m_photoResolutionList);
    Clear(m_videoResolutionList);
    Clear(m_fileFormatList);
    Clear(m_refreshRateList);
}

void FormatPanel::Fill(const CameraView& view) {
    m_formats = view.formats;
    m_opened = view.opened;
    FillFormatLists(view);
    FillRefreshRateList(view);
}

void FormatPanel::FillFormatLists(const CameraView& view) {
    const StreamFormat current = view.formatKnown ? view.format : StreamFormat{};
    const int frameRate = view.formatKnown ? view.frameRate : 0;
    int listed = 0;
    for (const char* name : kListedSubtypes) {
        const std::vector<StreamFormat> entries = FormatsNamed(m_formats, name);
        if (entries.empty()) {
            continue;
        }
        AddEntry(m_fileFormatList, name);
        if (std::string(name) == current.subtypeName) {
            // Selecting runs the re-fill of the resolution lists, whose
            // first-entry selection the filling below replaces.
            SelectEntry(m_fileFormatList, listed);
            ListResolutions(entries);
            const int match = MatchingResolution(entries, current.width, current.height, frameRate);
            if (match >= 0) {
                SelectEntry(m_videoResolutionList, match);
                SelectEntry(m_photoResolutionList, match);
            }
        }
        ++listed;
    }
}

void FormatPanel::FillRefreshRateList(const CameraView& view) {
    if (!view.powerLineKnown) {
        return;
    }
    const long frequency = view.powerLine;
    AddEntry(m_refreshRateList, "NTSC-50HZ");
    AddEntry(m_refreshRateList, "NTSC-60HZ");
    SelectEntry(m_refreshRateList, 0);
    SelectEntry(m_refreshRateList, RefreshRatePosition(frequency));
}

FormatPanel::ApplyResult FormatPanel::Apply() {
    m_lastApply = ApplyResult::NothingToApply;
    if (!m_opened) {
        return m_lastApply;
    }
    m_lastApply = SaveChoice();
    // The anti-flicker choice is written only with a chosen format.
    if (m_lastApply != ApplyResult::NothingToApply) {
        ApplyAntiFlicker();
        if (m_applyListener) {
            m_applyListener(m_lastApply);
        }
    }
    return m_lastApply;
}

FormatPanel::ApplyResult FormatPanel::SaveChoice() {
    if (m_fileFormatList == nullptr || Selection(m_fileFormatList) < 0) {
        return ApplyResult::NothingToApply;
    }
    const std::string name = m_fileFormatList->GetText().GetData();
    AppSettings saved{};
    if (!ChooseSavedSettings(m_formats, name.c_str(), Selection(m_photoResolutionList),
                             Selection(m_videoResolutionList), saved)) {
        return ApplyResult::NothingToApply;
    }
    // Not saved, the choice still holds until the program ends.
    const bool stored = SaveSettings(saved);
    CurrentSettings = saved;
    return stored ? ApplyResult::Saved : ApplyResult::NotSaved;
}

void FormatPanel::ApplyAntiFlicker() {
    const long wanted = PowerLineFrequencyAt(Selection(m_refreshRateList));
    if (wanted != 0) {
        // The camera thread writes it only where the camera holds another.
        m_cameras.SetPowerLine(wanted);
    }
}
