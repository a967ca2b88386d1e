#include "app/CameraList.h"

#include <windows.h>

#include <string>

#include "Core/CameraRegistry.h"
#include "app/ControlNames.h"
#include "app/PanelControls.h"
#include "ui/ComboUI.h"
#include "ui/TextEncoding.h"

CameraList::CameraList(Ui::CPaintManager& manager, CameraRegistry& registry)
    : m_registry(registry), m_list(PanelControls::FindList(manager, ControlNames::kCameraList)) {}

int CameraList::ListCameras() {
    m_list->RemoveAll();
    int current = -1;
    for (std::size_t i = 0; i < m_registry.cameras.size(); ++i) {
        PanelControls::AddEntry(m_list, Ui::WideToAnsi(m_registry.cameras[i]->friendlyName));
        if (m_registry.cameras[i] == m_registry.currentCamera) {
            current = static_cast<int>(i);
        }
    }
    return current;
}

void CameraList::Fill(int index) {
    if (m_list == nullptr) {
        return;
    }
    ListCameras();
    if (index >= 0) {
        PanelControls::SelectEntry(m_list, index);
    }
}

void CameraList::Sync() {
    if (m_list == nullptr) {
        return;
    }
    const int current = ListCameras();
    if (current >= 0) {
        m_list->SelectItem(current, false, false);
    }
}

int CameraList::Selection() const {
    return PanelControls::Selection(m_list);
}
