// CameraList: the list of attached cameras above the preview, one entry per
// camera the camera thread lists, in its order, so that a position is an
// index into its list.
#pragma once

namespace Ui {
class CComboUI;
class CPaintManager;
} // namespace Ui
struct CameraView;

class CameraList {
public:
    // Looks up the list by name; without it every operation does nothing.
    explicit CameraList(Ui::CPaintManager& manager);

    // Rebuilds the list and marks the shown camera's entry without
    // notification: nothing is opened or closed.
    void Show(const CameraView& view);
    // The selected position, -1 for none.
    int Selection() const;

private:
    Ui::CComboUI* m_list = nullptr;
};
