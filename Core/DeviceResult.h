// What the device layer answers besides success and failure codes: there
// was nothing to do it on (no camera, a camera not opened, an index outside
// its formats, no pin or format that could be connected). It is not a
// failure code, so FAILED() does not see it: callers name it.
#pragma once

#include <windows.h>

constexpr HRESULT kNotAvailable = 1;

// The device did what was asked: neither a failure nor "not available".
inline bool DeviceDone(HRESULT result) {
    return result == S_OK;
}
