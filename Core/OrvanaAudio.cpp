#include "Core/OrvanaAudio.h"

#include <objbase.h>

#include "Core/DeviceResult.h"

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
    return kNotAvailable;
}

std::wstring OrvanaAudio::RecorderName() const {
    if (friendlyName.find(L':') == std::wstring::npos) {
        return friendlyName;
    }
    std::wstring alternative;
    Microsoft::WRL::ComPtr<IBindCtx> context;
    LPOLESTR display = nullptr;
    if (moniker && SUCCEEDED(::CreateBindCtx(0, &context)) &&
        SUCCEEDED(moniker->GetDisplayName(context.Get(), nullptr, &display)) &&
        display != nullptr) {
        alternative = display;
    }
    ::CoTaskMemFree(display);
    for (wchar_t& letter : alternative) {
        if (letter == L':') {
            letter = L'_';
        }
    }
    return alternative;
}
