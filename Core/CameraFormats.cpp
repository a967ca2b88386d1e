// The camera's stream formats: the lists read from its output pins and the
// format the capture pin has now. Reads only: switching formats rebuilds the
// graph (OrvanaCamera.cpp).
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
    ForEachVideoCapability(
        config, [&group](const AM_MEDIA_TYPE& type, const VideoFormatInfo& info) {
            AddCapability(group, SubtypeKindOf(type.subtype), type.subtype, info.width, info.height,
                          info.avgTimePerFrame, info.bottomUp);
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
            PIN_DIRECTION direction = PINDIR_INPUT;
            if (pin->QueryDirection(&direction) != S_OK || direction != PINDIR_OUTPUT) {
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
            if (!group.Empty()) {
                pinGroups.push_back(std::move(group));
            }
        }
    }

    formats = FlattenGroups(pinGroups);
}

void OrvanaCamera::RecordActiveFormat() {
    StreamFormat format{};
    int frameRate = 0;
    bool known = false;
    AM_MEDIA_TYPE* raw = nullptr;
    const HRESULT hr = streamConfig ? streamConfig->GetFormat(&raw) : E_POINTER;
    MediaTypePtr type(raw);
    VideoFormatInfo info;
    if (hr == S_OK && type && ReadAnyVideoInfo(*type, info)) {
        format.width = info.width;
        format.height = info.height;
        format.bottomUp = info.bottomUp;
        format.subtype = type->subtype;
        frameRate = static_cast<int>(FrameRateFromInterval(info.avgTimePerFrame));
        if (const char* name = SubtypeNameOf(SubtypeKindOf(type->subtype))) {
            std::memcpy(format.subtypeName, name, 5);
        }
        known = true;
    }
    std::lock_guard<std::mutex> hold(m_activeLock);
    m_activeKnown = known;
    m_activeFormat = format;
    m_activeFrameRate = frameRate;
}

HRESULT OrvanaCamera::GetCurrentFormat(StreamFormat& format, int& frameRate) {
    if (!opened) {
        return kNotAvailable;
    }
    std::lock_guard<std::mutex> hold(m_activeLock);
    if (!m_activeKnown) {
        return kNotAvailable;
    }
    format = m_activeFormat;
    frameRate = m_activeFrameRate;
    return 0;
}
