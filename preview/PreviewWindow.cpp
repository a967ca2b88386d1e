#include "preview/PreviewWindow.h"

#include "preview/PreviewMessage.h"

namespace {

const char kPreviewClass[] = "PreviewClass";

LRESULT CALLBACK PreviewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Direct3D draws the picture; the class background erases to black, and
    // while there is no picture the words why are drawn on it.
    if (message == WM_PAINT && PaintPreviewMessage(window)) {
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

bool RegisterPreviewClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = PreviewWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kPreviewClass;
    return ::RegisterClassExA(&windowClass) != 0;
}

HWND CreatePreviewWindowHandle(HWND parent, HINSTANCE instance) {
    return ::CreateWindowExA(0, kPreviewClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0,
                             0, 0, 0, parent, nullptr, instance, nullptr);
}
