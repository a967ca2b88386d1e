// GrabberCallback: the sample-grabber callback interface as the device
// objects implement it. Their lives belong to the camera registry, so the
// reference count is fixed and nothing is freed through it; samples arrive
// through BufferCB only (the grabber runs in buffer mode).
#pragma once

#include <windows.h>

#include <dshow.h>
#include <qedit.h>

class GrabberCallback : public ISampleGrabberCB {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
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
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SampleCB(double, IMediaSample*) override { return S_OK; }

protected:
    GrabberCallback() = default;
    ~GrabberCallback() = default;
};
