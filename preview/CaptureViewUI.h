// CaptureViewUI: the skin's "CaptureView" control, the place of the live
// camera picture inside the main window. It reserves the space and draws the
// border; the picture itself is the live preview's window (LivePreview),
// which the control keeps centred inside it with the picture's aspect ratio.
#pragma once

#include "ui/ControlUI.h"

class LivePreview;

class CaptureViewUI : public Ui::CControlUI {
public:
    ~CaptureViewUI() override;
    const char* GetClass() const override;
    // The control itself for "CaptureView" in any case.
    void* GetInterface(const char* name) override;
    void DoEvent(Ui::TEventUI& event) override;

    // Called once by the main window after the skin is built, with the live
    // preview it made: keeps it fitted to every change of the control's
    // position from then on.
    void Attach(LivePreview* preview);
    // Places the preview window inside the border keeping the picture's
    // aspect ratio; does nothing until the preview exists. Always true.
    bool FitPreview();

private:
    LivePreview* m_live = nullptr;
};
