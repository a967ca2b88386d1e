#include "tests/win32/TestWindow.h"

#include <cstring>

namespace TestSupport {

void UseSkinArchive() {
    static std::vector<unsigned char> archive;
    if (!archive.empty()) {
        return;
    }
    if (!Ui::CResourceCache::ReadModuleResource(MAKEINTRESOURCEA(101), "ZIPRES", archive)) {
        return;
    }
    Ui::CResourceCache::SetResourceZip(archive.data(), static_cast<unsigned>(archive.size()));
}

TestWindow::~TestWindow() {
    if (::IsWindow(GetHWND())) {
        ::DestroyWindow(GetHWND());
    }
}

LRESULT TestWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (manager.MessageHandler(message, wParam, lParam, result)) {
        return result;
    }
    return CWindowBase::HandleMessage(message, wParam, lParam);
}

Ui::CControlUI* TestWindow::Build(const char* markup, int width, int height, int x, int y) {
    m_width = width;
    m_height = height;
    // Hidden: messages are sent directly and pixels come from WM_PRINTCLIENT,
    // and Wine need not wait for a window manager to map it.
    Create(nullptr, "test", WS_POPUP, 0, x, y, width, height);
    manager.Init(GetHWND());
    Ui::CSkinBuilder builder;
    Ui::CControlUI* root = builder.Create(markup, nullptr, nullptr, &manager, nullptr);
    if (root == nullptr) {
        return nullptr;
    }
    ::SetWindowPos(GetHWND(), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    manager.AttachDialog(root);
    Layout();
    return root;
}

void TestWindow::Layout() {
    RECT client{};
    ::GetClientRect(GetHWND(), &client);
    if (manager.GetRoot() != nullptr) {
        manager.GetRoot()->SetPos(client);
    }
}

void TestWindow::MouseMove(int x, int y) {
    SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}

void TestWindow::LeftDown(int x, int y) {
    SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
}

void TestWindow::LeftUp(int x, int y) {
    SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void TestWindow::Click(int x, int y) {
    MouseMove(x, y);
    LeftDown(x, y);
    LeftUp(x, y);
}

void TestWindow::Wheel(int x, int y, bool awayFromUser) {
    POINT screen{x, y};
    ::ClientToScreen(GetHWND(), &screen);
    SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, awayFromUser ? WHEEL_DELTA : -WHEEL_DELTA),
                MAKELPARAM(screen.x, screen.y));
}

void TestWindow::Key(UINT virtualKey) {
    MSG message{GetHWND(), WM_KEYDOWN, virtualKey, 0, 0, {}};
    if (!Ui::CPaintManager::TranslateMessage(&message)) {
        SendMessage(WM_KEYDOWN, virtualKey, 0);
    }
}

std::vector<uint32_t> TestWindow::Render() {
    std::vector<uint32_t> pixels(static_cast<size_t>(m_width) * m_height);
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = m_width;
    info.bmiHeader.biHeight = -m_height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    ::GdiFlush();
    std::memcpy(pixels.data(), bits, pixels.size() * 4);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

void NotifyRecorder::Notify(Ui::CNotifyEvent& event) {
    if (ignoreFocus && (event.type == "setfocus" || event.type == "killfocus")) {
        return;
    }
    std::string sender = event.sender != nullptr ? event.sender->GetName().GetData() : "";
    events.emplace_back(event.type.GetData(), sender);
    params.emplace_back(event.wParam, event.lParam);
}

int NotifyRecorder::Count(const char* type) const {
    int count = 0;
    for (const auto& event : events) {
        if (event.first == type) {
            ++count;
        }
    }
    return count;
}

POINT CenterOf(Ui::CControlUI* control) {
    RECT r = control->GetPos();
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

} // namespace TestSupport
