// CameraMemory: what the user set on each camera, put back whenever that
// camera opens (at start, at a switch, after a replug or a restart), since
// many cameras forget it themselves. Kept in %LOCALAPPDATA%\Orvana apart
// from setting.ini, read anew before each use and written whole at each
// change the user makes. The camera thread's (CameraHost) only.
#pragma once

#include <string>
#include <vector>

#include "settings/CameraMemoryStore.h"

class CameraRegistry;
class OrvanaCamera;

class CameraMemory {
public:
    // `path`: the store's file; empty keeps everything in memory only.
    CameraMemory(CameraRegistry& registry, std::wstring path);
    // %LOCALAPPDATA%\Orvana\cameras.txt (the folder made when missing), or empty.
    static std::wstring DefaultPath();

    // Puts back the camera's remembered image properties, mirror state and
    // anti-flicker frequency (for a camera without a mirror switch, the
    // mirror state is only marked on it: its pictures are flipped by the
    // caller). A value the camera refuses now is forgotten, so it is not
    // tried again at every open.
    void PutBack(OrvanaCamera& camera);

    // The user's changes, each saved at once.
    void RememberVideoProcAmp(OrvanaCamera& camera, long property, long value, long flags);
    void RememberCameraControl(OrvanaCamera& camera, long property, long value, long flags);
    void RememberMirror(OrvanaCamera& camera, bool mirrored);
    void RememberPowerLine(OrvanaCamera& camera, long frequency);
    // Default: the image properties and the mirror state are forgotten; the
    // anti-flicker frequency stays, as Default does not touch it.
    void ForgetImageSettings(OrvanaCamera& camera);

    // The camera the user chose in the list; -1 when none is attached now.
    void RememberChosen(OrvanaCamera& camera);
    int LastChosenIndex();

private:
    CameraIdentity IdentityOf(const OrvanaCamera& camera) const;
    std::vector<CameraIdentity> Attached() const;
    RememberedCamera& EntryFor(OrvanaCamera& camera);
    void Remember(OrvanaCamera& camera, PropertyInterface source, long property, long value,
                  long flags);
    void Reload();
    void Save();

    CameraRegistry& m_registry;
    std::wstring m_path;
    CameraMemoryStore m_store;
};
