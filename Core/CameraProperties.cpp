// The camera's own image controls: video-processing amplifier and camera
// control properties, the mirror state and the power-line frequency. Each
// call asks the capture filter for the interface anew and holds nothing.
#include <windows.h>

#include <dshow.h>
#include <ks.h>
#include <ksmedia.h>

#include "Core/OrvanaCamera.h"

using Microsoft::WRL::ComPtr;

namespace {

// The power-line (anti-flicker) frequency: 1 = 50 Hz, 2 = 60 Hz.
constexpr long kPowerLineFrequencyProperty = KSPROPERTY_VIDEOPROCAMP_POWERLINE_FREQUENCY;

// Every success code becomes 0; failures pass through.
HRESULT Answer(HRESULT hr) {
    return FAILED(hr) ? hr : 0;
}

template <class Interface> HRESULT Query(IBaseFilter* filter, ComPtr<Interface>& out) {
    if (filter == nullptr) {
        return E_NOINTERFACE;
    }
    HRESULT hr = filter->QueryInterface(__uuidof(Interface), &out);
    if (SUCCEEDED(hr) && !out) {
        hr = E_NOINTERFACE;
    }
    return hr;
}

// Asks the filter for the interface and makes one call on it.
template <class Interface, class Call> HRESULT CallOn(IBaseFilter* filter, Call call) {
    ComPtr<Interface> target;
    HRESULT hr = Query(filter, target);
    if (FAILED(hr)) {
        return hr;
    }
    return Answer(call(target.Get()));
}

} // namespace

HRESULT OrvanaCamera::GetVideoProcAmpRange(long property, long& minimum, long& maximum,
                                           long& steppingDelta, long& defaultValue,
                                           long& capsFlags) {
    return CallOn<IAMVideoProcAmp>(captureFilter.Get(), [&](IAMVideoProcAmp* amp) {
        return amp->GetRange(property, &minimum, &maximum, &steppingDelta, &defaultValue,
                             &capsFlags);
    });
}

HRESULT OrvanaCamera::GetVideoProcAmp(long property, long& value, long& flags) {
    return CallOn<IAMVideoProcAmp>(captureFilter.Get(), [&](IAMVideoProcAmp* amp) {
        return amp->Get(property, &value, &flags);
    });
}

HRESULT OrvanaCamera::SetVideoProcAmp(long property, long value, long flags) {
    return CallOn<IAMVideoProcAmp>(captureFilter.Get(), [&](IAMVideoProcAmp* amp) {
        return amp->Set(property, value, flags);
    });
}

HRESULT OrvanaCamera::GetCameraControlRange(long property, long& minimum, long& maximum,
                                            long& steppingDelta, long& defaultValue,
                                            long& capsFlags) {
    return CallOn<IAMCameraControl>(captureFilter.Get(), [&](IAMCameraControl* control) {
        return control->GetRange(property, &minimum, &maximum, &steppingDelta, &defaultValue,
                                 &capsFlags);
    });
}

HRESULT OrvanaCamera::GetCameraControl(long property, long& value, long& flags) {
    return CallOn<IAMCameraControl>(captureFilter.Get(), [&](IAMCameraControl* control) {
        return control->Get(property, &value, &flags);
    });
}

HRESULT OrvanaCamera::SetCameraControl(long property, long value, long flags) {
    return CallOn<IAMCameraControl>(captureFilter.Get(), [&](IAMCameraControl* control) {
        return control->Set(property, value, flags);
    });
}

HRESULT OrvanaCamera::GetPowerLineFrequency(long& value) {
    ComPtr<IAMVideoProcAmp> amp;
    HRESULT hr = Query(captureFilter.Get(), amp);
    if (FAILED(hr)) {
        return hr;
    }
    // A device without the property fails here and reports nothing.
    long minimum = 0, maximum = 0, step = 0, defaultValue = 0, capsFlags = 0;
    hr = amp->GetRange(kPowerLineFrequencyProperty, &minimum, &maximum, &step, &defaultValue,
                       &capsFlags);
    if (FAILED(hr)) {
        return hr;
    }
    long flags = 0;
    return Answer(amp->Get(kPowerLineFrequencyProperty, &value, &flags));
}

HRESULT OrvanaCamera::SetPowerLineFrequency(long value) {
    ComPtr<IAMVideoProcAmp> amp;
    HRESULT hr = Query(captureFilter.Get(), amp);
    if (FAILED(hr)) {
        return hr;
    }
    long minimum = 0, maximum = 0, step = 0, defaultValue = 0, capsFlags = 0;
    hr = amp->GetRange(kPowerLineFrequencyProperty, &minimum, &maximum, &step, &defaultValue,
                       &capsFlags);
    if (FAILED(hr)) {
        return hr;
    }
    // Written with the modes the range reported, not with a fixed mode.
    return Answer(amp->Set(kPowerLineFrequencyProperty, value, capsFlags));
}

bool OrvanaCamera::HasMirrorSwitch() {
    long minimum = 0, maximum = 0, step = 0, defaultValue = 0, caps = 0;
    return GetVideoProcAmpRange(kMirrorProperty, minimum, maximum, step, defaultValue, caps) == 0 &&
           minimum == 0 && maximum == 1;
}

HRESULT OrvanaCamera::SetMirror(bool mirrored) {
    long value = 0;
    long flags = 0;
    HRESULT hr = GetVideoProcAmp(kMirrorProperty, value, flags);
    if (FAILED(hr)) {
        return hr;
    }
    return SetVideoProcAmp(kMirrorProperty, mirrored ? 1 : 0, flags);
}
