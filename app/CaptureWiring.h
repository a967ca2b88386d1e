// CaptureWiring: where the device layer meets capture. The main window makes
// the live preview, hands it to the engine and lets every camera the
// registry opens send its samples to the engine; a recording's start looks up
// what it needs of the devices here and hands it to the engine.
#pragma once

#include <windows.h>

#include <memory>

class CameraRegistry;
class CaptureEngine;
class LivePreview;
class PreviewRenderer;
struct RecordingSource;

// Makes the preview window inside parent and gives it to the engine, then
// makes the engine the registry's sample sink, so that the first camera
// opened afterwards finds the pipeline and the renderer ready. Null, with
// nothing wired, when a step fails or the engine has a preview already. A
// benchmark may hand in a renderer of its own.
LivePreview* WireCapture(CaptureEngine& engine, CameraRegistry& registry, HWND parent,
                         HINSTANCE instance, std::unique_ptr<PreviewRenderer> renderer = nullptr);

// What a recording of the registry's current camera and microphone needs:
// the format the camera delivers now and the microphone's name for the
// recorder (empty without one). False when there is no camera or it cannot
// tell its format.
bool CurrentRecordingSource(CameraRegistry& registry, RecordingSource& source);
