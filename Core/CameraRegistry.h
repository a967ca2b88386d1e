// CameraRegistry: the attached cameras and microphones and the current one
// of each. One per process; device objects live until the process ends.
#pragma once

#include <windows.h>

#include <vector>

class OrvanaCamera;
class OrvanaAudio;

class CameraRegistry {
public:
    static constexpr int kMaxDevices = 10;

    static CameraRegistry& Instance();

    // Fills the arrays (kMaxDevices entries each) with new device objects.
    void EnumerateDevices(OrvanaCamera** cameras, int& cameraCount, OrvanaAudio** microphones,
                          int& microphoneCount);
    // Merges an enumeration into the lists; sets the flags when a device went away.
    void MergeDevices(OrvanaCamera** cameras, int cameraCount, bool& cameraRemoved,
                      OrvanaAudio** microphones, int microphoneCount, bool& microphoneRemoved);
    OrvanaCamera* CurrentCamera();
    OrvanaAudio* CurrentMicrophone();
    OrvanaCamera* SetCurrentCamera(unsigned index);
    OrvanaAudio* SetCurrentMicrophone(unsigned index);
    // Makes the camera current and opens and runs it.
    void SelectCamera(OrvanaCamera* camera, OrvanaAudio* microphone, HWND notifyWindow);

    OrvanaCamera* currentCamera = nullptr;
    OrvanaAudio* currentMicrophone = nullptr;
    std::vector<OrvanaCamera*> cameras;
    std::vector<OrvanaAudio*> microphones;

private:
    CameraRegistry() = default;
};
