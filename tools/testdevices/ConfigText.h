// Text forms of the device records kept in the registry, and their validation.
#pragma once

#include <string>

#include "tools/testdevices/TestDeviceControl.h"

namespace TestDevices {

DWORD SubtypeFourcc(VideoSubtype subtype);
bool ValidFormat(const VideoFormat& format);
bool ValidProperty(const PropertyRange& range);

// "min max step default caps value flags"
std::wstring PropertyText(const PropertyRange& range);
bool ParsePropertyText(const std::wstring& text, PropertyRange& range);
// "corrupt truncate zeroLength stallAfter stallMs actualFps endOfStreamAfter randomSeed"; the
// seed may be missing (periodic faults).
std::wstring FaultsText(const Faults& faults);
bool ParseFaultsText(const std::wstring& text, Faults& faults);
// "start property bind", in milliseconds.
std::wstring DelaysText(const Delays& delays);
bool ParseDelaysText(const std::wstring& text, Delays& delays);
bool ValidDelays(const Delays& delays);

// Key name under a category's Instance key for a device path.
std::wstring InstanceKeyName(const std::wstring& devicePath);
// Device paths compare without regard to case, as Windows compares them.
bool SamePath(const std::wstring& a, const std::wstring& b);

} // namespace TestDevices
