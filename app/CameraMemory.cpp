#include "app/CameraMemory.h"

#include <windows.h>

#include "Core/CameraRegistry.h"
#include "Core/OrvanaCamera.h"
#include "capture/recording/OutputFile.h"
#include "settings/UserDataFolder.h"

namespace {

// Far more than any number of cameras needs; a larger file is not ours to read.
constexpr std::size_t kMaxStoreBytes = 1 << 20;

} // namespace

CameraMemory::CameraMemory(CameraRegistry& registry, std::wstring path)
    : m_registry(registry), m_path(std::move(path)) {}

void CameraMemory::Reload() {
    // The file is what counts: another copy of the program may have changed it.
    if (m_path.empty())
        return;
    std::string text;
    if (ReadWholeFile(m_path, text, kMaxStoreBytes)) {
        m_store.Parse(text);
    } else if (::GetFileAttributesW(m_path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        m_store = CameraMemoryStore();
    }
}

std::wstring CameraMemory::DefaultPath() {
    const std::wstring folder = UserDataFolder(true);
    return folder.empty() ? folder : folder + L"\\cameras.txt";
}

CameraIdentity CameraMemory::IdentityOf(const OrvanaCamera& camera) const {
    CameraIdentity identity{Utf8Path(camera.devicePath), Utf8Path(camera.friendlyName), 0};
    for (const OrvanaCamera* other : m_registry.Cameras()) {
        if (other == &camera)
            break;
        if (other->friendlyName == camera.friendlyName)
            ++identity.ordinal;
    }
    return identity;
}

std::vector<CameraIdentity> CameraMemory::Attached() const {
    std::vector<CameraIdentity> attached;
    for (const OrvanaCamera* camera : m_registry.Cameras())
        attached.push_back(IdentityOf(*camera));
    return attached;
}

RememberedCamera& CameraMemory::EntryFor(OrvanaCamera& camera) {
    return m_store.FindOrAdd(IdentityOf(camera), Attached());
}

void CameraMemory::PutBack(OrvanaCamera& camera) {
    Reload();
    RememberedCamera* entry = m_store.Find(IdentityOf(camera), Attached());
    if (entry == nullptr)
        return;
    bool changed = false;
    for (auto it = entry->properties.begin(); it != entry->properties.end();) {
        const HRESULT result = it->source == PropertyInterface::VideoProcAmp
                                   ? camera.SetVideoProcAmp(it->property, it->value, it->flags)
                                   : camera.SetCameraControl(it->property, it->value, it->flags);
        if (FAILED(result)) {
            it = entry->properties.erase(it);
            changed = true;
        } else {
            ++it;
        }
    }
    if (entry->mirror >= 0) {
        if (camera.HasMirrorSwitch()) {
            if (FAILED(camera.SetMirror(entry->mirror == 1))) {
                entry->mirror = -1;
                changed = true;
            }
        } else {
            camera.pictureMirrored = entry->mirror == 1;
        }
    }
    if (entry->powerLine >= 0) {
        long frequency = -1;
        camera.GetPowerLineFrequency(frequency);
        if (frequency != entry->powerLine &&
            FAILED(camera.SetPowerLineFrequency(entry->powerLine))) {
            entry->powerLine = -1;
            changed = true;
        }
    }
    if (changed)
        Save();
}

void CameraMemory::Remember(OrvanaCamera& camera, PropertyInterface source, long property,
                            long value, long flags) {
    Reload();
    CameraMemoryStore::SetProperty(EntryFor(camera), {source, property, value, flags});
    Save();
}

void CameraMemory::RememberVideoProcAmp(OrvanaCamera& camera, long property, long value,
                                        long flags) {
    Remember(camera, PropertyInterface::VideoProcAmp, property, value, flags);
}

void CameraMemory::RememberCameraControl(OrvanaCamera& camera, long property, long value,
                                         long flags) {
    Remember(camera, PropertyInterface::CameraControl, property, value, flags);
}

void CameraMemory::RememberMirror(OrvanaCamera& camera, bool mirrored) {
    Reload();
    EntryFor(camera).mirror = mirrored ? 1 : 0;
    Save();
}

void CameraMemory::RememberPowerLine(OrvanaCamera& camera, long frequency) {
    Reload();
    EntryFor(camera).powerLine = frequency;
    Save();
}

void CameraMemory::ForgetImageSettings(OrvanaCamera& camera) {
    Reload();
    RememberedCamera* entry = m_store.Find(IdentityOf(camera), Attached());
    if (entry == nullptr)
        return;
    entry->properties.clear();
    entry->mirror = -1;
    Save();
}

void CameraMemory::RememberChosen(OrvanaCamera& camera) {
    Reload();
    m_store.SetLastChosen(IdentityOf(camera));
    Save();
}

int CameraMemory::LastChosenIndex() {
    Reload();
    return m_store.LastChosen(Attached());
}

void CameraMemory::Save() {
    if (m_path.empty())
        return;
    m_store.DropEmpty();
    // A store that cannot be written costs only the memory of the next start.
    WriteFileWhole(m_path, m_store.Serialize());
}
