#include "capture/CaptureEngine.h"

CaptureEngine& CaptureEngine::Instance() {
    static CaptureEngine engine;
    return engine;
}

void CaptureEngine::StopRecording() { recording = false; }

void CaptureEngine::RequestStop() { state = 2; }
