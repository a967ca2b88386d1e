// CameraView: what the window shows of the cameras, copied on the camera
// thread after each of its steps and handed to the window, which never calls
// into a camera itself.
#pragma once

#include <string>
#include <vector>

#include "Core/StreamFormat.h"
#include "app/CameraWatch.h"
#include "app/ImageProperties.h"

// One image property as the camera reported it.
struct PropertyView {
    bool ranged = false; // the camera gave its range: the property exists
    long minimum = 0;
    long maximum = 0;
    long step = 0;
    long defaultValue = 0;
    long caps = 0;
    bool read = false; // the camera gave its value and mode
    long value = 0;
    long flags = 0;
};

struct CameraView {
    // The attached cameras' names, in the registry's order, and the
    // position of the one shown (-1 for none).
    std::vector<std::wstring> names;
    int shown = -1;
    // The shown camera: opened (its formats known), its graph running.
    bool opened = false;
    bool running = false;
    std::vector<StreamFormat> formats;
    bool formatKnown = false;
    StreamFormat format{};
    int frameRate = 0;
    PropertyView properties[ImageProperties::kCount];
    // The picture is mirrored, as the mirror options show it.
    bool mirrored = false;
    // The anti-flicker frequency (1: 50 Hz, 2: 60 Hz), when the camera has one.
    bool powerLineKnown = false;
    long powerLine = 0;
    // A microphone is attached.
    bool microphone = false;
    // Why there is no picture, and whether the camera is still starting.
    CameraTrouble trouble = CameraTrouble::None;
    bool starting = false;
};
