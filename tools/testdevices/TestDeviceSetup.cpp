// Command-line front of the control library, for scripts that start the
// program itself: sets the formats the default synthetic camera's capture
// pin offers, or puts the devices back to their defaults.
//
//   OrvanaTestDeviceSetup "YUY2 1280x720@30;MJPG 640x480@30"
//   OrvanaTestDeviceSetup --reset
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/testdevices/TestDeviceControl.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fwprintf(stderr, L"usage: OrvanaTestDeviceSetup \"FORMAT[;FORMAT...]\" | --reset\n");
        return 2;
    }
    const std::wstring argument = argv[1];
    if (argument == L"--reset") {
        return TestDevices::ResetConfiguration() ? 0 : 1;
    }
    std::vector<TestDevices::VideoFormat> formats;
    if (!TestDevices::ParseFormatList(argument, formats) || formats.empty()) {
        std::fwprintf(stderr, L"not a format list: %ls\n", argument.c_str());
        return 2;
    }
    TestDevices::Configuration configuration = TestDevices::DefaultConfiguration();
    configuration.cameras[0].capturePin = formats;
    if (!TestDevices::SaveConfiguration(configuration)) {
        std::fwprintf(stderr, L"the configuration was refused\n");
        return 1;
    }
    return 0;
}
