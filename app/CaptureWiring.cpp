#include "app/CaptureWiring.h"

#include <utility>

#include "Core/CameraRegistry.h"
#include "Core/OrvanaAudio.h"
#include "Core/OrvanaCamera.h"
#include "capture/CaptureEngine.h"
#include "preview/LivePreview.h"
#include "preview/PreviewRenderer.h"

LivePreview* WireCapture(CaptureEngine& engine, CameraRegistry& registry, HWND parent,
                         HINSTANCE instance, std::unique_ptr<PreviewRenderer> renderer) {
    // A second preview is refused by Create: there is one per process.
    std::unique_ptr<LivePreview> preview =
        LivePreview::Create(parent, instance, std::move(renderer));
    LivePreview* shown = preview.get();
    if (!preview || !engine.AttachPreview(std::move(preview))) {
        return nullptr;
    }
    registry.SetSampleSink(&engine);
    return shown;
}

bool CurrentRecordingSource(CameraRegistry& registry, RecordingSource& source) {
    OrvanaCamera* camera = registry.CurrentCamera();
    if (camera == nullptr) {
        return false;
    }
    int frameRate = 0;
    if (camera->GetCurrentFormat(source.format, frameRate) != 0) {
        return false;
    }
    source.frameRate = frameRate;
    // The microphone is opened by name: its sound goes to the recording on
    // the microphone's own thread, which never touches the registry (the UI
    // thread changes its lists when devices come and go).
    OrvanaAudio* microphone = registry.CurrentMicrophone();
    source.microphoneName = microphone != nullptr ? microphone->RecorderName() : L"";
    return true;
}
