// The camera's sample-grabber graph: capture filter -> Sample Grabber ->
// Null Renderer, its creation, building, teardown and release.
#include <windows.h>

#include <dshow.h>
#include <qedit.h>
#include <uuids.h>

#include "Core/ComHelpers.h"
#include "Core/MediaTypes.h"
#include "Core/OrvanaCamera.h"

using Microsoft::WRL::ComPtr;

namespace {

// The system headers declare the grabber's interfaces but not these classes.
constexpr CLSID kClsidSampleGrabber = {
    0xC1F400A0, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
constexpr CLSID kClsidNullRenderer = {
    0xC1F400A4, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};

} // namespace

HRESULT FindFilterPin(IBaseFilter* filter, bool connected, PIN_DIRECTION direction, IPin** pin) {
    if (filter == nullptr || pin == nullptr) {
        return E_POINTER;
    }
    *pin = nullptr;
    ComPtr<IEnumPins> pins;
    HRESULT hr = filter->EnumPins(&pins);
    if (FAILED(hr)) {
        return hr;
    }
    if (!pins) {
        return VFW_E_NOT_FOUND;
    }
    ComPtr<IPin> candidate;
    while (pins->Next(1, candidate.ReleaseAndGetAddressOf(), nullptr) == S_OK && candidate) {
        ComPtr<IPin> peer;
        const HRESULT state = candidate->ConnectedTo(&peer);
        if (FAILED(state) && state != VFW_E_NOT_CONNECTED) {
            return VFW_E_NOT_FOUND;
        }
        const bool isConnected = SUCCEEDED(state) && peer;
        PIN_DIRECTION pinDirection = PINDIR_INPUT;
        if (FAILED(candidate->QueryDirection(&pinDirection))) {
            return VFW_E_NOT_FOUND;
        }
        if (isConnected == connected && pinDirection == direction) {
            *pin = candidate.Detach();
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

HRESULT OrvanaCamera::CreateGraphObjects() {
    HRESULT hr =
        ::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                           IID_IGraphBuilder, &graph);
    if (FAILED(hr)) {
        return hr;
    }
    // A live source is shown as it arrives: no reference clock. Without one the
    // graph also starts no clock thread, whose shutdown can stall the graph's
    // release (seen under Wine).
    ComPtr<IMediaFilter> timing;
    if (SUCCEEDED(graph.As(&timing))) {
        timing->SetSyncSource(nullptr);
    }
    hr = ::CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                            IID_ICaptureGraphBuilder2, &captureBuilder);
    if (FAILED(hr)) {
        return hr;
    }
    hr = captureBuilder->SetFiltergraph(graph.Get());
    if (FAILED(hr)) {
        return hr;
    }
    hr = ::CoCreateInstance(kClsidSampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                            &grabberFilter);
    if (FAILED(hr)) {
        return hr;
    }
    // A camera whose capture pin offers no stream configuration cannot be opened.
    ComPtr<IAMStreamConfig> captureConfig;
    hr = captureBuilder->FindInterface(&PIN_CATEGORY_CAPTURE, nullptr, captureFilter.Get(),
                                       IID_IAMStreamConfig, &captureConfig);
    if (FAILED(hr)) {
        return hr;
    }
    if (!opened) {
        EnumerateFormats();
    }
    return S_OK;
}

namespace {

// Applies the pin's capability of the chosen size and subtype with the
// shortest frame interval (the first of equals): a camera may list 15 fps
// before 30, and nothing the user chose names a rate. Answers the pin's
// SetFormat result, S_OK when no capability matches.
HRESULT ApplyChosenFormat(IAMStreamConfig* config, const StreamFormat& chosen) {
    int best = -1;
    REFERENCE_TIME bestInterval = 0;
    int index = 0;
    ForEachVideoCapability(config, [&](const AM_MEDIA_TYPE& type, const VideoFormatInfo& info) {
        if (info.width == chosen.width && info.height == chosen.height &&
            IsEqualGUID(type.subtype, chosen.subtype) &&
            (best < 0 || (info.avgTimePerFrame > 0 &&
                          (bestInterval <= 0 || info.avgTimePerFrame < bestInterval)))) {
            best = index;
            bestInterval = info.avgTimePerFrame;
        }
        ++index;
        return true;
    });
    if (best < 0) {
        return S_OK;
    }
    HRESULT result = S_OK;
    index = 0;
    ForEachVideoCapability(config, [&](const AM_MEDIA_TYPE& type, const VideoFormatInfo&) {
        if (index++ == best) {
            result = config->SetFormat(const_cast<AM_MEDIA_TYPE*>(&type));
            return false;
        }
        return true;
    });
    return result;
}

// The pin's entry for a size and subtype, at its highest rate: a listed
// one, else one the lists do not show. False when the pin has none.
bool PinEntry(const PinFormatGroup& group, LONG width, LONG height, const GUID& subtype,
              StreamFormat& entry) {
    const StreamFormat* found = FastestFormat(group.pinFormats, width, height, subtype);
    if (found == nullptr) {
        found = FastestFormat(group.unlistedFormats, width, height, subtype);
    }
    if (found == nullptr) {
        return false;
    }
    entry = *found;
    return true;
}

} // namespace

HRESULT OrvanaCamera::BuildGraph(HWND window, UINT notifyMessage) {
    if (graphBuilt || running) {
        return 0;
    }
    graphBuilt = false;
    if (!graph || !captureFilter || !grabberFilter) {
        return E_POINTER;
    }
    HRESULT hr = AddGraphFilters();
    if (hr == S_OK) {
        hr = ConnectCapturePin();
    }
    if (hr == S_OK) {
        hr = SettleFormat();
    }
    if (hr == S_OK) {
        hr = HookGrabber(window, notifyMessage);
    }
    if (hr != S_OK) {
        return hr;
    }
    graphBuilt = true;
    RecordActiveFormat();
    return 0;
}

HRESULT OrvanaCamera::AddGraphFilters() {
    HRESULT hr = graph->AddFilter(captureFilter.Get(), L"Video Capture");
    if (FAILED(hr)) {
        return hr;
    }
    hr = graph->AddFilter(grabberFilter.Get(), L"Grabber");
    if (FAILED(hr)) {
        return hr;
    }
    hr = ::CoCreateInstance(kClsidNullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                            &nullRenderer);
    if (FAILED(hr)) {
        return hr;
    }
    hr = graph->AddFilter(nullRenderer.Get(), L"NullRender");
    return FAILED(hr) ? hr : S_OK;
}

// Capture pin -> grabber -> null renderer; 1 when a pin or a connection is missing.
HRESULT OrvanaCamera::ConnectCapturePin() {
    const int group = ChooseBuildGroup(pinGroups, opened, currentFormat.pinIndex);
    if (group < 0) {
        return kNotAvailable;
    }
    ComPtr<IPin> capturePin;
    if (FAILED(captureFilter->FindPin(pinGroups[group].pinId, &capturePin)) || !capturePin) {
        return kNotAvailable;
    }
    if (FAILED(capturePin.As(&streamConfig))) {
        return kNotAvailable;
    }
    ComPtr<IPin> grabberInput;
    if (FAILED(FindFilterPin(grabberFilter.Get(), false, PINDIR_INPUT, &grabberInput)) ||
        FAILED(graph->Connect(capturePin.Get(), grabberInput.Get()))) {
        return kNotAvailable;
    }
    ComPtr<IPin> grabberOutput;
    ComPtr<IPin> rendererInput;
    if (FAILED(FindFilterPin(grabberFilter.Get(), false, PINDIR_OUTPUT, &grabberOutput)) ||
        FAILED(FindFilterPin(nullRenderer.Get(), false, PINDIR_INPUT, &rendererInput)) ||
        FAILED(graph->Connect(grabberOutput.Get(), rendererInput.Get()))) {
        return kNotAvailable;
    }
    return S_OK;
}

// An opened camera gets the chosen format. At the first build the pin keeps
// its own format, at the highest rate the pin offers for it, and that
// becomes the current one; a pin that starts at a format no picture can be
// made of is set to its first listed format (else its first other one).
HRESULT OrvanaCamera::SettleFormat() {
    if (opened) {
        const HRESULT hr =
            streamConfig ? ApplyChosenFormat(streamConfig.Get(), currentFormat) : S_OK;
        if (FAILED(hr)) {
            // The pin refused the format: the graph is not left half made.
            RemoveDownstream(captureFilter);
            return hr;
        }
        return S_OK;
    }
    AM_MEDIA_TYPE* raw = nullptr;
    const HRESULT hr = streamConfig->GetFormat(&raw);
    MediaTypePtr active(raw);
    if (FAILED(hr) || !active) {
        return kNotAvailable;
    }
    const int group = ChooseBuildGroup(pinGroups, false, 0);
    if (group < 0) {
        return kNotAvailable;
    }
    const PinFormatGroup& pin = pinGroups[group];
    VideoFormatInfo info;
    StreamFormat entry{};
    const bool activeKnown = ReadAnyVideoInfo(*active, info);
    bool found = activeKnown && IsDecodableKind(SubtypeKindOf(active->subtype)) &&
                 PinEntry(pin, info.width, info.height, active->subtype, entry);
    if (!found) {
        const StreamFormat& first =
            !pin.pinFormats.empty() ? pin.pinFormats.front() : pin.unlistedFormats.front();
        found = PinEntry(pin, first.width, first.height, first.subtype, entry);
    }
    if (!found) {
        return S_OK;
    }
    entry.pinIndex = static_cast<uint8_t>(group & 0xFF);
    const bool faster = activeKnown && entry.frameRate > StoredFrameRate(info.avgTimePerFrame);
    const bool other = !activeKnown || !IsEqualGUID(active->subtype, entry.subtype) ||
                       info.width != entry.width || info.height != entry.height;
    if (faster || other) {
        // A pin that refuses keeps running at its own format.
        ApplyChosenFormat(streamConfig.Get(), entry);
    }
    currentFormat = entry;
    return S_OK;
}

HRESULT OrvanaCamera::HookGrabber(HWND window, UINT notifyMessage) {
    const HRESULT hr = grabberFilter.As(&sampleGrabber);
    if (FAILED(hr)) {
        return hr;
    }
    sampleGrabber->SetOneShot(FALSE);
    sampleGrabber->SetBufferSamples(FALSE);
    const HRESULT hooked = sampleGrabber->SetCallback(this, 1);
    if (FAILED(hooked)) {
        return hooked;
    }
    if (notifyMessage != 0) {
        ComPtr<IMediaEventEx> events;
        if (graph->QueryInterface(IID_IMediaEventEx, &events) == S_OK && events) {
            events->SetNotifyWindow(reinterpret_cast<OAHWND>(window), notifyMessage, 0);
        }
    }
    return S_OK;
}

void OrvanaCamera::RemoveDownstream(ComPtr<IBaseFilter> filter) {
    if (!filter) {
        return;
    }
    ComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(&pins)) || !pins) {
        return;
    }
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK && pin) {
        ComPtr<IPin> connected;
        if (FAILED(pin->ConnectedTo(&connected)) || !connected) {
            continue;
        }
        PIN_INFO info{};
        if (FAILED(connected->QueryPinInfo(&info))) {
            break;
        }
        // QueryPinInfo hands over a reference, which the pointer adopts as it
        // is: MinGW's ComPtr::Attach takes one more of its own, and the filter
        // would never be freed.
        ComPtr<IBaseFilter> downstream;
        *downstream.GetAddressOf() = info.pFilter;
        if (info.dir == PINDIR_INPUT) {
            RemoveDownstream(downstream);
            if (graph) {
                graph->Disconnect(connected.Get());
                graph->Disconnect(pin.Get());
                graph->RemoveFilter(downstream.Get());
            }
        }
    }
}

void OrvanaCamera::ReleaseGraphObjects() {
    grabberFilter.Reset();
    nullRenderer.Reset();
    sampleGrabber.Reset();
    graph.Reset();
    captureBuilder.Reset();
    streamConfig.Reset();
}
