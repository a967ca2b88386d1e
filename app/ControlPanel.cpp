#include "app/ControlPanel.h"

#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Core/CameraRegistry.h"
#include "Core/EndpointVolume.h"
#include "Core/OrvanaCamera.h"
#include "app/FormatLists.h"
#include "capture/CaptureEngine.h"
#include "capture/OutputFile.h"
#include "capture/OutputFolder.h"
#include "settings/SettingsFile.h"
#include "ui/ComboUI.h"
#include "ui/ControlUI.h"
#include "ui/ListLabelElementUI.h"
#include "ui/OptionUI.h"
#include "ui/PaintManager.h"
#include "ui/SliderUI.h"

namespace {

// DirectShow mode flags of a property.
constexpr long kAutomatic = 1;
constexpr long kManual = 2;
constexpr long kBothModes = 3;

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

void Select(Ui::COptionUI* option, bool selected, bool notify = true) {
    if (option != nullptr) {
        option->Selected(selected, notify);
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

std::string AnsiText(const std::wstring& wide) {
    if (wide.empty()) {
        return std::string();
    }
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr,
                                            nullptr);
    if (bytes <= 0) {
        return std::string();
    }
    std::string text(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &text[0], bytes, nullptr, nullptr);
    text.resize(static_cast<std::size_t>(bytes - 1));
    return text;
}

template <class T> T* Find(Ui::CPaintManager& manager, const char* name, const char* kind) {
    Ui::CControlUI* control = manager.FindControl(name);
    return control != nullptr ? static_cast<T*>(control->GetInterface(kind)) : nullptr;
}

} // namespace

// One image property: the word in its controls' names, the camera interface
// and property number, and whether its automatic option has an action.
struct ControlPanel::PropertyRow {
    const char* word;
    bool cameraControl; // IAMCameraControl, else IAMVideoProcAmp
    long property;
    bool autoActs;

    HRESULT Range(OrvanaCamera& camera, long& minimum, long& maximum, long& step,
                  long& defaultValue, long& caps) const {
        return cameraControl
                   ? camera.GetCameraControlRange(property, minimum, maximum, step, defaultValue,
                                                  caps)
                   : camera.GetVideoProcAmpRange(property, minimum, maximum, step, defaultValue,
                                                 caps);
    }
    HRESULT Get(OrvanaCamera& camera, long& value, long& flags) const {
        return cameraControl ? camera.GetCameraControl(property, value, flags)
                             : camera.GetVideoProcAmp(property, value, flags);
    }
    HRESULT Set(OrvanaCamera& camera, long value, long flags) const {
        return cameraControl ? camera.SetCameraControl(property, value, flags)
                             : camera.SetVideoProcAmp(property, value, flags);
    }
};

const ControlPanel::PropertyRow ControlPanel::kProperties[kPropertyCount] = {
    {"brightness", false, 0, false},  {"contrasts", false, 1, true},
    {"saturations", false, 3, false}, {"sharpness", false, 4, false},
    {"hue", false, 2, true},          {"whitebalance", false, 7, true},
    {"zoom", true, 3, false},         {"focus", true, 6, true},
};

ControlPanel::ControlPanel(Ui::CControlUI* tabLayout, HWND owner, CaptureViewUI* preview)
    : m_owner(owner), m_preview(preview), m_tabLayout(tabLayout) {}

void ControlPanel::FindControls(Ui::CPaintManager& manager) {
    m_tabMenu = manager.FindControl("id_tab_menu");
    m_recordingIndicator = manager.FindControl("id_cap_time_show");
    m_zoomRow = manager.FindControl("id_property_zoom_visible");
    m_recordingTimeLabel = manager.FindControl("id_cap_time_label");
    m_recordButton = Find<Ui::COptionUI>(manager, "id_btn_capture", "Option");
    m_photoButton = manager.FindControl("id_btn_photo");
    m_mirrorNormal = Find<Ui::COptionUI>(manager, "id_btn_io_normal", "Option");
    m_mirrorMirrored = Find<Ui::COptionUI>(manager, "id_btn_io_mirrored", "Option");
    for (int row = 0; row < kPropertyCount; ++row) {
        const std::string word = kProperties[row].word;
        m_propertySliders[row] =
            Find<Ui::CSliderUI>(manager, ("id_slider_" + word).c_str(), "Slider");
        m_propertyLabels[row] = manager.FindControl(("id_label_" + word).c_str());
        m_autoOptions[row] = Find<Ui::COptionUI>(manager, ("id_btn_auto_" + word).c_str(), "Option");
    }
    m_microphoneSlider = Find<Ui::CSliderUI>(manager, "id_slider_microphone", "Slider");
    m_speakerSlider = Find<Ui::CSliderUI>(manager, "id_slider_speaker", "Slider");
    m_microphoneLabel = manager.FindControl("id_label_microphone");
    m_speakerLabel = manager.FindControl("id_label_speaker");
    m_cameraList = Find<Ui::CComboUI>(manager, "id_combo_cameras", "Combo");
    m_photoResolutionList = Find<Ui::CComboUI>(manager, "id_combo_photo_resolution", "Combo");
    m_videoResolutionList = Find<Ui::CComboUI>(manager, "id_combo_video_resolution", "Combo");
    m_fileFormatList = Find<Ui::CComboUI>(manager, "id_combo_file_format", "Combo");
    m_refreshRateList = Find<Ui::CComboUI>(manager, "id_combo_refresh_rate", "Combo");
}

// --- dispatch --------------------------------------------------------------

void ControlPanel::OnNotify(Ui::CNotifyEvent& event) {
    if (event.sender == nullptr) {
        return;
    }
    const Ui::CUiString& sender = event.sender->GetName();
    if (event.type == "click") {
        OnClick(sender);
    } else if (event.type == "valuechanged") {
        OnValueChanged(sender);
    } else if (event.type == "itemselect") {
        if (sender == "id_combo_cameras") {
            OnCameraSelected();
        } else if (sender == "id_combo_file_format") {
            RefillResolutionLists();
        }
    }
}

void ControlPanel::OnClick(const Ui::CUiString& sender) {
    if (sender == "id_btn_photo") {
        TakePhoto();
    } else if (sender == "id_btn_capture") {
        ToggleRecording();
    } else if (sender == "id_btn_open_dir") {
        OpenOutputFolder();
    } else if (sender == "id_btn_io_normal") {
        CaptureEngine::Instance().SetMirror(false);
    } else if (sender == "id_btn_io_mirrored") {
        CaptureEngine::Instance().SetMirror(true);
    } else if (sender == "id_btn_default") {
        RestoreDefaults();
    } else if (sender == "id_btn_cancel") {
        // The window's WM_DESTROY handling ends the program; nothing is saved.
        ::SendMessageA(m_owner, WM_DESTROY, 0, 0);
    } else if (sender == "id_btn_apply") {
        Apply();
    } else {
        for (int row = 0; row < kPropertyCount; ++row) {
            if (kProperties[row].autoActs &&
                sender == ("id_btn_auto_" + std::string(kProperties[row].word)).c_str()) {
                ToggleAutoMode(row);
                return;
            }
        }
    }
}

void ControlPanel::OnValueChanged(const Ui::CUiString& sender) {
    if (sender == "id_slider_microphone") {
        SetMicrophoneLevel();
        return;
    }
    if (sender == "id_slider_speaker") {
        SetSpeakerLevel();
        return;
    }
    for (int row = 0; row < kPropertyCount; ++row) {
        if (sender == ("id_slider_" + std::string(kProperties[row].word)).c_str()) {
            SetPropertyFromSlider(row);
            return;
        }
    }
}

void ControlPanel::OnTimer(WPARAM timerId, LPARAM) {
    CaptureEngine& engine = CaptureEngine::Instance();
    if (timerId != kRecordingTimer || !engine.IsRecording()) {
        return;
    }
    // A full disk or a drive pulled out ended the recording: show it
    // stopped, as a click on the button would.
    if (engine.RecordingEndedByItself()) {
        StopRecordingAndReset();
        return;
    }
    const DWORD seconds = (::GetTickCount() - m_recordingStart) / 1000;
    char text[32] = {};
    std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(seconds / 60),
                  static_cast<int>(seconds % 60));
    SetText(m_recordingTimeLabel, text);
}

// --- photo, recording, output folder -----------------------------------------

void ControlPanel::TakePhoto() {
    OrvanaCamera* camera = CameraRegistry::Instance().CurrentCamera();
    CaptureEngine& engine = CaptureEngine::Instance();
    if (camera == nullptr || !camera->running || engine.IsRecording()) {
        return;
    }
    const AppSettings settings = CurrentSettings;
    const FormatSwitch outcome = SwitchFormat(settings.FileFormat, settings.PhotoResolution_Width,
                                              settings.PhotoResolution_Height);
    ::SendMessageA(m_owner, WM_MOVE, 0, 0);
    if (outcome != FormatSwitch::Refused) {
        engine.TakePhoto();
    }
}

void ControlPanel::ToggleRecording() {
    CaptureEngine& engine = CaptureEngine::Instance();
    // The option flips its own look after this click: setting it selected
    // here leaves it unselected on screen, and the reverse.
    if (engine.IsRecording()) {
        engine.StopRecording();
        ResetRecordingDisplay();
        Select(m_recordButton, true);
        return;
    }
    OrvanaCamera* camera = CameraRegistry::Instance().CurrentCamera();
    if (camera == nullptr || !camera->running) {
        Select(m_recordButton, true);
        return;
    }
    const AppSettings settings = CurrentSettings;
    const FormatSwitch outcome = SwitchFormat(settings.FileFormat, settings.VideoResolution_Width,
                                              settings.VideoResolution_Height);
    ::SendMessageA(m_owner, WM_MOVE, 0, 0);
    if (outcome == FormatSwitch::Refused || !engine.StartRecording()) {
        Select(m_recordButton, true);
        return;
    }
    m_recordingStart = ::GetTickCount();
    ::SetTimer(m_owner, kRecordingTimer, kRecordingTimerPeriod, nullptr);
    if (m_recordingIndicator != nullptr) {
        m_recordingIndicator->SetVisible(true);
    }
    Select(m_recordButton, false);
}

void ControlPanel::ResetRecordingDisplay() {
    ::KillTimer(m_owner, kRecordingTimer);
    if (m_recordingIndicator != nullptr) {
        m_recordingIndicator->SetVisible(false);
    }
    SetText(m_recordingTimeLabel, "00:00");
}

void ControlPanel::StopRecordingIfActive() {
    CaptureEngine& engine = CaptureEngine::Instance();
    if (engine.IsRecording()) {
        engine.StopRecording();
    }
}

void ControlPanel::StopRecordingAndReset() {
    CaptureEngine::Instance().StopRecording();
    ResetRecordingDisplay();
    Select(m_recordButton, false);
}

void ControlPanel::OpenOutputFolder() {
    bool made = false;
    const std::string folder = OutputFolder(m_owner, &made);
    if (!made) {
        return;
    }
    ::ShellExecuteW(nullptr, L"open", L"explorer.exe", WidePath(folder).c_str(), nullptr,
                    SW_SHOW);
}

// --- image properties ----------------------------------------------------------

void ControlPanel::ToggleAutoMode(int row) {
    OrvanaCamera* camera = CameraRegistry::Instance().CurrentCamera();
    if (camera == nullptr) {
        return;
    }
    const PropertyRow& property = kProperties[row];
    long minimum = 0, maximum = 0, step = 0, defaultValue = 0, caps = 0;
    long value = 0, flags = 0;
    if (property.Range(*camera, minimum, maximum, step, defaultValue, caps) != 0 ||
        property.Get(*camera, value, flags) != 0) {
        return;
    }
    // The option still shows the state from before this click.
    const bool leavingAutomatic = m_autoOptions[row] != nullptr && m_autoOptions[row]->IsSelected();
    if (property.Set(*camera, value, leavingAutomatic ? kManual : kAutomatic) == 0) {
        Enable(m_propertySliders[row], leavingAutomatic);
    }
}

void ControlPanel::SetPropertyFromSlider(int row) {
    if (m_propertySliders[row] == nullptr) {
        return;
    }
    const int value = m_propertySliders[row]->GetValue();
    OrvanaCamera* camera = CameraRegistry::Instance().CurrentCamera();
    if (camera == nullptr) {
        return;
    }
    // A value the camera refuses still shows: the slider is where the user put it.
    kProperties[row].Set(*camera, value, kManual);
    SetText(m_propertyLabels[row], IntText(value).c_str());
}

void ControlPanel::SetMicrophoneLevel() {
    if (m_microphoneSlider == nullptr) {
        return;
    }
    const int value = m_microphoneSlider->GetValue();
    if (CameraRegistry::Instance().CurrentMicrophone() == nullptr) {
        return;
    }
    CaptureEngine::Instance().SetRecordingVolume(value);
    // The endpoint's failure (none under Wine without a sound server) leaves
    // the label as it was.
    try {
        if (SetMicrophoneVolume(value)) {
            SetText(m_microphoneLabel, IntText(value).c_str());
        }
    } catch (const EndpointVolumeError&) {
    }
}

void ControlPanel::SetSpeakerLevel() {
    if (m_speakerSlider == nullptr) {
        return;
    }
    const int value = m_speakerSlider->GetValue();
    try {
        if (SetSpeakerVolume(value)) {
            SetText(m_speakerLabel, IntText(value).c_str());
        }
    } catch (const EndpointVolumeError&) {
    }
}

// --- formats -----------------------------------------------------------------

void ControlPanel::RefillResolutionLists() {
    Clear(m_videoResolutionList);
    Clear(m_photoResolutionList);
    OrvanaCamera* camera = CameraRegistry::Instance().CurrentCamera();
    if (camera != nullptr && m_fileFormatList != nullptr) {
        const std::string name = m_fileFormatList->GetText().GetData();
        for (const StreamFormat& format : FormatsNamed(camera->formats, name.c_str())) {
            AddEntry(m_photoResolutionList,
                     PhotoResolutionText(format.subtypeName, format.width, format.height));
            AddEntry(m_videoResolutionList,
                     VideoResolutionText(format.width, format.height, format.frameRate));
        }
    }
    SelectEntry(m_videoResolutionList, 0);
    SelectEntry(m_photoResolutionList, 0);
}

ControlPanel::FormatSwitch ControlPanel::SwitchFormat(const char* formatName, int width,
                                                      int height) {
    OrvanaCamera* camera = CameraRegistry::Instance().CurrentCamera();
    if (camera == nullptr || !camera->opened) {
        return FormatSwitch::NotOffered;
    }
    // A name read back from setting.ini still ends in its line feed.
    const std::string name = FormatNameWithoutLineEnd(formatName);
    StreamFormat current{};
    int frameRate = 0;
    if (camera->GetCurrentFormat(current, frameRate) == 0 && current.width == width &&
        current.height == height && name == current.subtypeName) {
        return FormatSwitch::Kept;
    }
    for (std::size_t i = 0; i < camera->formats.size(); ++i) {
        const StreamFormat& entry = camera->formats[i];
        if (name == entry.subtypeName && entry.width == width && entry.height == height) {
            // A camera that refuses the format is back at its previous one.
            const HRESULT switched = camera->SetFormat(0, static_cast<unsigned>(i));
            ::Sleep(1000);
            return switched == 0 ? FormatSwitch::Switched : FormatSwitch::Refused;
        }
    }
    return FormatSwitch::NotOffered;
}

void ControlPanel::RefreshFormatLists(OrvanaCamera* camera) {
    ResetPanel();
    if (camera == nullptr) {
        return;
    }
    LoadProperties(*camera);
    FillFormatLists(*camera);
    FillRefreshRateList(*camera);
    LoadMirrorState(*camera);
}

void ControlPanel::ResetPanel() {
    for (int row = 0; row < kPropertyCount; ++row) {
        if (m_propertySliders[row] != nullptr) {
            m_propertySliders[row]->SetValue(0);
        }
        SetText(m_propertyLabels[row], "0");
    }
    // The volume sliders need no camera: they show 0 but stay usable.
    for (Ui::CSliderUI* slider : {m_microphoneSlider, m_speakerSlider}) {
        if (slider != nullptr) {
            slider->SetValue(0);
        }
    }
    SetText(m_microphoneLabel, "0");
    SetText(m_speakerLabel, "0");
    for (Ui::CSliderUI* slider : m_propertySliders) {
        Enable(slider, false);
    }
    for (Ui::COptionUI* option : m_autoOptions) {
        Enable(option, false);
    }
    Clear(m_photoResolutionList);
    Clear(m_videoResolutionList);
    Clear(m_fileFormatList);
    Clear(m_refreshRateList);
    ShowMirrorState(false);
}

void ControlPanel::ShowMirrorState(bool mirrored) {
    if (mirrored) {
        Select(m_mirrorMirrored, true);
        Select(m_mirrorNormal, false);
    } else {
        Select(m_mirrorNormal, true);
        Select(m_mirrorMirrored, false);
    }
}

void ControlPanel::LoadProperties(OrvanaCamera& camera) {
    for (int row = 0; row < kPropertyCount; ++row) {
        const PropertyRow& property = kProperties[row];
        long minimum = 0, maximum = 0, step = 0, defaultValue = 0, caps = 0;
        if (property.Range(camera, minimum, maximum, step, defaultValue, caps) != 0) {
            continue;
        }
        long value = 0, flags = 0;
        const bool read = property.Get(camera, value, flags) == 0;
        Ui::CSliderUI* slider = m_propertySliders[row];
        if (read) {
            if (slider != nullptr) {
                slider->SetMinValue(minimum);
                slider->SetMaxValue(maximum);
                slider->SetValue(value);
            }
            SetText(m_propertyLabels[row], IntText(value).c_str());
            Enable(slider, true);
        }
        if (!property.autoActs) {
            continue;
        }
        if (caps == kBothModes) {
            Enable(m_autoOptions[row], true);
        }
        if (read && flags == kAutomatic) {
            Select(m_autoOptions[row], true, false);
            Enable(slider, false);
        }
    }
}

void ControlPanel::FillFormatLists(OrvanaCamera& camera) {
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
            Clear(m_videoResolutionList);
            Clear(m_photoResolutionList);
            for (const StreamFormat& entry : entries) {
                AddEntry(m_photoResolutionList,
                         PhotoResolutionText(name, entry.width, entry.height));
                AddEntry(m_videoResolutionList,
                         VideoResolutionText(entry.width, entry.height, entry.frameRate));
            }
            const int match = MatchingResolution(entries, current.width, current.height, frameRate);
            if (match >= 0) {
                SelectEntry(m_videoResolutionList, match);
                SelectEntry(m_photoResolutionList, match);
            }
        }
        ++listed;
    }
}

void ControlPanel::FillRefreshRateList(OrvanaCamera& camera) {
    long frequency = 2;
    if (camera.GetPowerLineFrequency(frequency) != 0) {
        return;
    }
    AddEntry(m_refreshRateList, "NTSC-50HZ");
    AddEntry(m_refreshRateList, "NTSC-60HZ");
    SelectEntry(m_refreshRateList, 0);
    SelectEntry(m_refreshRateList, RefreshRatePosition(frequency));
}

void ControlPanel::LoadMirrorState(OrvanaCamera& camera) {
    if (CaptureEngine::Instance().FollowMirror(camera)) {
        ShowMirrorState(true);
    }
}

// --- cameras ---------------------------------------------------------------

void ControlPanel::SyncCameraList() {
    if (m_cameraList == nullptr) {
        return;
    }
    CameraRegistry& registry = CameraRegistry::Instance();
    m_cameraList->RemoveAll();
    int shown = -1;
    for (std::size_t i = 0; i < registry.cameras.size(); ++i) {
        AddEntry(m_cameraList, AnsiText(registry.cameras[i]->friendlyName));
        if (registry.cameras[i] == registry.currentCamera) {
            shown = static_cast<int>(i);
        }
    }
    if (shown >= 0) {
        m_cameraList->SelectItem(shown, false, false);
    }
}

void ControlPanel::FillCameraList(int index) {
    if (m_cameraList == nullptr) {
        return;
    }
    m_cameraList->RemoveAll();
    for (OrvanaCamera* camera : CameraRegistry::Instance().cameras) {
        AddEntry(m_cameraList, AnsiText(camera->friendlyName));
    }
    if (index >= 0) {
        SelectEntry(m_cameraList, index);
    }
}

void ControlPanel::OnCameraSelected() {
    const int position = Selection(m_cameraList);
    if (m_recordButton != nullptr && m_recordButton->IsSelected()) {
        CaptureEngine::Instance().StopRecording();
        ResetRecordingDisplay();
        Select(m_recordButton, false);
    }
    CameraRegistry& registry = CameraRegistry::Instance();
    OrvanaAudio* microphone = registry.microphones.empty() ? nullptr : registry.microphones.front();
    OrvanaCamera* camera = static_cast<unsigned>(position) < registry.cameras.size()
                               ? registry.cameras[static_cast<unsigned>(position)]
                               : nullptr;
    registry.SelectCamera(camera, microphone, m_owner);
    RefreshFormatLists(camera);
    ::Sleep(500);
    ::PostMessageA(m_owner, WM_MOVE, 0, 0);
}

// --- bottom bar ---------------------------------------------------------------

void ControlPanel::Apply() {
    OrvanaCamera* camera = CameraRegistry::Instance().CurrentCamera();
    if (camera == nullptr || !camera->opened || m_fileFormatList == nullptr ||
        Selection(m_fileFormatList) < 0) {
        return;
    }
    const std::string name = m_fileFormatList->GetText().GetData();
    AppSettings saved{};
    // Nothing is saved unless both resolution lists select an entry of the format.
    if (!ChooseSavedSettings(camera->formats, name.c_str(), Selection(m_photoResolutionList),
                             Selection(m_videoResolutionList), saved)) {
        return;
    }
    SaveSettings(saved);
    CurrentSettings = saved;

    const long wanted = PowerLineFrequencyAt(Selection(m_refreshRateList));
    if (wanted == 0) {
        return;
    }
    long frequency = 0;
    camera->GetPowerLineFrequency(frequency);
    if (frequency != wanted) {
        camera->SetPowerLineFrequency(wanted);
    }
}

void ControlPanel::RestoreDefaults() {
    OrvanaCamera* camera = CameraRegistry::Instance().CurrentCamera();
    if (camera == nullptr) {
        return;
    }
    for (int row = 0; row < kPropertyCount; ++row) {
        const PropertyRow& property = kProperties[row];
        long minimum = 0, maximum = 0, step = 0, defaultValue = 0, caps = 0;
        if (property.Range(*camera, minimum, maximum, step, defaultValue, caps) != 0) {
            continue;
        }
        property.Set(*camera, defaultValue, caps);
        if (FAILED(property.Set(*camera, defaultValue, kAutomatic))) {
            property.Set(*camera, defaultValue, kManual);
        }
        if (!property.cameraControl && property.property == 0) {
            property.Set(*camera, defaultValue, caps);
        }
        if (m_propertySliders[row] != nullptr) {
            m_propertySliders[row]->SetValue(defaultValue);
        }
        SetText(m_propertyLabels[row], IntText(defaultValue).c_str());
    }

    ShowMirrorState(false);
    if (!camera->HasMirrorSwitch()) {
        // The picture's own flip goes back to normal; a real gain stays as it is.
        CaptureEngine::Instance().SetMirror(false);
        return;
    }
    long minimum = 0, maximum = 0, step = 0, defaultValue = 0, caps = 0;
    long value = 0, flags = 0;
    if (camera->GetVideoProcAmpRange(kMirrorProperty, minimum, maximum, step, defaultValue,
                                     caps) != 0 ||
        camera->GetVideoProcAmp(kMirrorProperty, value, flags) != 0) {
        return;
    }
    camera->SetVideoProcAmp(kMirrorProperty, defaultValue, caps);
    if (FAILED(camera->SetVideoProcAmp(kMirrorProperty, defaultValue, kAutomatic))) {
        camera->SetVideoProcAmp(kMirrorProperty, defaultValue, kManual);
    }
    if (defaultValue == 1) {
        Select(m_mirrorNormal, false);
        Select(m_mirrorMirrored, true);
    }
}
