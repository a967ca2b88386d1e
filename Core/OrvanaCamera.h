// OrvanaCamera: one video capture device and its DirectShow graph.
#pragma once

#include <windows.h>

#include <string>

class OrvanaCamera {
public:
    OrvanaCamera() = default;
    OrvanaCamera(const OrvanaCamera&) = delete;
    OrvanaCamera& operator=(const OrvanaCamera&) = delete;

    // Stops, tears the graph down and marks the camera not opened; answers 0.
    HRESULT Close();

    std::wstring friendlyName;
    std::wstring devicePath;
    bool opened = false;
    bool running = false;
    bool graphBuilt = false;
    HWND notifyWindow = nullptr;
};
