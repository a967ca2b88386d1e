#include "app/CameraList.h"

#include "app/CameraView.h"
#include "app/ControlNames.h"
#include "app/PanelControls.h"
#include "ui/ComboUI.h"
#include "ui/TextEncoding.h"

CameraList::CameraList(Ui::CPaintManager& manager)
    : m_list(PanelControls::FindList(manager, ControlNames::kCameraList)) {}

void CameraList::Show(const CameraView& view) {
    if (m_list == nullptr) {
        return;
    }
    m_list->RemoveAll();
    for (const std::wstring& name : view.names) {
        PanelControls::AddEntry(m_list, Ui::WideToAnsi(name));
    }
    if (view.shown >= 0) {
        m_list->SelectItem(view.shown, false, false);
    }
}

int CameraList::Selection() const {
    return PanelControls::Selection(m_list);
}
