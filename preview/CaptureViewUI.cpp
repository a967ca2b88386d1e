#include "preview/CaptureViewUI.h"

#include <cstring>

#include "capture/CaptureEngine.h"
#include "preview/PreviewFit.h"
#include "ui/ResourceCache.h"

CaptureViewUI::~CaptureViewUI() = default;

const char* CaptureViewUI::GetClass() const { return "CaptureViewUI"; }

void* CaptureViewUI::GetInterface(const char* name) {
    if (name != nullptr && ::lstrcmpiA(name, "CaptureView") == 0) {
        return this;
    }
    return CControlUI::GetInterface(name);
}

void CaptureViewUI::DoEvent(Ui::TEventUI& event) { CControlUI::DoEvent(event); }

void CaptureViewUI::Attach(HWND parent) {
    m_parent = parent;
    CaptureEngine::Instance().CreatePreviewWindow(parent, Ui::CResourceCache::GetInstance());
    OnSize.Subscribe([this](void*) { return FitPreview(); });
}

bool CaptureViewUI::FitPreview() {
    CaptureEngine& engine = CaptureEngine::Instance();
    if (!engine.previewReady) {
        return true;
    }
    const RECT& rect = GetPos();
    const PreviewPlacement placement = FitPreviewRect(
        rect.left, rect.top, rect.right, rect.bottom, engine.frameWidth, engine.frameHeight);
    ::MoveWindow(engine.previewWindow, placement.x, placement.y, placement.width,
                 placement.height, TRUE);
    return true;
}
