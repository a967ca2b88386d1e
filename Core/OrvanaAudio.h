// OrvanaAudio: one microphone (audio capture device). The recorder opens the
// microphone by its friendly name; the object itself captures nothing.
#pragma once

#include <windows.h>

#include <dshow.h>
#include <qedit.h>
#include <wrl/client.h>

#include "Core/GrabberCallback.h"

#include <string>

#include "Core/OrvanaCamera.h"

class OrvanaAudio final : public GrabberCallback {
public:
    OrvanaAudio(IMoniker* moniker, IBaseFilter* captureFilter, std::wstring friendlyName);
    OrvanaAudio(const OrvanaAudio&) = delete;
    OrvanaAudio& operator=(const OrvanaAudio&) = delete;
    ~OrvanaAudio();

    // Every buffer the grabber delivers goes to bufferCallback.
    HRESULT STDMETHODCALLTYPE BufferCB(double sampleTime, BYTE* buffer, LONG length) override;

    // The format of the microphone's own capture stream. No such stream is
    // ever opened, so this answers kNotAvailable and writes nothing.
    HRESULT GetCaptureFormat(AM_MEDIA_TYPE& format);

    // The name the recorder opens the microphone by: its friendly name, or,
    // when that holds a ":" (which FFmpeg's device string takes as the end of
    // the name), its alternative name: the moniker's display name with every
    // ":" made "_", which FFmpeg matches as well. Empty when neither is known.
    std::wstring RecorderName() const;

    Microsoft::WRL::ComPtr<IMoniker> moniker;
    Microsoft::WRL::ComPtr<IBaseFilter> captureFilter;
    std::wstring friendlyName;
    FrameCallback bufferCallback = nullptr;
};
