#include "preview/CaptureViewUI.h"

#include <cstring>

const char* CaptureViewUI::GetClass() const { return "CaptureView"; }

void* CaptureViewUI::GetInterface(const char* name) {
    if (std::strcmp(name, "CaptureView") == 0) {
        return this;
    }
    return CControlUI::GetInterface(name);
}

void CaptureViewUI::Attach(HWND parent) {
    m_parent = parent;
    OnSize.Subscribe([this](void*) { return FitPreview(); });
}

bool CaptureViewUI::FitPreview() {
    // The preview window and its renderer come with the preview subsystem.
    return true;
}
