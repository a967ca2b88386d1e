// Reading and writing the device configuration in the current user's registry.
#include "tools/testdevices/ConfigStore.h"

#include <cwchar>

#include "tools/testdevices/ConfigText.h"
#include "tools/testdevices/RegistryKey.h"
#include "tools/testdevices/TestPicture.h"

namespace TestDevices {

namespace {

const wchar_t kRoot[] = L"Software\\OrvanaTestDevices";
const wchar_t kCameras[] = L"Software\\OrvanaTestDevices\\Cameras";
const wchar_t kMicrophones[] = L"Software\\OrvanaTestDevices\\Microphones";
const wchar_t kState[] = L"Software\\OrvanaTestDevices\\State";

bool IsConfigured() {
    RegistryKey root;
    DWORD configured = 0;
    return root.Open(HKEY_CURRENT_USER, kRoot) && root.ReadDword(L"Configured", configured) &&
           configured == 1;
}

std::wstring PropertyValueName(bool cameraControl, int property) {
    return (cameraControl ? L"CameraControl" : L"ProcAmp") + std::to_wstring(property);
}

std::wstring IndexName(size_t index) {
    wchar_t name[16];
    swprintf(name, 16, L"%03u", static_cast<unsigned>(index));
    return name;
}

bool ReadFlag(const RegistryKey& key, const wchar_t* name, bool fallback) {
    DWORD value = 0;
    return key.ReadDword(name, value) ? value != 0 : fallback;
}

void ReadFormats(const RegistryKey& key, const wchar_t* name, std::vector<VideoFormat>& formats) {
    std::wstring text;
    formats.clear();
    if (key.ReadString(name, text))
        ParseFormatList(text, formats);
}

CameraConfig ReadCamera(const RegistryKey& key) {
    CameraConfig camera;
    key.ReadString(L"Name", camera.name);
    key.ReadString(L"DevicePath", camera.devicePath);
    camera.plugged = ReadFlag(key, L"Plugged", true);
    ReadFormats(key, L"CapturePin", camera.capturePin);
    ReadFormats(key, L"SecondPin", camera.secondPin);
    ReadFormats(key, L"StillPin", camera.stillPin);
    camera.secondPinIsPreview = ReadFlag(key, L"SecondPinIsPreview", false);
    camera.hasVideoProcAmp = ReadFlag(key, L"HasVideoProcAmp", true);
    camera.hasCameraControl = ReadFlag(key, L"HasCameraControl", true);
    DWORD noise = 0;
    if (key.ReadDword(L"Noise", noise) && noise <= static_cast<DWORD>(kMaxNoiseLevel))
        camera.noiseLevel = static_cast<int>(noise);
    std::wstring text;
    for (int i = 0; i < kProcAmpCount; ++i) {
        if (key.ReadString(PropertyValueName(false, i).c_str(), text)) {
            ParsePropertyText(text, camera.procAmp[i]);
        }
    }
    for (int i = 0; i < kCameraControlCount; ++i) {
        if (key.ReadString(PropertyValueName(true, i).c_str(), text)) {
            ParsePropertyText(text, camera.cameraControl[i]);
        }
    }
    if (key.ReadString(L"Faults", text))
        ParseFaultsText(text, camera.faults);
    if (key.ReadString(L"Delays", text))
        ParseDelaysText(text, camera.delays);
    return camera;
}

MicrophoneConfig ReadMicrophone(const RegistryKey& key) {
    MicrophoneConfig microphone;
    key.ReadString(L"Name", microphone.name);
    key.ReadString(L"DevicePath", microphone.devicePath);
    microphone.plugged = ReadFlag(key, L"Plugged", true);
    std::wstring text;
    int rate = 0, channels = 0, tone = 0, ppm = 0, bufferMs = 0;
    unsigned long startError = 0;
    // The clock offset, buffer length and start error came later: stores without them have
    // the defaults.
    const int read = key.ReadString(L"Audio", text)
                         ? swscanf(text.c_str(), L"%d %d %d %d %d %lu", &rate, &channels, &tone,
                                   &ppm, &bufferMs, &startError)
                         : 0;
    if (read >= 3) {
        microphone.sampleRate = rate;
        microphone.channels = channels;
        microphone.toneHz = tone;
        microphone.clockPpm = read >= 4 ? ppm : 0;
    }
    if (read >= 5)
        microphone.bufferMs = bufferMs;
    if (read >= 6)
        microphone.startError = static_cast<HRESULT>(startError);
    if (key.ReadString(L"Faults", text))
        ParseFaultsText(text, microphone.faults);
    if (key.ReadString(L"Delays", text))
        ParseDelaysText(text, microphone.delays);
    return microphone;
}

bool WriteCamera(RegistryKey& key, const CameraConfig& camera) {
    bool ok = key.WriteString(L"Name", camera.name) &&
              key.WriteString(L"DevicePath", camera.devicePath) &&
              key.WriteDword(L"Plugged", camera.plugged) &&
              key.WriteString(L"CapturePin", FormatListText(camera.capturePin)) &&
              key.WriteString(L"SecondPin", FormatListText(camera.secondPin)) &&
              key.WriteString(L"StillPin", FormatListText(camera.stillPin)) &&
              key.WriteDword(L"SecondPinIsPreview", camera.secondPinIsPreview) &&
              key.WriteDword(L"HasVideoProcAmp", camera.hasVideoProcAmp) &&
              key.WriteDword(L"HasCameraControl", camera.hasCameraControl) &&
              key.WriteDword(L"Noise", static_cast<DWORD>(camera.noiseLevel)) &&
              key.WriteString(L"Faults", FaultsText(camera.faults)) &&
              key.WriteString(L"Delays", DelaysText(camera.delays));
    for (int i = 0; ok && i < kProcAmpCount; ++i) {
        if (camera.procAmp[i].supported) {
            ok = key.WriteString(PropertyValueName(false, i).c_str(),
                                 PropertyText(camera.procAmp[i]));
        }
    }
    for (int i = 0; ok && i < kCameraControlCount; ++i) {
        if (camera.cameraControl[i].supported) {
            ok = key.WriteString(PropertyValueName(true, i).c_str(),
                                 PropertyText(camera.cameraControl[i]));
        }
    }
    return ok;
}

bool WriteMicrophone(RegistryKey& key, const MicrophoneConfig& microphone) {
    wchar_t audio[96];
    swprintf(audio, 96, L"%d %d %d %d %d %lu", microphone.sampleRate, microphone.channels,
             microphone.toneHz, microphone.clockPpm, microphone.bufferMs,
             static_cast<unsigned long>(microphone.startError));
    return key.WriteString(L"Name", microphone.name) &&
           key.WriteString(L"DevicePath", microphone.devicePath) &&
           key.WriteDword(L"Plugged", microphone.plugged) && key.WriteString(L"Audio", audio) &&
           key.WriteString(L"Faults", FaultsText(microphone.faults)) &&
           key.WriteString(L"Delays", DelaysText(microphone.delays));
}

void ApplyState(CameraConfig& camera) {
    RegistryKey state;
    if (!state.Open(HKEY_CURRENT_USER,
                    std::wstring(kState) + L"\\" + InstanceKeyName(camera.devicePath))) {
        return;
    }
    auto apply = [&](PropertyRange* ranges, int count, bool cameraControl) {
        for (int i = 0; i < count; ++i) {
            std::wstring text;
            long value = 0, flags = 0;
            if (!ranges[i].supported ||
                !state.ReadString(PropertyValueName(cameraControl, i).c_str(), text) ||
                swscanf(text.c_str(), L"%ld %ld", &value, &flags) != 2) {
                continue;
            }
            PropertyRange updated = ranges[i];
            updated.value = value;
            updated.flags = flags;
            if (ValidProperty(updated))
                ranges[i] = updated;
        }
    };
    apply(camera.procAmp, kProcAmpCount, false);
    apply(camera.cameraControl, kCameraControlCount, true);
}

// Finds the configured device's key by path, storing the default configuration first when
// nothing is configured yet (so that the default devices can be unplugged too).
bool OpenDeviceKey(const std::wstring& devicePath, RegistryKey& found) {
    if (!IsConfigured() && !SaveConfiguration(LoadConfiguration()))
        return false;
    for (const wchar_t* list : {kCameras, kMicrophones}) {
        RegistryKey parent;
        if (!parent.Open(HKEY_CURRENT_USER, list))
            continue;
        for (const auto& name : parent.SubkeyNames()) {
            RegistryKey key;
            std::wstring path;
            if (key.Open(parent.Get(), name, KEY_READ | KEY_WRITE) &&
                key.ReadString(L"DevicePath", path) && SamePath(path, devicePath)) {
                found = std::move(key);
                return true;
            }
        }
    }
    return false;
}

} // namespace

const CameraConfig* FindCamera(const Configuration& configuration, const std::wstring& path) {
    for (const auto& camera : configuration.cameras) {
        if (SamePath(camera.devicePath, path))
            return &camera;
    }
    return nullptr;
}

const MicrophoneConfig* FindMicrophone(const Configuration& configuration,
                                       const std::wstring& path) {
    for (const auto& microphone : configuration.microphones) {
        if (SamePath(microphone.devicePath, path))
            return &microphone;
    }
    return nullptr;
}

bool ValidConfiguration(const Configuration& configuration) {
    std::vector<const std::wstring*> paths;
    auto newPath = [&](const std::wstring& name, const std::wstring& path) {
        if (name.empty() || path.empty() || name.size() > 200 || path.size() > 200)
            return false;
        for (const auto* other : paths) {
            if (SamePath(*other, path))
                return false;
        }
        paths.push_back(&path);
        return true;
    };
    for (const auto& camera : configuration.cameras) {
        if (!newPath(camera.name, camera.devicePath) || camera.capturePin.empty() ||
            camera.noiseLevel < 0 || camera.noiseLevel > kMaxNoiseLevel ||
            !ValidDelays(camera.delays)) {
            return false;
        }
        for (const auto* list : {&camera.capturePin, &camera.secondPin, &camera.stillPin}) {
            for (const auto& format : *list) {
                if (!ValidFormat(format))
                    return false;
            }
        }
        for (const auto& range : camera.procAmp) {
            if (!ValidProperty(range))
                return false;
        }
        for (const auto& range : camera.cameraControl) {
            if (!ValidProperty(range))
                return false;
        }
    }
    for (const auto& microphone : configuration.microphones) {
        if (!newPath(microphone.name, microphone.devicePath) || microphone.sampleRate < 8000 ||
            microphone.sampleRate > 192000 || microphone.channels < 1 || microphone.channels > 2 ||
            microphone.toneHz < 1 || microphone.toneHz >= microphone.sampleRate / 2 ||
            microphone.clockPpm < -100000 || microphone.clockPpm > 100000 ||
            microphone.bufferMs < 2 || microphone.bufferMs > 2000 ||
            !ValidDelays(microphone.delays)) {
            return false;
        }
    }
    return true;
}

Configuration LoadConfiguration() {
    Configuration configuration;
    if (!IsConfigured()) {
        configuration = DefaultConfiguration();
    } else {
        RegistryKey cameras, microphones;
        if (cameras.Open(HKEY_CURRENT_USER, kCameras)) {
            for (const auto& name : cameras.SubkeyNames()) {
                RegistryKey key;
                if (key.Open(cameras.Get(), name))
                    configuration.cameras.push_back(ReadCamera(key));
            }
        }
        if (microphones.Open(HKEY_CURRENT_USER, kMicrophones)) {
            for (const auto& name : microphones.SubkeyNames()) {
                RegistryKey key;
                if (key.Open(microphones.Get(), name)) {
                    configuration.microphones.push_back(ReadMicrophone(key));
                }
            }
        }
    }
    for (auto& camera : configuration.cameras)
        ApplyState(camera);
    return configuration;
}

bool SaveConfiguration(const Configuration& configuration) {
    if (!ValidConfiguration(configuration))
        return false;
    if (!DeleteKeyTree(HKEY_CURRENT_USER, kRoot))
        return false;
    RegistryKey root;
    if (!root.Create(HKEY_CURRENT_USER, kRoot))
        return false;
    bool ok = true;
    for (size_t i = 0; ok && i < configuration.cameras.size(); ++i) {
        RegistryKey key;
        ok = key.Create(HKEY_CURRENT_USER, std::wstring(kCameras) + L"\\" + IndexName(i)) &&
             WriteCamera(key, configuration.cameras[i]);
    }
    for (size_t i = 0; ok && i < configuration.microphones.size(); ++i) {
        RegistryKey key;
        ok = key.Create(HKEY_CURRENT_USER, std::wstring(kMicrophones) + L"\\" + IndexName(i)) &&
             WriteMicrophone(key, configuration.microphones[i]);
    }
    // Marked configured only once complete, so a half-written configuration is never read.
    ok = ok && root.WriteDword(L"Configured", 1);
    return UpdateEnumeration() && ok;
}

bool ResetConfiguration() {
    bool deleted = DeleteKeyTree(HKEY_CURRENT_USER, kRoot);
    return UpdateEnumeration() && deleted;
}

DeviceStatus ReadDeviceStatus(const std::wstring& devicePath) {
    DeviceStatus status;
    if (!IsConfigured())
        return status;
    RegistryKey key;
    for (const wchar_t* list : {kCameras, kMicrophones}) {
        RegistryKey parent;
        if (!parent.Open(HKEY_CURRENT_USER, list))
            continue;
        for (const auto& name : parent.SubkeyNames()) {
            std::wstring path, text;
            if (key.Open(parent.Get(), name) && key.ReadString(L"DevicePath", path) &&
                SamePath(path, devicePath)) {
                status.plugged = ReadFlag(key, L"Plugged", true);
                if (key.ReadString(L"Faults", text))
                    ParseFaultsText(text, status.faults);
                return status;
            }
        }
    }
    status.plugged = false;
    return status;
}

void StorePropertyState(const std::wstring& devicePath, bool cameraControl, int property,
                        long value, long flags) {
    RegistryKey state;
    if (!state.Create(HKEY_CURRENT_USER,
                      std::wstring(kState) + L"\\" + InstanceKeyName(devicePath))) {
        return;
    }
    wchar_t text[64];
    swprintf(text, 64, L"%ld %ld", value, flags);
    state.WriteString(PropertyValueName(cameraControl, property).c_str(), text);
}

bool SetFaults(const std::wstring& devicePath, const Faults& faults) {
    RegistryKey key;
    return OpenDeviceKey(devicePath, key) && key.WriteString(L"Faults", FaultsText(faults));
}

namespace {

bool SetPlugged(const std::wstring& devicePath, bool plugged, bool notify) {
    RegistryKey key;
    if (!OpenDeviceKey(devicePath, key) || !key.WriteDword(L"Plugged", plugged))
        return false;
    key.Close();
    bool ok = UpdateEnumeration();
    if (notify)
        NotifyDeviceChange(devicePath, plugged);
    return ok;
}

} // namespace

bool Unplug(const std::wstring& devicePath, bool notify) {
    return SetPlugged(devicePath, false, notify);
}

bool Replug(const std::wstring& devicePath, bool notify) {
    // Like many cameras' drivers, a camera plugged back has forgotten what was set on it.
    ::RegDeleteKeyW(HKEY_CURRENT_USER,
                    (std::wstring(kState) + L"\\" + InstanceKeyName(devicePath)).c_str());
    return SetPlugged(devicePath, true, notify);
}

} // namespace TestDevices
