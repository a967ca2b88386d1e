# Source lists shared by the Windows build and the native test build.
#
# NEUTRAL sources never include windows.h: they build natively on Linux too,
# where their tests run under AddressSanitizer and UndefinedBehaviorSanitizer.
# WIN32 sources need the Windows headers and are only cross-built.

set(ORVANA_NEUTRAL_SOURCES
    settings/AppSettings.cpp
    settings/SettingsFormat.cpp
    ui/UiString.cpp
)

set(ORVANA_WIN32_SOURCES
    settings/SettingsFile.cpp
    ui/WindowBase.cpp
    ui/PaintManager.cpp
    ui/ControlUI.cpp
    ui/ContainerUI.cpp
    ui/VerticalLayoutUI.cpp
    ui/SkinBuilder.cpp
    ui/ResourceArchive.cpp
    Core/CameraRegistry.cpp
    Core/OrvanaCamera.cpp
    Core/OrvanaAudio.cpp
    capture/CaptureEngine.cpp
    preview/CaptureViewUI.cpp
    app/MainWindow.cpp
    app/ControlPanel.cpp
)
