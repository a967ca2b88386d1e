#include "app/FormatPanel.h"

#include <string>
#include <vector>

#include "Core/CameraRegistry.h"
#include "Core/OrvanaCamera.h"
#include "app/CameraMemory.h"
#include "app/ControlNames.h"
#include "app/FormatLists.h"
#include "app/PanelControls.h"
#include "settings/SettingsFile.h"
#include "ui/ComboUI.h"
#include "ui/PaintManager.h"

using namespace PanelControls;

FormatPanel::FormatPanel(Ui::CPaintManager& manager, CameraRegistry& registry, CameraMemory& memory)
    : m_registry(registry), m_memory(memory) {
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
    OrvanaCamera* camera = m_registry.CurrentCamera();
    if (camera != nullptr && m_fileFormatList != nullptr) {
        const std::string name = m_fileFormatList->GetText().GetData();
        entries = FormatsNamed(camera->formats, name.c_str());
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
    Clear(m_photoResolutionList);
    Clear(m_videoResolutionList);
    Clear(m_fileFormatList);
    Clear(m_refreshRateList);
}

void FormatPanel::Fill(OrvanaCamera& camera) {
    FillFormatLists(camera);
    FillRefreshRateList(camera);
}

void FormatPanel::FillFormatLists(OrvanaCamera& camera) {
    StreamFormat current{};
    int frameRate = 0;
    if (camera.GetCurrentFormat(current, frameRate) != 0) {
        current = StreamFormat{};
    }
    int listed = 0;
    for (const char* name : kListedSubtypes) {
        const std::vector<StreamFormat> entries = FormatsNamed(camera.formats, name);
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

void FormatPanel::FillRefreshRateList(OrvanaCamera& camera) {
    long frequency = 2;
    if (camera.GetPowerLineFrequency(frequency) != 0) {
        return;
    }
    AddEntry(m_refreshRateList, "NTSC-50HZ");
    AddEntry(m_refreshRateList, "NTSC-60HZ");
    SelectEntry(m_refreshRateList, 0);
    SelectEntry(m_refreshRateList, RefreshRatePosition(frequency));
}

FormatPanel::ApplyResult FormatPanel::Apply() {
    OrvanaCamera* camera = m_registry.CurrentCamera();
    m_lastApply = ApplyResult::NothingToApply;
    if (camera == nullptr || !camera->opened) {
        return m_lastApply;
    }
    m_lastApply = SaveChoice(*camera);
    // The anti-flicker choice is written only with a chosen format.
    if (m_lastApply != ApplyResult::NothingToApply) {
        ApplyAntiFlicker(*camera);
        if (m_applyListener) {
            m_applyListener(m_lastApply);
        }
    }
    return m_lastApply;
}

FormatPanel::ApplyResult FormatPanel::SaveChoice(OrvanaCamera& camera) {
    if (m_fileFormatList == nullptr || Selection(m_fileFormatList) < 0) {
        return ApplyResult::NothingToApply;
    }
    const std::string name = m_fileFormatList->GetText().GetData();
    AppSettings saved{};
    if (!ChooseSavedSettings(camera.formats, name.c_str(), Selection(m_photoResolutionList),
                             Selection(m_videoResolutionList), saved)) {
        return ApplyResult::NothingToApply;
    }
    // Not saved, the choice still holds until the program ends.
    const bool stored = SaveSettings(saved);
    CurrentSettings = saved;
    return stored ? ApplyResult::Saved : ApplyResult::NotSaved;
}

void FormatPanel::ApplyAntiFlicker(OrvanaCamera& camera) {
    const long wanted = PowerLineFrequencyAt(Selection(m_refreshRateList));
    if (wanted == 0) {
        return;
    }
    long frequency = 0;
    camera.GetPowerLineFrequency(frequency);
    if (frequency == wanted || camera.SetPowerLineFrequency(wanted) == 0) {
        m_memory.RememberPowerLine(camera, wanted);
    }
}
