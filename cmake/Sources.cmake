# Source lists shared by the Windows build and the native test build.
#
# NEUTRAL sources never include windows.h: they build natively on Linux too,
# where their tests run under AddressSanitizer and UndefinedBehaviorSanitizer.
# WIN32 sources need the Windows headers and are only cross-built.

# Finishing a fragmented recording in place (MP4 boxes, fragment index, the
# ordinary movie box, the finishing steps).
set(ORVANA_MP4_FINISH_SOURCES
    capture/Mp4Boxes.cpp
    capture/FragmentedMp4Index.cpp
    capture/Mp4MovieBox.cpp
    capture/Mp4InPlaceFinisher.cpp
    capture/Mp4HeaderCopy.cpp
)

set(ORVANA_NEUTRAL_SOURCES
    ${ORVANA_MP4_FINISH_SOURCES}
    app/LanguageTable.cpp
    app/FormatLists.cpp
    settings/AppSettings.cpp
    settings/SettingsFormat.cpp
    ui/UiString.cpp
    ui/ImageDecoder.cpp
    ui/AttributeValues.cpp
    ui/ImageDescription.cpp
    ui/ImageSlicing.cpp
    ui/PixelConversion.cpp
    ui/LayoutMath.cpp
    ui/SizeEstimation.cpp
    ui/ScrollMath.cpp
    ui/SliderMath.cpp
    ui/DropDownPlacement.cpp
    ui/XmlDocument.cpp
    ui/ZipArchive.cpp
    ui/ResourceArchive.cpp
    Core/FormatRules.cpp
    capture/PictureConversion.cpp
    capture/UncompressedLayout.cpp
    capture/OutputNaming.cpp
    capture/RecordingClock.cpp
    preview/PreviewFit.cpp
    preview/SurfaceCopy.cpp
    preview/DrawingGate.cpp
)

# Stand-ins for Windows-only services, used by the native build alone.
set(ORVANA_NATIVE_ONLY_SOURCES
    ui/TextEncodingUtf8.cpp
    capture/PosixRandomAccessFile.cpp
)

set(ORVANA_WIN32_SOURCES
    settings/SettingsFile.cpp
    ui/WindowBase.cpp
    ui/PaintManager.cpp
    ui/ControlTimers.cpp
    ui/ControlUI.cpp
    ui/ContainerUI.cpp
    ui/ScrollBarUI.cpp
    ui/ListLabelElementUI.cpp
    ui/ComboUI.cpp
    ui/ComboWindow.cpp
    ui/VerticalLayoutUI.cpp
    ui/HorizontalLayoutUI.cpp
    ui/ControlFactory.cpp
    ui/LabelUI.cpp
    ui/ButtonUI.cpp
    ui/OptionUI.cpp
    ui/ProgressUI.cpp
    ui/SliderUI.cpp
    ui/ImageBitmap.cpp
    ui/ResourceCache.cpp
    ui/Render.cpp
    ui/SkinBuilder.cpp
    ui/TextEncodingWin32.cpp
    Core/CameraRegistry.cpp
    Core/OrvanaCamera.cpp
    Core/CaptureGraph.cpp
    Core/CameraFormats.cpp
    Core/CameraProperties.cpp
    Core/MediaTypes.cpp
    Core/OrvanaAudio.cpp
    Core/EndpointVolume.cpp
    capture/CaptureEngine.cpp
    capture/MediaPipeline.cpp
    capture/OutputFolder.cpp
    capture/OutputFile.cpp
    capture/MonotonicClock.cpp
    capture/RecordingFile.cpp
    capture/Win32RandomAccessFile.cpp
    capture/Recorder.cpp
    capture/RecordingThread.cpp
    capture/RecordingRepair.cpp
    capture/AudioInput.cpp
    capture/PhotoWriter.cpp
    preview/CaptureViewUI.cpp
    preview/PreviewWindow.cpp
    preview/LivePreview.cpp
    preview/PreviewRenderer.cpp
    preview/WindowChangeHook.cpp
    app/MainWindow.cpp
    app/ControlPanel.cpp
    app/PanelControls.cpp
    app/PropertyPanel.cpp
    app/FormatPanel.cpp
    app/FormatSwitch.cpp
    app/RecordingBar.cpp
    app/CameraList.cpp
)
