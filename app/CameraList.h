// CameraList: the list of attached cameras above the preview, one entry per
// camera of the registry, in its order, so that a position is an index into
// the registry's cameras.
#pragma once

namespace Ui {
class CComboUI;
class CPaintManager;
} // namespace Ui
class CameraRegistry;

class CameraList {
public:
    // Looks up the list by name; without it every operation does nothing.
    CameraList(Ui::CPaintManager& manager, CameraRegistry& registry);

    // Rebuilds the list and selects entry `index` with notification (which
    // opens that camera); a negative index selects nothing.
    void Fill(int index);
    // Rebuilds the list and marks the current camera's entry without
    // notification: nothing is opened or closed.
    void Sync();
    // The selected position, -1 for none.
    int Selection() const;

private:
    // Rebuilds the entries; answers the current camera's position, or -1.
    int ListCameras();

    CameraRegistry& m_registry;
    Ui::CComboUI* m_list = nullptr;
};
