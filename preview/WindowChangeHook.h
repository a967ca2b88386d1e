// WindowChangeHook: feeds the preview's DrawingGate from the window thread.
// Every window of the thread that is about to be moved, sized, shown or
// hidden (WM_WINDOWPOSCHANGING, whoever caused it: the program, the user's
// drag, a list that opens, a system dialog) holds the preview's drawing off
// until the thread next takes a message from its queue, which is after the
// change and everything it set off are done. It also counts the display
// changes the thread's top-level windows are told of, which the preview's
// child window never hears.
#pragma once

#include <windows.h>

// How many display changes (WM_DISPLAYCHANGE, sent to the top-level windows
// only) the hooked threads have seen; any thread may ask.
unsigned DisplayChangesSeen();

class WindowChangeHook {
public:
    // Installs the hooks for the calling thread; false when Windows refused.
    bool Install();
    WindowChangeHook() = default;
    ~WindowChangeHook();
    WindowChangeHook(const WindowChangeHook&) = delete;
    WindowChangeHook& operator=(const WindowChangeHook&) = delete;

private:
    HHOOK m_sent = nullptr;
    HHOOK m_taken = nullptr;
};
