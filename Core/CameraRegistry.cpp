#include "Core/CameraRegistry.h"

#include "Core/OrvanaAudio.h"
#include "Core/OrvanaCamera.h"

CameraRegistry& CameraRegistry::Instance() {
    static CameraRegistry registry;
    return registry;
}

void CameraRegistry::EnumerateDevices(OrvanaCamera**, int& cameraCount, OrvanaAudio**,
                                      int& microphoneCount) {
    // Device enumeration through DirectShow comes with the device layer.
    cameraCount = 0;
    microphoneCount = 0;
}

void CameraRegistry::MergeDevices(OrvanaCamera** found, int cameraCount, bool&,
                                  OrvanaAudio** foundMicrophones, int microphoneCount, bool&) {
    for (int i = 0; i < cameraCount; ++i) {
        cameras.push_back(found[i]);
    }
    microphones.clear();
    for (int i = 0; i < microphoneCount; ++i) {
        microphones.push_back(foundMicrophones[i]);
    }
}

OrvanaCamera* CameraRegistry::CurrentCamera() {
    if (cameras.empty()) {
        currentCamera = nullptr;
        return nullptr;
    }
    if (currentCamera == nullptr) {
        currentCamera = cameras.front();
    }
    return currentCamera;
}

OrvanaAudio* CameraRegistry::CurrentMicrophone() {
    if (microphones.empty()) {
        currentMicrophone = nullptr;
        return nullptr;
    }
    if (currentMicrophone == nullptr) {
        currentMicrophone = microphones.front();
    }
    return currentMicrophone;
}

OrvanaCamera* CameraRegistry::SetCurrentCamera(unsigned index) {
    if (index >= cameras.size()) {
        return nullptr;
    }
    currentCamera = cameras[index];
    return currentCamera;
}

OrvanaAudio* CameraRegistry::SetCurrentMicrophone(unsigned index) {
    if (index >= microphones.size()) {
        return nullptr;
    }
    currentMicrophone = microphones[index];
    return currentMicrophone;
}

void CameraRegistry::SelectCamera(OrvanaCamera* camera, OrvanaAudio*, HWND notifyWindow) {
    if (camera == nullptr || camera == currentCamera && camera->opened) {
        return;
    }
    if (currentCamera != nullptr && currentCamera->opened) {
        currentCamera->Close();
    }
    currentCamera = camera;
    camera->notifyWindow = notifyWindow;
}
