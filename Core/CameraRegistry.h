// CameraRegistry: the attached cameras and microphones and the current one
// of each. One per process; device objects it has listed live until the
// process ends, so pointers to them stay valid on every thread.
//
// The lists and the current pointers are written on the user-interface
// thread only. The streaming and audio threads read them through
// CurrentCamera and CurrentMicrophone; those reads and every write take the
// registry's lock, so a re-enumeration never frees a list another thread is
// walking. The user-interface thread reads the fields directly.
#pragma once

#include <windows.h>

#include <mutex>
#include <vector>

#include "Core/OrvanaCamera.h"

class OrvanaAudio;

class CameraRegistry {
public:
    static constexpr int kMaxDevices = 10;

    static CameraRegistry& Instance();

    // Fills the arrays (kMaxDevices entries each) with new device objects.
    // With no camera attached both counts stay 0, microphones or not.
    void EnumerateDevices(OrvanaCamera** cameras, int& cameraCount, OrvanaAudio** microphones,
                          int& microphoneCount);
    // Merges an enumeration into the lists, keeping the older object of every
    // device already held and deleting the enumeration's new object for it.
    // Sets a flag (never clears it) when an open device left; an open camera
    // that left is stopped and closed first.
    void MergeDevices(OrvanaCamera** cameras, int cameraCount, bool& cameraRemoved,
                      OrvanaAudio** microphones, int microphoneCount, bool& microphoneRemoved);
    // The current device; the first one becomes current when none is.
    OrvanaCamera* CurrentCamera();
    OrvanaAudio* CurrentMicrophone();
    // Makes the device at index current (without opening it); nullptr and
    // no change when index is out of range.
    OrvanaCamera* SetCurrentCamera(unsigned index);
    OrvanaAudio* SetCurrentMicrophone(unsigned index);
    // Closes the previous camera, makes camera current, opens and runs it.
    // The microphone is accepted and not used. S_OK when the camera runs (or
    // was already the open current one); otherwise why it does not, also
    // kept in its startResult: a failure code, or 1 when nothing could be
    // connected. A camera whose graph does not run is not a success.
    HRESULT SelectCamera(OrvanaCamera* camera, OrvanaAudio* microphone, HWND notifyWindow);

    OrvanaCamera* currentCamera = nullptr;
    OrvanaAudio* currentMicrophone = nullptr;
    std::vector<OrvanaCamera*> cameras;
    std::vector<OrvanaAudio*> microphones;
    // Given to every camera SelectCamera opens: where its samples go. The
    // main window sets it to the capture engine once the preview exists.
    SampleSink* sampleSink = nullptr;

private:
    CameraRegistry() = default;

    std::mutex m_lock;
};
