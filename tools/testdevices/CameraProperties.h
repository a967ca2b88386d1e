// The image and optics properties of a camera, checked the way a camera driver checks them.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>

#include "tools/testdevices/TestDeviceControl.h"

namespace TestDevices {

class CameraProperties {
public:
    void Load(const CameraConfig& camera);

    // cameraControl selects the IAMCameraControl table, else the IAMVideoProcAmp one.
    HRESULT GetRange(bool cameraControl, long property, long* minimum, long* maximum, long* step,
                     long* defaultValue, long* capsFlags);
    HRESULT Get(bool cameraControl, long property, long* value, long* flags);
    HRESULT Set(bool cameraControl, long property, long value, long flags);

private:
    PropertyRange* Find(bool cameraControl, long property);
    // A slow driver's time for one call, taken outside the lock.
    void CallDelay();

    std::mutex lock_;
    std::wstring devicePath_;
    unsigned delayMs_ = 0;
    PropertyRange procAmp_[kProcAmpCount];
    PropertyRange cameraControl_[kCameraControlCount];
};

} // namespace TestDevices
