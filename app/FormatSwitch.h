// The switch of a camera to the format and size a photo or a recording is
// to have (the saved settings), made before it starts.
#pragma once

class OrvanaCamera;

enum class FormatSwitch {
    Kept,       // the camera already delivers that format
    Switched,   // switched to it
    NotOffered, // no open camera, or the camera has no such format: nothing changed
    Refused,    // the camera failed to switch and is back at its previous format
};

// Puts the camera (may be null) into the named format at the given size;
// the name may still end in the line feed setting.ini keeps after it.
FormatSwitch SwitchCameraFormat(OrvanaCamera* camera, const char* formatName, int width,
                                int height);
