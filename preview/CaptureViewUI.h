// CaptureViewUI: the skin's "CaptureView" control, the place of the live
// camera picture inside the main window.
#pragma once

#include "ui/ControlUI.h"

class CaptureViewUI : public Ui::CControlUI {
public:
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;

    // Called once by the main window after the skin is built.
    void Attach(HWND parent);
    // Fits the preview window to the control keeping the picture's aspect ratio.
    bool FitPreview();

private:
    HWND m_parent = nullptr;
};
