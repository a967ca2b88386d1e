// OrvanaAudio: one microphone (audio capture device).
#pragma once

#include <windows.h>

#include <string>

class OrvanaAudio {
public:
    OrvanaAudio() = default;
    OrvanaAudio(const OrvanaAudio&) = delete;
    OrvanaAudio& operator=(const OrvanaAudio&) = delete;

    std::wstring friendlyName;
};
