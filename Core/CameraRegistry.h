// CameraRegistry: the attached cameras and microphones and the current one
// of each. One per process; device objects it has listed live until the
// process ends, so pointers to them stay valid on every thread.
//
// The program's camera thread (app/CameraHost) is the only one that changes
// the lists and the current devices; every read and write takes the
// registry's lock, and the lists are handed out as copies, so a
// re-enumeration never changes a list another thread is walking.
#pragma once

#include <windows.h>

#include <atomic>
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
    // kept in its startResult: a failure code, or kNotAvailable when nothing could be
    // connected. A camera whose graph does not run is not a success.
    HRESULT SelectCamera(OrvanaCamera* camera, OrvanaAudio* microphone, HWND notifyWindow);

    // Copies of the lists, in the order the devices were first seen.
    std::vector<OrvanaCamera*> Cameras();
    std::vector<OrvanaAudio*> Microphones();
    // The current device, or none (also while the list is empty); unlike
    // CurrentCamera, none is made current.
    OrvanaCamera* Current();
    OrvanaAudio* Microphone();

    // Where the samples of every camera SelectCamera opens from now on go.
    // The capture wiring sets it to the engine once the preview exists.
    void SetSampleSink(SampleSink* sink);
    SampleSink* Sink() const { return m_sampleSink.load(); }

private:
    CameraRegistry() = default;

    std::mutex m_lock; // guards the lists and the current devices
    OrvanaCamera* m_currentCamera = nullptr;
    OrvanaAudio* m_currentMicrophone = nullptr;
    std::vector<OrvanaCamera*> m_cameras;
    std::vector<OrvanaAudio*> m_microphones;
    std::atomic<SampleSink*> m_sampleSink{nullptr};
};
