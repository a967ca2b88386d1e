#include "app/FormatSwitch.h"

#include <windows.h>

#include <string>

#include "Core/OrvanaCamera.h"
#include "app/FormatLists.h"

FormatSwitch SwitchCameraFormat(OrvanaCamera* camera, const char* formatName, int width,
                                int height) {
    if (camera == nullptr || !camera->opened) {
        return FormatSwitch::NotOffered;
    }
    const std::string name = FormatNameWithoutLineEnd(formatName);
    // The entry of that name and size with the highest frame rate: setting.ini
    // keeps no rate, and a camera may list its slower one first.
    int best = -1;
    for (std::size_t i = 0; i < camera->formats.size(); ++i) {
        const StreamFormat& entry = camera->formats[i];
        if (name == entry.subtypeName && entry.width == width && entry.height == height &&
            (best < 0 || entry.frameRate > camera->formats[best].frameRate)) {
            best = static_cast<int>(i);
        }
    }
    StreamFormat current{};
    int frameRate = 0;
    if (camera->GetCurrentFormat(current, frameRate) == 0 && current.width == width &&
        current.height == height && name == current.subtypeName &&
        (best < 0 || frameRate >= camera->formats[best].frameRate)) {
        return FormatSwitch::Kept;
    }
    if (best < 0) {
        return FormatSwitch::NotOffered;
    }
    // A camera that refuses the format is back at its previous one. The
    // caller gives the switched camera its settle time before the capture.
    const HRESULT switched = camera->SetFormat(0, static_cast<unsigned>(best));
    return switched == 0 ? FormatSwitch::Switched : FormatSwitch::Refused;
}
