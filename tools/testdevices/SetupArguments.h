// What the words on OrvanaTestDeviceSetup's command line mean: numbers, KEY=VALUE settings of
// cameras, microphones, properties and faults, and the ways of naming a device.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tools/testdevices/TestDeviceControl.h"

namespace TestDevices {
namespace Setup {

using Arguments = std::vector<std::wstring>;

// The end of one command: exit code 0 done, 1 refused by the devices (an invalid configuration,
// an unknown device, the registry), 2 a usage error. output goes to stdout, message (one line)
// to stderr.
struct Outcome {
    int exitCode = 0;
    std::wstring output;
    std::wstring message;
};
Outcome Done(std::wstring output = {});
Outcome Refused(std::wstring message);
Outcome UsageError(std::wstring message);

// Whole-word decimal numbers; false on anything else, including overflow.
bool ParseLong(const std::wstring& text, long& value);
bool ParseUnsigned(const std::wstring& text, unsigned& value);

// The field names that `show` prints and the setting commands accept, one table each so the
// two cannot drift apart.
struct PropertyField {
    const wchar_t* name;
    long PropertyRange::*member;
};
extern const PropertyField kPropertyFields[7]; // value flags min max step default caps
struct FaultField {
    const wchar_t* name;
    unsigned Faults::*member;
    bool hexadecimal = false; // shown as 0x%08X (an HRESULT)
};
// corruptEvery ... endOfStreamAfter, randomSeed, lockedStop, maxPixels, startFailure,
// deliverNothing
extern const FaultField kFaultFields[12];
struct DelayField {
    const wchar_t* name;
    unsigned Delays::*member;
    bool cameraOnly = false;
};
extern const DelayField kDelayFields[3]; // startDelayMs propertyDelayMs bindDelayMs

// "procamp" (IAMVideoProcAmp, 0..13) or "cameracontrol" (IAMCameraControl, 0..6).
struct PropertyId {
    bool cameraControl = false;
    int number = 0;
};
Outcome ParsePropertyId(const std::wstring& group, const std::wstring& number, PropertyId& id);
const wchar_t* GroupName(bool cameraControl);
PropertyRange& PropertyOf(CameraConfig& camera, const PropertyId& id);
std::wstring PropertyName(const PropertyId& id); // "procamp 9"

// Each applies the KEY=VALUE arguments from first on; nothing is changed on a usage error.
// Camera: name, capture, second, preview, still (format lists; an empty list removes the
// pin), procamp, cameracontrol (0 or 1: whether the interface exists), noise (0 to 32), the
// kDelayFields names.
Outcome ApplyCameraSettings(const Arguments& arguments, size_t first, CameraConfig& camera);
// Microphone: name, rate, channels, tone, clockPpm, bufferMs, startError, startDelayMs,
// bindDelayMs.
Outcome ApplyMicrophoneSettings(const Arguments& arguments, size_t first,
                                MicrophoneConfig& microphone);
// Property: the kPropertyFields names; marks the property supported.
Outcome ApplyPropertySettings(const Arguments& arguments, size_t first, PropertyRange& range);
// Faults: the kFaultFields names; switches not named are off.
Outcome ParseFaultSettings(const Arguments& arguments, size_t first, Faults& faults);

// A device as the command line names it: "camera:N" or "microphone:N" (position in the
// configuration), else a device path (in any case), else a device name that only one device
// carries.
struct DeviceId {
    bool camera = true;
    size_t index = 0;
};
Outcome FindDevice(const Configuration& configuration, const std::wstring& text, DeviceId& id);
const std::wstring& DevicePath(const Configuration& configuration, const DeviceId& id);
// "camera:N" / "microphone:N", as messages name a device.
std::wstring DeviceLabel(const DeviceId& id);

} // namespace Setup
} // namespace TestDevices
