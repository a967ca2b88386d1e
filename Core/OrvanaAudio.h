// OrvanaAudio: one microphone (audio capture device). The recorder opens the
// microphone by its friendly name; the object itself captures nothing.
#pragma once

#include <windows.h>

#include <dshow.h>
#include <qedit.h>
#include <wrl/client.h>

#include <string>

#include "Core/OrvanaCamera.h"

class OrvanaAudio : public ISampleGrabberCB {
public:
    OrvanaAudio(IMoniker* moniker, IBaseFilter* captureFilter, std::wstring friendlyName);
    OrvanaAudio(const OrvanaAudio&) = delete;
    OrvanaAudio& operator=(const OrvanaAudio&) = delete;
    ~OrvanaAudio();

    // ISampleGrabberCB, with the same fixed reference count as the camera.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE SampleCB(double sampleTime, IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE BufferCB(double sampleTime, BYTE* buffer, LONG length) override;

    // The format of the microphone's own capture stream. No such stream is
    // ever opened, so this answers 1 (not available) and writes nothing.
    HRESULT GetCaptureFormat(AM_MEDIA_TYPE& format);

    Microsoft::WRL::ComPtr<IMoniker> moniker;
    Microsoft::WRL::ComPtr<IBaseFilter> captureFilter;
    std::wstring friendlyName;
    FrameCallback bufferCallback = nullptr;
};
