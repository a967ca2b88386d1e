// The category instances through which the system device enumerator lists the devices, and
// the device-change messages that tell a running program about a plug or unplug.
#include <windows.h>

#include <dbt.h>
#include <objbase.h>

#include <cstring>
#include <vector>

#include "tools/testdevices/ConfigStore.h"
#include "tools/testdevices/ConfigText.h"
#include "tools/testdevices/RegistryKey.h"

namespace TestDevices {

namespace {

const GUID kVideoInputCategory = {
    0x860bb310, 0x5d01, 0x11d0, {0xbd, 0x3b, 0x00, 0xa0, 0xc9, 0x11, 0xce, 0x86}};
const GUID kAudioInputCategory = {
    0x33d9a762, 0x90c8, 0x11d0, {0xbd, 0x43, 0x00, 0xa0, 0xc9, 0x11, 0xce, 0x86}};
const GUID kCaptureInterfaceClass = {
    0x65e8773d, 0x8f56, 0x11d0, {0xa3, 0xb9, 0x00, 0xa0, 0xc9, 0x22, 0x31, 0x96}};

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring InstanceRoot(const GUID& category) {
    return L"CLSID\\" + GuidText(category) + L"\\Instance";
}

// Removes the instances of one category that name clsid and are not in keep.
bool RemoveStale(const GUID& category, const CLSID& clsid, const std::vector<std::wstring>& keep) {
    RegistryKey instances;
    if (!instances.Open(HKEY_CLASSES_ROOT, InstanceRoot(category)))
        return true;
    const std::wstring ours = GuidText(clsid);
    bool ok = true;
    for (const auto& name : instances.SubkeyNames()) {
        RegistryKey instance;
        std::wstring value;
        if (!instance.Open(instances.Get(), name) || !instance.ReadString(L"CLSID", value) ||
            _wcsicmp(value.c_str(), ours.c_str()) != 0) {
            continue;
        }
        instance.Close();
        bool kept = false;
        for (const auto& wanted : keep)
            kept = kept || _wcsicmp(wanted.c_str(), name.c_str()) == 0;
        if (!kept)
            ok = DeleteKeyTree(instances.Get(), name) && ok;
    }
    return ok;
}

bool WriteInstance(const GUID& category, const CLSID& clsid, const std::wstring& name,
                   const std::wstring& devicePath) {
    RegistryKey instance;
    return instance.Create(HKEY_CLASSES_ROOT,
                           InstanceRoot(category) + L"\\" + InstanceKeyName(devicePath)) &&
           instance.WriteString(L"FriendlyName", name) &&
           instance.WriteString(L"CLSID", GuidText(clsid)) &&
           instance.WriteString(L"DevicePath", devicePath);
}

struct WindowList {
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectFrameWindow(HWND window, LPARAM param) {
    char className[32] = {};
    if (GetClassNameA(window, className, sizeof(className)) > 0 &&
        strcmp(className, "UIFrame") == 0) {
        reinterpret_cast<WindowList*>(param)->windows.push_back(window);
    }
    return TRUE;
}

} // namespace

bool UpdateEnumeration() {
    const Configuration configuration = LoadConfiguration();
    std::vector<std::wstring> cameras, microphones;
    bool ok = true;
    for (const auto& camera : configuration.cameras) {
        if (!camera.plugged)
            continue;
        cameras.push_back(InstanceKeyName(camera.devicePath));
        ok = WriteInstance(kVideoInputCategory, CLSID_OrvanaTestCamera, camera.name,
                           camera.devicePath) &&
             ok;
    }
    for (const auto& microphone : configuration.microphones) {
        if (!microphone.plugged)
            continue;
        microphones.push_back(InstanceKeyName(microphone.devicePath));
        ok = WriteInstance(kAudioInputCategory, CLSID_OrvanaTestMicrophone, microphone.name,
                           microphone.devicePath) &&
             ok;
    }
    ok = RemoveStale(kVideoInputCategory, CLSID_OrvanaTestCamera, cameras) && ok;
    ok = RemoveStale(kAudioInputCategory, CLSID_OrvanaTestMicrophone, microphones) && ok;
    return ok;
}

bool RemoveEnumeration() {
    bool ok = RemoveStale(kVideoInputCategory, CLSID_OrvanaTestCamera, {});
    return RemoveStale(kAudioInputCategory, CLSID_OrvanaTestMicrophone, {}) && ok;
}

int NotifyDeviceChange(const std::wstring& devicePath, bool arrival) {
    // The ANSI form, since the program registers with RegisterDeviceNotificationA.
    int nameBytes =
        WideCharToMultiByte(CP_ACP, 0, devicePath.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (nameBytes <= 0)
        return 0;
    std::vector<BYTE> buffer(offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name) + nameBytes, 0);
    auto* header = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_A*>(buffer.data());
    header->dbcc_size = static_cast<DWORD>(buffer.size());
    header->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    header->dbcc_reserved = 0;
    header->dbcc_classguid = kCaptureInterfaceClass;
    WideCharToMultiByte(CP_ACP, 0, devicePath.c_str(), -1, header->dbcc_name, nameBytes, nullptr,
                        nullptr);

    WindowList list;
    EnumWindows(CollectFrameWindow, reinterpret_cast<LPARAM>(&list));
    int reached = 0;
    for (HWND window : list.windows) {
        DWORD_PTR result = 0;
        if (SendMessageTimeoutA(
                window, WM_DEVICECHANGE, arrival ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE,
                reinterpret_cast<LPARAM>(header), SMTO_ABORTIFHUNG, 10000, &result)) {
            ++reached;
        }
    }
    return reached;
}

} // namespace TestDevices
