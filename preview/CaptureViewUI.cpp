#include "preview/CaptureViewUI.h"

#include <cstring>

#include "preview/LivePreview.h"
#include "ui/ResourceCache.h"

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

void CaptureViewUI::Attach(HWND parent) {
    m_parent = parent;
    LivePreview::Attach(parent, Ui::CResourceCache::GetInstance());
    OnSize.Subscribe([this](void*) { return FitPreview(); });
}

bool CaptureViewUI::FitPreview() {
    if (LivePreview* preview = LivePreview::Current()) {
        preview->FitInto(GetPos());
    }
    return true;
}
