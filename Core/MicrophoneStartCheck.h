// MicrophoneStartCheck: whether a microphone starts, and why not. FFmpeg's
// DirectShow input tells only that its graph would not run, and leaves that
// graph unable to let go of its own filter when the device refused (under
// Wine it then never returns). This runs the microphone alone in a graph of
// its own (into a Null Renderer) and answers what its Pause or Run said:
// E_ACCESSDENIED when Windows' privacy settings deny it, a driver's "in use"
// code when another program holds it.
#pragma once

#include <windows.h>

#include <string>

// A microphone this finds no device for: HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED).
constexpr HRESULT kMicrophoneNotFound = static_cast<HRESULT>(0x8007048F);

// The microphone whose recorder name (OrvanaAudio::RecorderName) is name:
// S_OK when it starts, else the first failure on the way, kMicrophoneNotFound
// when there is none of that name. Stopped and released again before it
// answers. Any thread; takes about as long as starting the device.
HRESULT StartMicrophoneAlone(const std::wstring& recorderName);
