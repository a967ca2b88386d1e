// The names the skin documents give the controls the program looks up and
// answers. The window, the panel and the skin checks all read them here.
// Names are compared exactly and case-sensitively. Free of Windows headers:
// the skin documents are also checked natively.
#pragma once

namespace ControlNames {

// Title bar.
inline constexpr char kMinimize[] = "id_btn_min";
inline constexpr char kMaximize[] = "id_btn_max";
inline constexpr char kRestore[] = "id_btn_resetore";
inline constexpr char kClose[] = "id_btn_close";

// Window body.
inline constexpr char kPreview[] = "id_view_capture";
inline constexpr char kCameraList[] = "id_combo_cameras";
inline constexpr char kRecordingIndicator[] = "id_cap_time_show";
inline constexpr char kRecordingTime[] = "id_cap_time_label";
inline constexpr char kPanel[] = "id_tab_menu";
// Looked up by the window; no skin has it.
inline constexpr char kTabLayout[] = "id_tab_layout";

// One image property's row: its slider, value label and automatic option.
struct PropertyRowNames {
    const char* slider;
    const char* label;
    const char* automatic;
};
inline constexpr PropertyRowNames kBrightness = {"id_slider_brightness", "id_label_brightness",
                                                 "id_btn_auto_brightness"};
inline constexpr PropertyRowNames kContrast = {"id_slider_contrasts", "id_label_contrasts",
                                               "id_btn_auto_contrasts"};
inline constexpr PropertyRowNames kSaturation = {"id_slider_saturations", "id_label_saturations",
                                                 "id_btn_auto_saturations"};
inline constexpr PropertyRowNames kSharpness = {"id_slider_sharpness", "id_label_sharpness",
                                                "id_btn_auto_sharpness"};
inline constexpr PropertyRowNames kHue = {"id_slider_hue", "id_label_hue", "id_btn_auto_hue"};
inline constexpr PropertyRowNames kWhiteBalance = {
    "id_slider_whitebalance", "id_label_whitebalance", "id_btn_auto_whitebalance"};
inline constexpr PropertyRowNames kZoom = {"id_slider_zoom", "id_label_zoom", "id_btn_auto_zoom"};
inline constexpr PropertyRowNames kFocus = {"id_slider_focus", "id_label_focus",
                                            "id_btn_auto_focus"};
// The eight rows in the skins' order, top to bottom.
inline constexpr PropertyRowNames kPropertyRows[] = {
    kBrightness, kContrast, kSaturation, kSharpness, kHue, kWhiteBalance, kZoom, kFocus};
inline constexpr char kZoomRow[] = "id_property_zoom_visible";
inline constexpr char kFocusRow[] = "id_property_focus_visible";

// Mirror choice.
inline constexpr char kMirrorNormal[] = "id_btn_io_normal";
inline constexpr char kMirrorMirrored[] = "id_btn_io_mirrored";

// Format lists.
inline constexpr char kPhotoResolutionList[] = "id_combo_photo_resolution";
inline constexpr char kVideoResolutionList[] = "id_combo_video_resolution";
inline constexpr char kFileFormatList[] = "id_combo_file_format";
inline constexpr char kRefreshRateList[] = "id_combo_refresh_rate";

// Volume rows.
inline constexpr char kMicrophoneSlider[] = "id_slider_microphone";
inline constexpr char kSpeakerSlider[] = "id_slider_speaker";
inline constexpr char kMicrophoneLabel[] = "id_label_microphone";
inline constexpr char kSpeakerLabel[] = "id_label_speaker";

// Photo and record row.
inline constexpr char kPhotoButton[] = "id_btn_photo";
inline constexpr char kOpenFolderButton[] = "id_btn_open_dir";
inline constexpr char kRecordButton[] = "id_btn_capture";

// Bottom bar.
inline constexpr char kDefaultButton[] = "id_btn_default";
inline constexpr char kCancelButton[] = "id_btn_cancel";
inline constexpr char kApplyButton[] = "id_btn_apply";

// Notices: the one-line notice in the bottom bar, and the texts of every
// notice, each a hidden label named kNoticeTextPrefix followed by its key.
inline constexpr char kNoticeLabel[] = "id_label_notice";
// Steps aside while a notice shows, so that the notice has its room.
inline constexpr char kVersionLabel[] = "id_label_version";
inline constexpr char kNoticeTextPrefix[] = "id_text_";
namespace Notice {
inline constexpr char kCameraInUse[] = "camera_in_use";
inline constexpr char kCameraDenied[] = "camera_denied";
inline constexpr char kCameraNoPicture[] = "camera_no_picture";
inline constexpr char kCameraNotStarted[] = "camera_not_started";
inline constexpr char kCameraStarting[] = "camera_starting";
inline constexpr char kSettingsNotSaved[] = "settings_not_saved";
inline constexpr char kRecordingContinues[] = "recording_continues";
inline constexpr char kNoSoundDenied[] = "no_sound_denied";
inline constexpr char kNoSoundInUse[] = "no_sound_in_use";
inline constexpr char kNoSoundLost[] = "no_sound_lost";
inline constexpr char kNoSoundFailed[] = "no_sound_failed";
// What became of a photo, a recording, the open-folder button: the first
// four name the cause with the token kWhy, filled with one of the kWhy*
// texts; a saved photo names its file (kFile), the disk's time left its
// minutes (kMinutes).
inline constexpr char kPhotoSaved[] = "photo_saved";
inline constexpr char kPhotoNotSaved[] = "photo_not_saved";
inline constexpr char kRecordingNotStarted[] = "recording_not_started";
inline constexpr char kRecordingStopped[] = "recording_stopped";
inline constexpr char kFolderNotOpened[] = "folder_not_opened";
inline constexpr char kDiskMinutesLeft[] = "disk_minutes_left";
inline constexpr char kWhyFolderDenied[] = "why_folder_denied";
inline constexpr char kWhyFolderUnreachable[] = "why_folder_unreachable";
inline constexpr char kWhyDiskFull[] = "why_disk_full";
inline constexpr char kWhyNoFreeName[] = "why_no_free_name";
inline constexpr char kWhyWriteFailed[] = "why_write_failed";
inline constexpr char kWhyExplorerFailed[] = "why_explorer_failed";
inline constexpr char kWhy[] = "{why}";
inline constexpr char kFile[] = "{file}";
inline constexpr char kMinutes[] = "{minutes}";
} // namespace Notice
// Every key whose text each skin must carry, in its language.
inline constexpr const char* kNoticeKeys[] = {
    Notice::kCameraInUse,          Notice::kCameraDenied,        Notice::kCameraNoPicture,
    Notice::kCameraNotStarted,     Notice::kCameraStarting,      Notice::kSettingsNotSaved,
    Notice::kRecordingContinues,   Notice::kNoSoundDenied,       Notice::kNoSoundInUse,
    Notice::kNoSoundLost,          Notice::kNoSoundFailed,       Notice::kPhotoSaved,
    Notice::kPhotoNotSaved,        Notice::kRecordingNotStarted, Notice::kRecordingStopped,
    Notice::kFolderNotOpened,      Notice::kDiskMinutesLeft,     Notice::kWhyFolderDenied,
    Notice::kWhyFolderUnreachable, Notice::kWhyDiskFull,         Notice::kWhyNoFreeName,
    Notice::kWhyWriteFailed,       Notice::kWhyExplorerFailed,
};

// What every skin must hold besides the property rows (whose sliders are
// Slider, labels Label and automatic options Option elements): each name
// with the element it must be, as the program treats it.
struct RequiredControl {
    const char* name;
    const char* element;
};
inline constexpr RequiredControl kRequiredControls[] = {
    {kMinimize, "Button"},
    {kMaximize, "Button"},
    {kRestore, "Button"},
    {kClose, "Button"},
    {kPreview, "CaptureView"},
    {kCameraList, "Combo"},
    {kRecordingIndicator, "HorizontalLayout"},
    {kRecordingTime, "Label"},
    {kPanel, "VerticalLayout"},
    {kZoomRow, "HorizontalLayout"},
    {kFocusRow, "HorizontalLayout"},
    {kMirrorNormal, "Option"},
    {kMirrorMirrored, "Option"},
    {kPhotoResolutionList, "Combo"},
    {kVideoResolutionList, "Combo"},
    {kFileFormatList, "Combo"},
    {kRefreshRateList, "Combo"},
    {kMicrophoneSlider, "Slider"},
    {kSpeakerSlider, "Slider"},
    {kMicrophoneLabel, "Label"},
    {kSpeakerLabel, "Label"},
    {kPhotoButton, "Button"},
    {kOpenFolderButton, "Button"},
    {kRecordButton, "Option"},
    {kDefaultButton, "Button"},
    {kCancelButton, "Button"},
    {kApplyButton, "Button"},
    {kNoticeLabel, "Label"},
};

} // namespace ControlNames
