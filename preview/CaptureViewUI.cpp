#include "preview/CaptureViewUI.h"

#include <cstring>

#include "preview/LivePreview.h"

CaptureViewUI::~CaptureViewUI() = default;

const char* CaptureViewUI::GetClass() const {
    return "CaptureViewUI";
}

void* CaptureViewUI::GetInterface(const char* name) {
    if (name != nullptr && ::lstrcmpiA(name, "CaptureView") == 0) {
        return this;
    }
    return CControlUI::GetInterface(name);
}

void CaptureViewUI::DoEvent(Ui::TEventUI& event) {
    CControlUI::DoEvent(event);
}

void CaptureViewUI::Attach(LivePreview* preview) {
    m_live = preview;
    OnSize.Subscribe([this](void*) { return FitPreview(); });
}

bool CaptureViewUI::FitPreview() {
    if (m_live != nullptr) {
        m_live->FitInto(GetPos());
    }
    return true;
}
