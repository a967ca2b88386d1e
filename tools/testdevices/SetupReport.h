// The text `OrvanaTestDeviceSetup show` prints: one fact a line, each line starting with the
// device's kind and position ("camera 1 ...") so that scripts can grep and awk it.
#pragma once

#include <string>

#include "tools/testdevices/TestDeviceControl.h"

namespace TestDevices {
namespace Setup {

std::wstring ConfigurationReport(const Configuration& configuration);

} // namespace Setup
} // namespace TestDevices
