// Storage of the device configuration under HKCU\Software\OrvanaTestDevices, as the filters
// and the enumeration read it.
#pragma once

#include "tools/testdevices/TestDeviceControl.h"

namespace TestDevices {

// What a running stream re-reads: whether the device is plugged and its fault switches.
// A device that is not (or no longer) configured counts as unplugged.
struct DeviceStatus {
    bool plugged = true;
    Faults faults;
};
DeviceStatus ReadDeviceStatus(const std::wstring& devicePath);

// Finds a device of the loaded configuration by path; null when absent.
const CameraConfig* FindCamera(const Configuration& configuration, const std::wstring& path);
const MicrophoneConfig* FindMicrophone(const Configuration& configuration,
                                       const std::wstring& path);

// Records a property's state as a filter changed it.
void StorePropertyState(const std::wstring& devicePath, bool cameraControl, int property,
                        long value, long flags);

// Checks names, paths (unique across all devices), formats, properties and audio settings.
bool ValidConfiguration(const Configuration& configuration);

} // namespace TestDevices
