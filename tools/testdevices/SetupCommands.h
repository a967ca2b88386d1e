// The commands of OrvanaTestDeviceSetup. Each takes the words after the command's name (the
// caller has checked their number) and changes or reads the synthetic devices through the
// control library.
#pragma once

#include "tools/testdevices/SetupArguments.h"

namespace TestDevices {
namespace Setup {

Outcome ResetDevices(const Arguments& arguments);    // (nothing)
Outcome ClearDevices(const Arguments& arguments);    // (nothing)
Outcome ShowDevices(const Arguments& arguments);     // (nothing)
Outcome GetProperty(const Arguments& arguments);     // DEVICE GROUP N
Outcome AddCamera(const Arguments& arguments);       // NAME PATH [KEY=VALUE...]
Outcome AddMicrophone(const Arguments& arguments);   // NAME PATH [KEY=VALUE...]
Outcome RemoveDevice(const Arguments& arguments);    // DEVICE
Outcome SetDevice(const Arguments& arguments);       // DEVICE KEY=VALUE...
Outcome SetProperty(const Arguments& arguments);     // DEVICE GROUP N KEY=VALUE... | unsupported
Outcome SetDeviceFaults(const Arguments& arguments); // DEVICE [KEY=VALUE...]
Outcome UnplugDevice(const Arguments& arguments);    // DEVICE [--no-notify]
Outcome ReplugDevice(const Arguments& arguments);    // DEVICE [--no-notify]
Outcome NotifyDevice(const Arguments& arguments);    // DEVICE arrival|removal

// The older one-argument form: the default devices, the camera's capture pin offering formats.
Outcome UseCaptureFormats(const std::wstring& formats);

} // namespace Setup
} // namespace TestDevices
