// A real top-level window with its own paint manager for framework tests:
// builds a control tree from markup, sends it real mouse and keyboard
// messages and renders it into pixels that a test can read back.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "ui/ControlUI.h"
#include "ui/PaintManager.h"
#include "ui/SkinBuilder.h"
#include "ui/WindowBase.h"

namespace TestSupport {

// Opens the program's own skin archive (resource ZIPRES 101) once per process.
void UseSkinArchive();

class TestWindow : public Ui::CWindowBase {
public:
    ~TestWindow() override;
    const char* GetWndClassName() const override { return "OrvanaTestWindow"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Creates the window and builds the tree; the root fills the client area.
    Ui::CControlUI* Build(const char* markup, int width = 400, int height = 300, int x = 50,
                          int y = 50);
    Ui::CControlUI* Find(const char* name) { return manager.FindControl(name); }
    // Lays the tree out at the client size, as the first paint would.
    void Layout();

    void MouseMove(int x, int y);
    void LeftDown(int x, int y);
    void LeftUp(int x, int y);
    void Click(int x, int y);
    void Wheel(int x, int y, bool awayFromUser);
    void Key(UINT virtualKey);

    // The whole client area drawn into a 32-bit top-down bitmap (0x00RRGGBB).
    std::vector<uint32_t> Render();
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    uint32_t PixelAt(const std::vector<uint32_t>& pixels, int x, int y) const {
        return pixels[static_cast<size_t>(y) * m_width + x] & 0x00FFFFFF;
    }

    Ui::CPaintManager manager;

private:
    int m_width = 0;
    int m_height = 0;
};

// Records every notification as (type, sender name).
class NotifyRecorder : public Ui::INotifyListener {
public:
    void Notify(Ui::CNotifyEvent& event) override;
    bool ignoreFocus = true;
    std::vector<std::pair<std::string, std::string>> events;
    std::vector<std::pair<WPARAM, LPARAM>> params;
    int Count(const char* type) const;
};

POINT CenterOf(Ui::CControlUI* control);

} // namespace TestSupport
