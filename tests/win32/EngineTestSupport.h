// What the capture tests share: the engine with its preview in a window, as
// the main window holds it, and the recordings in the output folder.
#pragma once

#include <windows.h>

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "Core/CameraRegistry.h"
#include "app/CaptureWiring.h"
#include "capture/CaptureEngine.h"
#include "capture/OutputFolder.h"
#include "preview/LivePreview.h"
#include "tests/win32/CameraTestSupport.h"
#include "tools/testdevices/TestDeviceControl.h"

namespace EngineTest {

inline LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(window, message, wParam, lParam);
}

// The engine with its preview in a 640 x 480 child window of a top-level
// window of class windowClass, made on the first call.
inline CaptureEngine& EngineWithPreview(const char* windowClass) {
    static HWND parent = [windowClass] {
        WNDCLASSA parentClass{};
        parentClass.lpfnWndProc = ParentProc;
        parentClass.hInstance = ::GetModuleHandleA(nullptr);
        parentClass.lpszClassName = windowClass;
        ::RegisterClassA(&parentClass);
        HWND window = ::CreateWindowExA(0, windowClass, "", WS_POPUP | WS_VISIBLE, 0, 0, 660, 500,
                                        nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        WireCapture(CaptureEngine::Instance(), CameraRegistry::Instance(), window,
                    ::GetModuleHandleA(nullptr));
        ::MoveWindow(LivePreview::Current()->Window(), 10, 10, 640, 480, TRUE);
        return window;
    }();
    (void)parent;
    return CaptureEngine::Instance();
}

// Where each test of the engine with the synthetic devices begins: the
// preview made, no device in the registry, its cameras feeding the engine,
// the devices as configured by default.
inline ::testing::AssertionResult ReadyWithDefaultDevices(CaptureEngine& engine) {
    if (!engine.PreviewReady()) {
        return ::testing::AssertionFailure() << "the engine has no preview";
    }
    CameraTest::ResetRegistry();
    CameraRegistry::Instance().SetSampleSink(&engine);
    if (!TestDevices::ResetConfiguration()) {
        return ::testing::AssertionFailure() << "the synthetic devices were not reset";
    }
    return ::testing::AssertionSuccess();
}

// Records the registry's current camera and microphone, as the record button
// does: into path, or into a new file in the output folder when path is empty.
inline bool RecordCurrentCamera(CaptureEngine& engine, const std::string& path = std::string()) {
    RecordingSource source;
    if (!CurrentRecordingSource(CameraRegistry::Instance(), source)) {
        return false;
    }
    return path.empty() ? engine.StartRecording(source) : engine.StartRecordingTo(path, source);
}

// The full paths of the recordings in the preview's output folder.
inline std::set<std::string> Recordings() {
    std::set<std::string> names;
    const std::string folder = OutputFolder(LivePreview::Current()->Window());
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA((folder + "\\*.mp4").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::string name = found.cFileName;
        // The pattern also meets longer endings through short names.
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".mp4") == 0) {
            names.insert(folder + "\\" + name);
        }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return names;
}

} // namespace EngineTest
