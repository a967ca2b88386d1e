#include "Core/OrvanaAudio.h"

#include <utility>

OrvanaAudio::OrvanaAudio(IMoniker* deviceMoniker, IBaseFilter* deviceFilter, std::wstring name)
    : moniker(deviceMoniker), captureFilter(deviceFilter), friendlyName(std::move(name)) {}

OrvanaAudio::~OrvanaAudio() = default;

HRESULT STDMETHODCALLTYPE OrvanaAudio::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(iid, IID_ISampleGrabberCB) || IsEqualIID(iid, IID_IUnknown)) {
        *out = static_cast<ISampleGrabberCB*>(this);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE OrvanaAudio::AddRef() {
    return 2;
}

ULONG STDMETHODCALLTYPE OrvanaAudio::Release() {
    return 1;
}

HRESULT STDMETHODCALLTYPE OrvanaAudio::SampleCB(double, IMediaSample*) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OrvanaAudio::BufferCB(double sampleTime, BYTE* buffer, LONG length) {
    const FrameCallback callback = bufferCallback;
    if (callback != nullptr) {
        callback(sampleTime, buffer, length);
    }
    return S_OK;
}

HRESULT OrvanaAudio::GetCaptureFormat(AM_MEDIA_TYPE&) {
    return 1;
}
