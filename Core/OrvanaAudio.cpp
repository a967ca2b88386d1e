#include "Core/OrvanaAudio.h"

#include <utility>

OrvanaAudio::OrvanaAudio(IMoniker* deviceMoniker, IBaseFilter* deviceFilter, std::wstring name)
    : moniker(deviceMoniker), captureFilter(deviceFilter), friendlyName(std::move(name)) {}

OrvanaAudio::~OrvanaAudio() = default;

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
