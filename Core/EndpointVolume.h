// Master volume of the system's default audio endpoints, driven by the
// microphone and speaker sliders. Every call creates and releases its Core
// Audio objects, so a default endpoint changed in Windows counts at once.
//
// Levels: 0 to 100 set the scalar level level / 100; -1 mutes and -2
// unmutes; anything else is refused. A call answers true when it set a level,
// false when it carried out a mute command, and throws EndpointVolumeError
// otherwise. These are the only operations of the program that throw: the
// caller catches the error and leaves its label as it was.
#pragma once

#include <windows.h>

#include <mmdeviceapi.h>

#include <stdexcept>

// A failed volume change. what() names the step that failed: "CoCreateInstance",
// "GetDefaultAudioEndpoint", "pDevice->Active", "SetMute",
// "SetMasterVolumeLevelScalar" or "Invalid Arg".
class EndpointVolumeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The default capture endpoint for the console role.
bool SetMicrophoneVolume(int level);

// The default render endpoint for the multimedia role.
bool SetSpeakerVolume(int level);

// The same on a device enumerator (not null) that the caller holds and keeps.
bool SetMicrophoneVolume(IMMDeviceEnumerator* enumerator, int level);
bool SetSpeakerVolume(IMMDeviceEnumerator* enumerator, int level);
