// The camera's stream formats: the lists read from its output pins, the
// switch to another format and the format the capture pin has now.
#include <windows.h>

#include <dshow.h>
#include <uuids.h>

#include <cstring>
#include <cwchar>

#include "Core/ComHelpers.h"
#include "Core/MediaTypes.h"
#include "Core/OrvanaCamera.h"

using Microsoft::WRL::ComPtr;

namespace {

// Adds the kept capabilities of one pin to its group.
void ReadPinCapabilities(IAMStreamConfig* config, PinFormatGroup& group) {
    ForEachVideoCapability(config,
                           [&group](const AM_MEDIA_TYPE& type, const VideoFormatInfo& info) {
                               AddCapability(group, SubtypeKindOf(type.subtype), type.subtype,
                                             info.width, info.height, info.avgTimePerFrame);
                               return true;
                           });
}

} // namespace

void OrvanaCamera::EnumerateFormats() {
    ComPtr<IEnumPins> pins;
    const bool pinsListed = captureFilter && SUCCEEDED(captureFilter->EnumPins(&pins)) && pins;
    pinGroups.clear();

    // Still-image pins never contribute formats.
    ComPtr<IPin> stillPin;
    CoTaskMemPtr<wchar_t> stillId;
    if (captureBuilder && captureFilter &&
        SUCCEEDED(captureBuilder->FindPin(captureFilter.Get(), PINDIR_OUTPUT, &PIN_CATEGORY_STILL,
                                          nullptr, FALSE, 0, &stillPin)) &&
        stillPin) {
        LPWSTR id = nullptr;
        if (SUCCEEDED(stillPin->QueryId(&id))) {
            stillId.reset(id);
        }
    }

    if (pinsListed) {
        ComPtr<IPin> pin;
        while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK && pin) {
            PIN_INFO info{};
            if (pin->QueryPinInfo(&info) != S_OK) {
                continue;
            }
            if (info.pFilter != nullptr) {
                info.pFilter->Release();
            }
            if (info.dir != PINDIR_OUTPUT) {
                continue;
            }
            LPWSTR rawId = nullptr;
            if (FAILED(pin->QueryId(&rawId))) {
                continue;
            }
            CoTaskMemPtr<wchar_t> id(rawId);
            PinFormatGroup group;
            // A pin whose identifier does not fit could not be found again.
            if (!CopyPinId(group.pinId, id.get())) {
                continue;
            }
            if (stillId && std::wcscmp(stillId.get(), id.get()) == 0) {
                continue;
            }
            ComPtr<IAMStreamConfig> config;
            if (FAILED(pin.As(&config)) || !config) {
                continue;
            }
            ReadPinCapabilities(config.Get(), group);
            if (!group.pinFormats.empty()) {
                pinGroups.push_back(std::move(group));
            }
        }
    }

    formats = FlattenGroups(pinGroups);
}

HRESULT OrvanaCamera::SetFormat(UINT notifyMessage, unsigned index) {
    const bool wasRunning = running;
    if (!opened || index >= formats.size()) {
        return 1;
    }
    currentFormat = formats[index];
    if (wasRunning) {
        Stop();
    }
    if (graphBuilt) {
        if (running) {
            return E_UNEXPECTED;
        }
        RemoveDownstream(captureFilter);
        graphBuilt = false;
    }
    ReleaseGraphObjects();
    HRESULT hr = CreateGraphObjects();
    if (FAILED(hr)) {
        return hr;
    }
    hr = BuildGraph(notifyWindow, notifyMessage);
    if (FAILED(hr)) {
        return hr;
    }
    if (wasRunning && !running && graphBuilt) {
        RunGraph();
    }
    return 0;
}

HRESULT OrvanaCamera::GetCurrentFormat(StreamFormat& format, int& frameRate) {
    if (!opened) {
        return 1;
    }
    // One reference for the call: the pointer may be replaced on the user-
    // interface thread only while the graph is stopped.
    ComPtr<IAMStreamConfig> config = streamConfig;
    if (!config) {
        return 1;
    }
    AM_MEDIA_TYPE* raw = nullptr;
    if (config->GetFormat(&raw) != S_OK) {
        MediaTypePtr discard(raw);
        return 1;
    }
    MediaTypePtr type(raw);
    VideoFormatInfo info;
    if (!type || !ReadAnyVideoInfo(*type, info)) {
        return 1;
    }
    format.width = info.width;
    format.height = info.height;
    format.subtype = type->subtype;
    frameRate = static_cast<int>(FrameRateFromInterval(info.avgTimePerFrame));
    if (const char* name = SubtypeNameOf(SubtypeKindOf(type->subtype))) {
        std::memcpy(format.subtypeName, name, 5);
    }
    return 0;
}
