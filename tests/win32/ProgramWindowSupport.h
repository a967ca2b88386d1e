// What the tests of the program's own window share: the window, made once
// per process as in the program (the framework keeps reading the skin
// archive it owns), and the steps a user or a device takes on it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "Core/CameraRegistry.h"
#include "Core/OrvanaCamera.h"
#include "app/CameraHost.h"
#include "app/CameraMemory.h"
#include "app/MainWindow.h"
#include "settings/SettingsFile.h"
#include "tests/support/MessagePump.h"
#include "tests/win32/CameraTestSupport.h"
#include "tools/testdevices/TestDeviceControl.h"
#include "ui/OptionUI.h"
#include "ui/PaintManager.h"

namespace ProgramWindow {

inline MainWindow*& Window() {
    static MainWindow* window = nullptr;
    return window;
}

// Serves the window's messages until the camera thread has done what it was
// asked (settle times included) and the window has taken its news.
inline ::testing::AssertionResult Settle(DWORD timeoutMs = 20000) {
    CameraHost* cameras = Window() != nullptr ? Window()->GetCameras() : nullptr;
    if (cameras == nullptr) {
        return ::testing::AssertionFailure() << "the window has no camera thread";
    }
    if (!TestSupport::WaitFor([cameras] { return cameras->Idle(); }, timeoutMs)) {
        return ::testing::AssertionFailure()
               << "the camera thread was still busy after " << timeoutMs << " ms";
    }
    TestSupport::Pump(20);
    return ::testing::AssertionSuccess();
}

// Opens the program's window with these devices plugged in, once per
// process; without setting.ini, since one an interrupted run left must not
// choose the skin.
inline void Open(const TestDevices::Configuration& devices) {
    ::DeleteFileW(SettingsFilePath().c_str());
    ASSERT_TRUE(TestDevices::SaveConfiguration(devices));
    if (Window() != nullptr) {
        return;
    }
    Window() = new MainWindow();
    ASSERT_NE(Window()->Create(nullptr, nullptr, 0x96C80000, 0), nullptr);
    Window()->ShowWindow(true, true);
    TestSupport::Pump(200);
    ASSERT_TRUE(Settle());
}

// Every device leaves, then these arrive as newly plugged ones (first
// format, default properties), in their order; without a camera the user
// chose before, the window opens the first camera. An arrival alone would
// keep the cameras an earlier test left, in the order they came back.
inline ::testing::AssertionResult ArriveAnew(const TestDevices::Configuration& devices) {
    if (!TestDevices::SaveConfiguration(TestDevices::Configuration())) {
        return ::testing::AssertionFailure() << "the devices could not be unplugged";
    }
    TestDevices::NotifyDeviceChange(CameraTest::PathOf(1), false);
    if (::testing::AssertionResult settled = Settle(); !settled) {
        return settled;
    }
    // The camera an earlier test chose would be shown instead of the first.
    ::DeleteFileW(CameraMemory::DefaultPath().c_str());
    if (!TestDevices::SaveConfiguration(devices)) {
        return ::testing::AssertionFailure() << "the devices could not be configured";
    }
    TestDevices::NotifyDeviceChange(CameraTest::PathOf(1), true);
    if (::testing::AssertionResult settled = Settle(); !settled) {
        return settled;
    }
    std::size_t plugged = 0;
    const TestDevices::CameraConfig* first = nullptr;
    for (const TestDevices::CameraConfig& camera : devices.cameras) {
        if (camera.plugged) {
            first = first != nullptr ? first : &camera;
            ++plugged;
        }
    }
    CameraRegistry& registry = CameraRegistry::Instance();
    if (registry.Cameras().size() != plugged) {
        return ::testing::AssertionFailure()
               << registry.Cameras().size() << " cameras listed, not " << plugged;
    }
    if (first != nullptr && (registry.Current() != registry.Cameras()[0] ||
                             registry.Current()->friendlyName != first->name)) {
        return ::testing::AssertionFailure() << "the first camera is not the current one";
    }
    return ::testing::AssertionSuccess();
}

template <class T> T* Control(const char* name, const char* kind) {
    Ui::CControlUI* control = Window()->GetPaintManager().FindControl(name);
    return control != nullptr ? static_cast<T*>(control->GetInterface(kind)) : nullptr;
}

// The record option of the bottom bar pressed as the framework presses an
// option ("click" first, then it flips), its row shown meanwhile: the
// shipped skin keeps that row hidden.
inline ::testing::AssertionResult PressRecord() {
    Ui::COptionUI* record = Control<Ui::COptionUI>("id_btn_capture", "Option");
    if (record == nullptr) {
        return ::testing::AssertionFailure() << "the skin has no record option";
    }
    record->GetParent()->SetVisible(true);
    const bool activated = record->Activate();
    record->GetParent()->SetVisible(false);
    if (::testing::AssertionResult settled = Settle(); !settled) {
        return settled;
    }
    if (!activated) {
        return ::testing::AssertionFailure() << "the record option would not activate";
    }
    return ::testing::AssertionSuccess();
}

} // namespace ProgramWindow
