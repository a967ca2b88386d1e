#include "Core/CameraRegistry.h"

#include <windows.h>

#include <dshow.h>
#include <oleauto.h>
#include <uuids.h>

#include <algorithm>
#include <string>

#include "Core/ComHelpers.h"
#include "Core/DeviceListMerge.h"
#include "Core/DeviceResult.h"
#include "Core/OrvanaAudio.h"
#include "Core/OrvanaCamera.h"

using Microsoft::WRL::ComPtr;

namespace {

// Reads a text property of a device; empty when the bag does not give one.
std::wstring ReadText(IPropertyBag* bag, const wchar_t* name, bool acceptAnySuccess) {
    ScopedVariant text;
    text.value.vt = VT_BSTR;
    text.value.bstrVal = nullptr;
    const HRESULT hr = bag->Read(name, &text.value, nullptr);
    const bool taken = acceptAnySuccess ? SUCCEEDED(hr) : hr == S_OK;
    if (!taken || text.value.vt != VT_BSTR || text.value.bstrVal == nullptr) {
        return std::wstring();
    }
    return std::wstring(text.value.bstrVal, ::SysStringLen(text.value.bstrVal));
}

// Hands `take` the moniker, property bag and filter of each device of a
// category, at most kMaxDevices of them; a device that gives no property
// bag or no filter is passed over. False when the category cannot be listed
// (no device of it is there, or the system cannot list it).
template <class Take> bool ForEachDevice(ICreateDevEnum* devices, REFCLSID category, Take take) {
    ComPtr<IEnumMoniker> monikers;
    if (devices->CreateClassEnumerator(category, &monikers, 0) != S_OK || !monikers) {
        return false;
    }
    monikers->Reset();
    int taken = 0;
    ComPtr<IMoniker> device;
    while (taken < CameraRegistry::kMaxDevices &&
           monikers->Next(1, device.ReleaseAndGetAddressOf(), nullptr) == S_OK && device) {
        ComPtr<IPropertyBag> bag;
        if (FAILED(device->BindToStorage(nullptr, nullptr, IID_IPropertyBag, &bag)) || !bag) {
            continue;
        }
        ComPtr<IBaseFilter> filter;
        if (device->BindToObject(nullptr, nullptr, IID_IBaseFilter, &filter) != S_OK || !filter) {
            continue;
        }
        take(device.Get(), bag.Get(), filter.Get());
        ++taken;
    }
    return true;
}

// Moniker identity: two enumerations of the same device give equal monikers.
template <class Device> bool SameDevice(const Device& registered, const Device& found) {
    return registered.moniker && found.moniker &&
           registered.moniker->IsEqual(found.moniker.Get()) == S_OK;
}

} // namespace

CameraRegistry& CameraRegistry::Instance() {
    static CameraRegistry registry;
    return registry;
}

void CameraRegistry::EnumerateDevices(OrvanaCamera** foundCameras, int& cameraCount,
                                      OrvanaAudio** foundMicrophones, int& microphoneCount) {
    cameraCount = 0;
    microphoneCount = 0;
    ComPtr<ICreateDevEnum> devices;
    if (::CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                           IID_ICreateDevEnum, &devices) != S_OK ||
        !devices) {
        return;
    }
    int microphonesFound = 0;
    ForEachDevice(devices.Get(), CLSID_AudioInputDeviceCategory,
                  [&](IMoniker* device, IPropertyBag* bag, IBaseFilter* filter) {
                      foundMicrophones[microphonesFound++] =
                          new OrvanaAudio(device, filter, ReadText(bag, L"FriendlyName", false));
                  });
    int camerasFound = 0;
    const bool camerasListed =
        ForEachDevice(devices.Get(), CLSID_VideoInputDeviceCategory,
                      [&](IMoniker* device, IPropertyBag* bag, IBaseFilter* filter) {
                          foundCameras[camerasFound++] = new OrvanaCamera(
                              device, filter, ReadText(bag, L"FriendlyName", false),
                              ReadText(bag, L"DevicePath", true));
                      });
    // Without any camera nothing is reported, microphones included; the
    // microphone objects made above go again.
    if (!camerasListed) {
        for (int i = 0; i < microphonesFound; ++i) {
            delete foundMicrophones[i];
            foundMicrophones[i] = nullptr;
        }
        return;
    }
    microphoneCount = microphonesFound;
    cameraCount = camerasFound;
}

void CameraRegistry::MergeDevices(OrvanaCamera** foundCameras, int cameraCount, bool& cameraRemoved,
                                  OrvanaAudio** foundMicrophones, int microphoneCount,
                                  bool& microphoneRemoved) {
    // Merged into copies (only this thread writes the lists), swapped in
    // under the lock, and the cameras that left closed outside it: closing
    // waits for the streaming thread, which may be waiting for the lock.
    std::vector<OrvanaCamera*> mergedCameras = Cameras();
    std::vector<OrvanaCamera*> leftCameras;
    MergeDeviceList(mergedCameras, foundCameras, cameraCount, SameDevice<OrvanaCamera>,
                    [&leftCameras](OrvanaCamera& camera) { leftCameras.push_back(&camera); });
    // Microphones are known by identity like cameras, so the current one stays
    // the listed object. None ever has a graph of its own open, so one that
    // leaves needs no closing and never sets microphoneRemoved.
    (void)microphoneRemoved;
    std::vector<OrvanaAudio*> mergedMicrophones = Microphones();
    OrvanaAudio* const microphoneBefore = Microphone();
    bool currentMicrophoneLeft = false;
    MergeDeviceList(mergedMicrophones, foundMicrophones, microphoneCount, SameDevice<OrvanaAudio>,
                    [microphoneBefore, &currentMicrophoneLeft](OrvanaAudio& microphone) {
                        currentMicrophoneLeft =
                            currentMicrophoneLeft || &microphone == microphoneBefore;
                    });
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_cameras.swap(mergedCameras);
        m_microphones.swap(mergedMicrophones);
        // A camera that left is nobody's current camera any more: its
        // object stays alive, but nothing is to open or stop it again.
        if (std::find(m_cameras.begin(), m_cameras.end(), m_currentCamera) == m_cameras.end()) {
            m_currentCamera = nullptr;
        }
        // Recordings would otherwise go on opening a device that is gone,
        // silent although another microphone is there: the first one left
        // takes its place, none means pictures only.
        if (currentMicrophoneLeft) {
            m_currentMicrophone = m_microphones.empty() ? nullptr : m_microphones.front();
        }
    }
    for (OrvanaCamera* camera : leftCameras) {
        if (camera->opened) {
            camera->Close();
            cameraRemoved = true;
        }
    }
    DeleteUntaken(Cameras(), foundCameras, cameraCount);
    DeleteUntaken(Microphones(), foundMicrophones, microphoneCount);
}

OrvanaCamera* CameraRegistry::CurrentCamera() {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_cameras.empty()) {
        m_currentCamera = nullptr;
        return nullptr;
    }
    if (m_currentCamera == nullptr) {
        m_currentCamera = m_cameras.front();
    }
    return m_currentCamera;
}

OrvanaAudio* CameraRegistry::CurrentMicrophone() {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_microphones.empty()) {
        m_currentMicrophone = nullptr;
        return nullptr;
    }
    if (m_currentMicrophone == nullptr) {
        m_currentMicrophone = m_microphones.front();
    }
    return m_currentMicrophone;
}

OrvanaCamera* CameraRegistry::SetCurrentCamera(unsigned index) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (index >= m_cameras.size()) {
        return nullptr;
    }
    m_currentCamera = m_cameras[index];
    return m_currentCamera;
}

OrvanaAudio* CameraRegistry::SetCurrentMicrophone(unsigned index) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (index >= m_microphones.size()) {
        return nullptr;
    }
    m_currentMicrophone = m_microphones[index];
    return m_currentMicrophone;
}

std::vector<OrvanaCamera*> CameraRegistry::Cameras() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_cameras;
}

std::vector<OrvanaAudio*> CameraRegistry::Microphones() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_microphones;
}

OrvanaCamera* CameraRegistry::Current() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_cameras.empty() ? nullptr : m_currentCamera;
}

OrvanaAudio* CameraRegistry::Microphone() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_microphones.empty() ? nullptr : m_currentMicrophone;
}

void CameraRegistry::SetSampleSink(SampleSink* sink) {
    m_sampleSink = sink;
}

HRESULT CameraRegistry::SelectCamera(OrvanaCamera* camera, OrvanaAudio*, HWND window) {
    if (camera == nullptr) {
        return kNotAvailable;
    }
    OrvanaCamera* previous = nullptr;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        previous = m_currentCamera;
    }
    // The current camera, already open, is left as it is. A current camera
    // that is not open (made current by CurrentCamera or SetCurrentCamera)
    // is opened: otherwise it could never start.
    if (previous != nullptr && previous->moniker.Get() == camera->moniker.Get() &&
        previous->opened) {
        return camera->running ? S_OK : camera->startResult;
    }
    if (previous != nullptr) {
        previous->Stop();
        previous->Close();
    }
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_currentCamera = camera;
    }
    if (camera->opened) {
        camera->Close();
    }
    camera->notifyWindow = window;
    camera->ReleaseGraphObjects();
    HRESULT hr = camera->CreateGraphObjects();
    if (FAILED(hr)) {
        camera->startResult = hr;
        return hr;
    }
    hr = camera->BuildGraph(window, kGraphNotifyMessage);
    if (FAILED(hr)) {
        camera->startResult = hr;
        return hr;
    }
    camera->sampleSink = m_sampleSink.load();
    camera->opened = true;
    if (hr != S_OK) {
        // Opened without a graph: there is nothing that could run.
        camera->startResult = hr;
        return hr;
    }
    return camera->StartGraph();
}
