// The commands of OrvanaTestDeviceSetup: each loads the configuration (with the state the
// filters wrote back), changes it and stores it again, or prints from it.
#include "tools/testdevices/SetupCommands.h"

#include "tools/testdevices/ConfigText.h"
#include "tools/testdevices/SetupReport.h"

namespace TestDevices {
namespace Setup {

namespace {

const wchar_t kCameraRules[] = L"a name and path of 1 to 200 characters, a path no other device "
                               L"has, at least one capture format";
const wchar_t kMicrophoneRules[] = L"a name and path of 1 to 200 characters, a path no other "
                                   L"device has, rate 8000 to 192000, channels 1 or 2, tone "
                                   L"1 to below half the rate, clockPpm -100000 to 100000, "
                                   L"bufferMs 2 to 2000";

Outcome Store(const Configuration& configuration, const std::wstring& what, const wchar_t* rules) {
    if (!SaveConfiguration(configuration))
        return Refused(what + L" was refused; the devices need " + rules);
    return Done();
}

Outcome NotACamera(const DeviceId& id) {
    return Refused(DeviceLabel(id) + L" is a microphone; properties belong to cameras");
}

// Inserts the device in place of the one with the same path, else appends it.
template <typename Device> void Place(std::vector<Device>& devices, Device device) {
    for (auto& existing : devices) {
        if (SamePath(existing.devicePath, device.devicePath)) {
            existing = std::move(device);
            return;
        }
    }
    devices.push_back(std::move(device));
}

Outcome ChangePlug(const Arguments& arguments, bool plugged) {
    bool notify = true;
    if (arguments.size() == 2) {
        if (arguments[1] != L"--no-notify")
            return UsageError(L"'" + arguments[1] + L"': only --no-notify may follow the device");
        notify = false;
    }
    const Configuration configuration = LoadConfiguration();
    DeviceId id;
    Outcome found = FindDevice(configuration, arguments[0], id);
    if (found.exitCode != 0)
        return found;
    const std::wstring path = DevicePath(configuration, id);
    // The message is sent here rather than by the library, to report how many windows it reached.
    if (!(plugged ? Replug(path, false) : Unplug(path, false)))
        return Refused(L"could not " + std::wstring(plugged ? L"replug " : L"unplug ") +
                       DeviceLabel(id));
    if (!notify)
        return Done();
    return Done(L"notified " + std::to_wstring(NotifyDeviceChange(path, plugged)) + L"\n");
}

bool IndexForm(const std::wstring& text) {
    return text.compare(0, 7, L"camera:") == 0 || text.compare(0, 11, L"microphone:") == 0;
}

} // namespace

Outcome ResetDevices(const Arguments&) {
    if (!ResetConfiguration())
        return Refused(L"the registry refused the reset");
    return Done();
}

Outcome ClearDevices(const Arguments&) {
    if (!SaveConfiguration(Configuration()))
        return Refused(L"the registry refused the empty configuration");
    return Done();
}

Outcome ShowDevices(const Arguments&) {
    return Done(ConfigurationReport(LoadConfiguration()));
}

Outcome GetProperty(const Arguments& arguments) {
    PropertyId property;
    Outcome parsed = ParsePropertyId(arguments[1], arguments[2], property);
    if (parsed.exitCode != 0)
        return parsed;
    Configuration configuration = LoadConfiguration();
    DeviceId id;
    Outcome found = FindDevice(configuration, arguments[0], id);
    if (found.exitCode != 0)
        return found;
    if (!id.camera)
        return NotACamera(id);
    const PropertyRange& range = PropertyOf(configuration.cameras[id.index], property);
    if (!range.supported)
        return Refused(DeviceLabel(id) + L" does not support " + PropertyName(property));
    return Done(std::to_wstring(range.value) + L" " + std::to_wstring(range.flags) + L"\n");
}

Outcome AddCamera(const Arguments& arguments) {
    CameraConfig camera = DefaultCamera(arguments[0], arguments[1]);
    Outcome applied = ApplyCameraSettings(arguments, 2, camera);
    if (applied.exitCode != 0)
        return applied;
    Configuration configuration = LoadConfiguration();
    Place(configuration.cameras, std::move(camera));
    return Store(configuration, L"camera '" + arguments[0] + L"'", kCameraRules);
}

Outcome AddMicrophone(const Arguments& arguments) {
    MicrophoneConfig microphone = DefaultMicrophone(arguments[0], arguments[1]);
    Outcome applied = ApplyMicrophoneSettings(arguments, 2, microphone);
    if (applied.exitCode != 0)
        return applied;
    Configuration configuration = LoadConfiguration();
    Place(configuration.microphones, std::move(microphone));
    return Store(configuration, L"microphone '" + arguments[0] + L"'", kMicrophoneRules);
}

Outcome RemoveDevice(const Arguments& arguments) {
    Configuration configuration = LoadConfiguration();
    DeviceId id;
    Outcome found = FindDevice(configuration, arguments[0], id);
    if (found.exitCode != 0)
        return found;
    if (id.camera)
        configuration.cameras.erase(configuration.cameras.begin() + id.index);
    else
        configuration.microphones.erase(configuration.microphones.begin() + id.index);
    return Store(configuration, L"removing " + DeviceLabel(id), kCameraRules);
}

Outcome SetDevice(const Arguments& arguments) {
    Configuration configuration = LoadConfiguration();
    DeviceId id;
    Outcome found = FindDevice(configuration, arguments[0], id);
    if (found.exitCode != 0)
        return found;
    Outcome applied =
        id.camera ? ApplyCameraSettings(arguments, 1, configuration.cameras[id.index])
                  : ApplyMicrophoneSettings(arguments, 1, configuration.microphones[id.index]);
    if (applied.exitCode != 0)
        return applied;
    return Store(configuration, L"the change of " + DeviceLabel(id),
                 id.camera ? kCameraRules : kMicrophoneRules);
}

Outcome SetProperty(const Arguments& arguments) {
    PropertyId property;
    Outcome parsed = ParsePropertyId(arguments[1], arguments[2], property);
    if (parsed.exitCode != 0)
        return parsed;
    if (arguments.size() == 3)
        return UsageError(L"name the property's settings (value=N ...) or 'unsupported'");
    Configuration configuration = LoadConfiguration();
    DeviceId id;
    Outcome found = FindDevice(configuration, arguments[0], id);
    if (found.exitCode != 0)
        return found;
    if (!id.camera)
        return NotACamera(id);
    PropertyRange& range = PropertyOf(configuration.cameras[id.index], property);
    if (arguments.size() == 4 && arguments[3] == L"unsupported") {
        range = PropertyRange();
    } else {
        Outcome applied = ApplyPropertySettings(arguments, 3, range);
        if (applied.exitCode != 0)
            return applied;
        if (!ValidProperty(range)) {
            return Refused(DeviceLabel(id) + L" " + PropertyName(property) +
                           L": the devices need min <= default, value <= max, step >= 1, "
                           L"caps 1 to 3, flags 1 or 2 and one of the caps");
        }
    }
    return Store(configuration, DeviceLabel(id) + L" " + PropertyName(property), kCameraRules);
}

Outcome SetDeviceFaults(const Arguments& arguments) {
    Faults faults;
    Outcome parsed = ParseFaultSettings(arguments, 1, faults);
    if (parsed.exitCode != 0)
        return parsed;
    const Configuration configuration = LoadConfiguration();
    DeviceId id;
    Outcome found = FindDevice(configuration, arguments[0], id);
    if (found.exitCode != 0)
        return found;
    if (!SetFaults(DevicePath(configuration, id), faults))
        return Refused(L"the registry refused the faults of " + DeviceLabel(id));
    return Done();
}

Outcome UnplugDevice(const Arguments& arguments) {
    return ChangePlug(arguments, false);
}

Outcome ReplugDevice(const Arguments& arguments) {
    return ChangePlug(arguments, true);
}

Outcome NotifyDevice(const Arguments& arguments) {
    const std::wstring& event = arguments[1];
    if (event != L"arrival" && event != L"removal")
        return UsageError(L"'" + event + L"' is not an event (arrival, removal)");
    const Configuration configuration = LoadConfiguration();
    DeviceId id;
    std::wstring path = arguments[0];
    // A device that has gone from the configuration can still be announced by its path.
    Outcome found = FindDevice(configuration, arguments[0], id);
    if (found.exitCode == 0)
        path = DevicePath(configuration, id);
    else if (IndexForm(arguments[0]))
        return found;
    const int reached = NotifyDeviceChange(path, event == L"arrival");
    return Done(L"notified " + std::to_wstring(reached) + L"\n");
}

Outcome UseCaptureFormats(const std::wstring& formats) {
    std::vector<VideoFormat> parsed;
    if (!ParseFormatList(formats, parsed) || parsed.empty())
        return UsageError(L"not a command or a format list: " + formats);
    Configuration configuration = DefaultConfiguration();
    configuration.cameras[0].capturePin = parsed;
    return Store(configuration, L"the format list", kCameraRules);
}

} // namespace Setup
} // namespace TestDevices
