// The program's entry: a frameless skinned window and its message loop.
#include <objbase.h>
#include <windows.h>

#include "app/MainWindow.h"
#include "ui/PaintManager.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    Ui::CResourceCache::SetInstance(instance);
    Ui::CResourceCache::SetResourcePath(Ui::CResourceCache::GetInstancePath());

    if (FAILED(::CoInitialize(nullptr))) {
        return 0;
    }

    static MainWindow window;
    // WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
    // the caption goes again in WM_CREATE, once the skin has drawn its own.
    window.Create(nullptr, nullptr, 0x96C80000, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                  CW_USEDEFAULT, nullptr);
    window.CenterWindow();
    window.ShowWindow(true, true);
    Ui::CPaintManager::MessageLoop();
    // Nothing answers the window's messages from here on: it goes now, not
    // with the process, so that no other program waits on it meanwhile.
    if (::IsWindow(window.GetHWND())) {
        ::DestroyWindow(window.GetHWND());
    }

    ::CoUninitialize();
    return 0;
}
