// The camera's image properties the panel shows, one per row, in the skins'
// order top to bottom: which camera interface carries each, which property
// it is there, and whether its automatic option has an action.
#pragma once

namespace ImageProperties {

// The camera interface that carries a property.
enum class Source { VideoProcAmp, CameraControl };
// Whether a row's automatic option has an action; the others stay disabled.
enum class AutoOption { Inactive, Acts };

struct Property {
    Source source;
    long property;
    AutoOption autoOption;

    bool cameraControl() const { return source == Source::CameraControl; }
    bool autoActs() const { return autoOption == AutoOption::Acts; }
};

inline constexpr int kCount = 8;
// Brightness, contrast, saturation, sharpness, hue, white balance (the
// video-processing amplifier's 0, 1, 3, 4, 2, 7), zoom and focus (camera
// control 3 and 6).
inline constexpr Property kRows[kCount] = {
    {Source::VideoProcAmp, 0, AutoOption::Inactive},
    {Source::VideoProcAmp, 1, AutoOption::Acts},
    {Source::VideoProcAmp, 3, AutoOption::Inactive},
    {Source::VideoProcAmp, 4, AutoOption::Inactive},
    {Source::VideoProcAmp, 2, AutoOption::Acts},
    {Source::VideoProcAmp, 7, AutoOption::Acts},
    {Source::CameraControl, 3, AutoOption::Inactive},
    {Source::CameraControl, 6, AutoOption::Acts},
};

// A property's modes, as both camera interfaces define them.
inline constexpr long kAutomatic = 1;
inline constexpr long kManual = 2;

} // namespace ImageProperties
