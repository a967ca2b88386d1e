#include "Core/MicrophoneStartCheck.h"

#include <dshow.h>
#include <wrl/client.h>

#include "Core/ComHelpers.h"
#include "Core/OrvanaAudio.h"

using Microsoft::WRL::ComPtr;

namespace {

// Null Renderer, of qedit (its header's declaration is not in every SDK).
const CLSID kNullRenderer = {
    0xC1F400A4, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};

ComPtr<IPin> FirstPin(IBaseFilter* filter, PIN_DIRECTION wanted) {
    ComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(&pins))) {
        return nullptr;
    }
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        PIN_DIRECTION direction;
        if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == wanted) {
            return pin;
        }
    }
    return nullptr;
}

HRESULT RunAlone(IBaseFilter* microphone) {
    ComPtr<IGraphBuilder> graph;
    ComPtr<IBaseFilter> renderer;
    HRESULT result =
        ::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph));
    if (SUCCEEDED(result)) {
        result = ::CoCreateInstance(kNullRenderer, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_PPV_ARGS(&renderer));
    }
    if (SUCCEEDED(result)) {
        result = graph->AddFilter(microphone, L"Microphone");
    }
    if (SUCCEEDED(result)) {
        result = graph->AddFilter(renderer.Get(), L"Null Renderer");
    }
    ComPtr<IPin> output = SUCCEEDED(result) ? FirstPin(microphone, PINDIR_OUTPUT) : nullptr;
    ComPtr<IPin> input = SUCCEEDED(result) ? FirstPin(renderer.Get(), PINDIR_INPUT) : nullptr;
    if (SUCCEEDED(result) && (output == nullptr || input == nullptr)) {
        result = VFW_E_NOT_FOUND;
    }
    if (SUCCEEDED(result)) {
        result = graph->ConnectDirect(output.Get(), input.Get(), nullptr);
    }
    // The microphone itself is asked, not the graph: a graph manager may
    // take a source's refusal for a live source's late start (Wine's does).
    // The driver opens the device on the way to Paused; Run starts it.
    if (SUCCEEDED(result)) {
        renderer->Pause();
        result = microphone->Pause();
    }
    if (SUCCEEDED(result)) {
        result = microphone->Run(0);
    }
    microphone->Stop();
    if (renderer) {
        renderer->Stop();
    }
    if (graph) {
        graph->RemoveFilter(microphone);
        if (renderer) {
            graph->RemoveFilter(renderer.Get());
        }
    }
    return FAILED(result) ? result : S_OK;
}

HRESULT FindAndRun(const std::wstring& recorderName) {
    ComPtr<ICreateDevEnum> devices;
    HRESULT result = ::CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_PPV_ARGS(&devices));
    if (FAILED(result)) {
        return result;
    }
    ComPtr<IEnumMoniker> monikers;
    if (devices->CreateClassEnumerator(CLSID_AudioInputDeviceCategory, &monikers, 0) != S_OK) {
        return kMicrophoneNotFound;
    }
    ComPtr<IMoniker> moniker;
    while (monikers->Next(1, moniker.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        ComPtr<IPropertyBag> properties;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_PPV_ARGS(&properties)))) {
            continue;
        }
        ScopedVariant name;
        name.value.vt = VT_BSTR;
        if (properties->Read(L"FriendlyName", &name.value, nullptr) != S_OK ||
            name.value.vt != VT_BSTR || name.value.bstrVal == nullptr) {
            continue;
        }
        ComPtr<IBaseFilter> filter;
        if (moniker->BindToObject(nullptr, nullptr, IID_PPV_ARGS(&filter)) != S_OK) {
            continue;
        }
        // Named as the recorder names it, so that a name with a ":" matches too.
        const OrvanaAudio device(moniker.Get(), filter.Get(), name.value.bstrVal);
        if (device.RecorderName() == recorderName) {
            return RunAlone(filter.Get());
        }
    }
    return kMicrophoneNotFound;
}

} // namespace

HRESULT StartMicrophoneAlone(const std::wstring& recorderName) {
    if (recorderName.empty()) {
        return kMicrophoneNotFound;
    }
    // The caller's thread may not have COM yet (a recording started from a test).
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const HRESULT result = FindAndRun(recorderName);
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    return result;
}
