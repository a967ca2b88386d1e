#include "tools/testdevices/CameraProperties.h"

#include <vfwmsgs.h>

#include "tools/testdevices/ConfigStore.h"

namespace TestDevices {

void CameraProperties::Load(const CameraConfig& camera) {
    std::lock_guard<std::mutex> guard(lock_);
    devicePath_ = camera.devicePath;
    delayMs_ = camera.delays.propertyMs;
    for (int i = 0; i < kProcAmpCount; ++i)
        procAmp_[i] = camera.procAmp[i];
    for (int i = 0; i < kCameraControlCount; ++i)
        cameraControl_[i] = camera.cameraControl[i];
}

void CameraProperties::CallDelay() {
    unsigned delay = 0;
    {
        std::lock_guard<std::mutex> guard(lock_);
        delay = delayMs_;
    }
    if (delay > 0)
        Sleep(delay);
}

PropertyRange* CameraProperties::Find(bool cameraControl, long property) {
    const long count = cameraControl ? kCameraControlCount : kProcAmpCount;
    if (property < 0 || property >= count)
        return nullptr;
    PropertyRange* range = cameraControl ? &cameraControl_[property] : &procAmp_[property];
    return range->supported ? range : nullptr;
}

HRESULT CameraProperties::GetRange(bool cameraControl, long property, long* minimum, long* maximum,
                                   long* step, long* defaultValue, long* capsFlags) {
    if (!minimum || !maximum || !step || !defaultValue || !capsFlags)
        return E_POINTER;
    CallDelay();
    std::lock_guard<std::mutex> guard(lock_);
    const PropertyRange* range = Find(cameraControl, property);
    if (!range)
        return E_PROP_ID_UNSUPPORTED;
    *minimum = range->minimum;
    *maximum = range->maximum;
    *step = range->step;
    *defaultValue = range->defaultValue;
    *capsFlags = range->capsFlags;
    return S_OK;
}

HRESULT CameraProperties::Get(bool cameraControl, long property, long* value, long* flags) {
    if (!value || !flags)
        return E_POINTER;
    CallDelay();
    std::lock_guard<std::mutex> guard(lock_);
    const PropertyRange* range = Find(cameraControl, property);
    if (!range)
        return E_PROP_ID_UNSUPPORTED;
    *value = range->value;
    *flags = range->flags;
    return S_OK;
}

HRESULT CameraProperties::Set(bool cameraControl, long property, long value, long flags) {
    CallDelay();
    std::wstring path;
    {
        std::lock_guard<std::mutex> guard(lock_);
        PropertyRange* range = Find(cameraControl, property);
        if (!range)
            return E_PROP_ID_UNSUPPORTED;
        // The mode must be one the property supports; the value must lie on the range's grid
        // whatever the mode, as drivers check it before looking at the flags.
        if (flags == 0 || (flags & ~range->capsFlags) != 0)
            return E_INVALIDARG;
        if (value < range->minimum || value > range->maximum ||
            (value - range->minimum) % range->step != 0) {
            return E_INVALIDARG;
        }
        range->value = value;
        range->flags = (flags & 1) ? 1 : 2;
        flags = range->flags;
        path = devicePath_;
    }
    if (!path.empty())
        StorePropertyState(path, cameraControl, property, value, flags);
    return S_OK;
}

} // namespace TestDevices
