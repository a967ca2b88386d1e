#include "tools/testdevices/SourceFilter.h"

#include <vfwmsgs.h>

#include <new>

#include "tools/testdevices/Enumerators.h"
#include "tools/testdevices/OutputPin.h"
#include "tools/testdevices/ToneSampleSource.h"
#include "tools/testdevices/VideoSampleSource.h"

using Microsoft::WRL::ComPtr;

namespace TestDevices {

std::atomic<long> g_objectCount{0};

namespace {

std::vector<PinFormat> VideoPinFormats(const std::vector<VideoFormat>& formats) {
    std::vector<PinFormat> result;
    for (const auto& format : formats) {
        PinFormat entry;
        entry.type = VideoMediaType(format);
        const VIDEO_STREAM_CONFIG_CAPS caps = VideoCaps(format);
        const BYTE* bytes = reinterpret_cast<const BYTE*>(&caps);
        entry.caps.assign(bytes, bytes + sizeof(caps));
        result.push_back(std::move(entry));
    }
    return result;
}

OutputPin::SourceFactory VideoFactory(int noiseLevel) {
    return [noiseLevel] {
        return std::unique_ptr<SampleSource>(new (std::nothrow) VideoSampleSource(noiseLevel));
    };
}

} // namespace

SourceFilter::SourceFilter(bool camera)
    : camera_(camera), procAmp_(static_cast<IBaseFilter*>(this), &properties_),
      cameraControl_(static_cast<IBaseFilter*>(this), &properties_) {
    ++g_objectCount;
}

SourceFilter::~SourceFilter() {
    for (auto& pin : pins_)
        pin->Deactivate();
    pins_.clear();
    --g_objectCount;
}

void SourceFilter::EnsurePins() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!built_)
        BuildPins(L"");
}

// Builds the pins of the configured device with that path; without a path (or with an
// unknown one, as when the filter is made directly) the first configured device of its kind.
void SourceFilter::BuildPins(const std::wstring& devicePath) {
    for (auto& pin : pins_)
        pin->Deactivate();
    pins_.clear();
    const Configuration configuration = LoadConfiguration();
    if (camera_) {
        const CameraConfig* found = FindCamera(configuration, devicePath);
        CameraConfig fallback = DefaultCamera();
        if (!found)
            found = configuration.cameras.empty() ? &fallback : &configuration.cameras[0];
        devicePath_ = found->devicePath;
        delays_ = found->delays;
        properties_.Load(*found);
        hasVideoProcAmp_ = found->hasVideoProcAmp;
        hasCameraControl_ = found->hasCameraControl;
        const OutputPin::SourceFactory video = VideoFactory(found->noiseLevel);
        pins_.emplace_back(new OutputPin(this, L"Capture", L"Capture", PIN_CATEGORY_CAPTURE,
                                         VideoPinFormats(found->capturePin), video));
        if (!found->secondPin.empty()) {
            const bool preview = found->secondPinIsPreview;
            pins_.emplace_back(new OutputPin(this, preview ? L"Preview" : L"Capture 2",
                                             preview ? L"Preview" : L"Capture 2",
                                             preview ? PIN_CATEGORY_PREVIEW : PIN_CATEGORY_CAPTURE,
                                             VideoPinFormats(found->secondPin), video));
        }
        if (!found->stillPin.empty()) {
            pins_.emplace_back(new OutputPin(this, L"Still", L"Still", PIN_CATEGORY_STILL,
                                             VideoPinFormats(found->stillPin), video));
        }
    } else {
        const MicrophoneConfig* found = FindMicrophone(configuration, devicePath);
        MicrophoneConfig fallback = DefaultMicrophone();
        if (!found) {
            found = configuration.microphones.empty() ? &fallback : &configuration.microphones[0];
        }
        devicePath_ = found->devicePath;
        delays_ = found->delays;
        PinFormat format;
        format.type = AudioMediaType(found->sampleRate, found->channels);
        const AUDIO_STREAM_CONFIG_CAPS caps = AudioCaps(found->sampleRate, found->channels);
        const BYTE* bytes = reinterpret_cast<const BYTE*>(&caps);
        format.caps.assign(bytes, bytes + sizeof(caps));
        std::vector<PinFormat> formats;
        formats.push_back(std::move(format));
        const int tone = found->toneHz;
        const int ppm = found->clockPpm;
        pins_.emplace_back(new OutputPin(this, L"Capture", L"Capture", PIN_CATEGORY_CAPTURE,
                                         std::move(formats), [tone, ppm] {
                                             return std::unique_ptr<SampleSource>(
                                                 new (std::nothrow) ToneSampleSource(tone, ppm));
                                         }));
        pins_.back()->SetDefaultAudioBufferMs(found->bufferMs);
        startError_ = found->startError;
    }
    {
        std::lock_guard<std::mutex> statusGuard(statusLock_);
        statusPath_ = devicePath_;
        statusValid_ = false;
    }
    built_ = true;
}

STDMETHODIMP SourceFilter::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IPersist || iid == IID_IMediaFilter ||
        iid == IID_IBaseFilter) {
        *out = static_cast<IBaseFilter*>(this);
    } else if (iid == IID_IAMFilterMiscFlags) {
        *out = static_cast<IAMFilterMiscFlags*>(this);
    } else if (iid == IID_IPersistPropertyBag) {
        *out = static_cast<IPersistPropertyBag*>(this);
    } else if (camera_ && (iid == IID_IAMVideoProcAmp || iid == IID_IAMCameraControl)) {
        EnsurePins();
        if (iid == IID_IAMVideoProcAmp && hasVideoProcAmp_) {
            *out = static_cast<IAMVideoProcAmp*>(&procAmp_);
        } else if (iid == IID_IAMCameraControl && hasCameraControl_) {
            *out = static_cast<IAMCameraControl*>(&cameraControl_);
        }
    }
    if (!*out)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) SourceFilter::AddRef() {
    return ++references_;
}

STDMETHODIMP_(ULONG) SourceFilter::Release() {
    const ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

STDMETHODIMP SourceFilter::GetClassID(CLSID* clsid) {
    if (!clsid)
        return E_POINTER;
    *clsid = camera_ ? CLSID_OrvanaTestCamera : CLSID_OrvanaTestMicrophone;
    return S_OK;
}

void SourceFilter::StateChangeDelay(FILTER_STATE target) {
    if (state_ != target && delays_.startMs > 0)
        Sleep(delays_.startMs);
}

STDMETHODIMP SourceFilter::Stop() {
    if (camera_ && Status().faults.lockedStop != 0) {
        // As real capture filters do: the lock is held while the streaming threads end, and
        // each delivers the sample it had in hand; the driver's own tear-down follows, still
        // under the lock.
        std::lock_guard<std::recursive_mutex> guard(lock_);
        const bool wasStopped = state_ == State_Stopped;
        state_ = State_Stopped;
        for (auto& pin : pins_)
            pin->Deactivate(true);
        if (!wasStopped && delays_.startMs > 0)
            Sleep(delays_.startMs);
        return S_OK;
    }
    std::vector<OutputPin*> pins;
    bool wasStopped = false;
    unsigned delay = 0;
    {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        wasStopped = state_ == State_Stopped;
        state_ = State_Stopped;
        delay = delays_.startMs;
        for (auto& pin : pins_)
            pins.push_back(pin.get());
    }
    // Outside the lock: a streaming thread may need it to finish its sample. The driver's
    // tear-down comes after the threads ended, so it cannot hold them up either.
    for (auto* pin : pins)
        pin->Deactivate();
    if (!wasStopped && delay > 0)
        Sleep(delay);
    return S_OK;
}

STDMETHODIMP SourceFilter::Pause() {
    EnsurePins();
    std::lock_guard<std::recursive_mutex> guard(lock_);
    StateChangeDelay(State_Paused);
    return PauseLocked();
}

HRESULT SourceFilter::PauseLocked() {
    // A microphone denied or held by another program refuses to start.
    if (state_ == State_Stopped && FAILED(startError_))
        return startError_;
    if (state_ == State_Stopped) {
        // A device held by another program, or one the privacy setting denies, refuses to
        // start at all; the filter stays stopped.
        const unsigned refusal = Status().faults.startFailure;
        if (refusal != 0)
            return static_cast<HRESULT>(refusal);
        for (auto& pin : pins_) {
            HRESULT hr = pin->Activate();
            if (FAILED(hr)) {
                for (auto& other : pins_)
                    other->Deactivate();
                return hr;
            }
        }
    } else if (state_ == State_Running) {
        for (auto& pin : pins_)
            pin->SetRunning(false);
    }
    state_ = State_Paused;
    return S_OK;
}

STDMETHODIMP SourceFilter::Run(REFERENCE_TIME start) {
    EnsurePins();
    std::lock_guard<std::recursive_mutex> guard(lock_);
    StateChangeDelay(State_Running);
    if (state_ == State_Stopped) {
        HRESULT hr = PauseLocked();
        if (FAILED(hr))
            return hr;
    }
    {
        std::lock_guard<std::mutex> timeGuard(timeLock_);
        start_ = start;
        QueryPerformanceCounter(&runStartCounter_);
    }
    state_ = State_Running;
    for (auto& pin : pins_)
        pin->SetRunning(true);
    return S_OK;
}

STDMETHODIMP SourceFilter::GetState(DWORD, FILTER_STATE* state) {
    if (!state)
        return E_POINTER;
    *state = state_;
    // A live source has nothing to show while paused.
    return *state == State_Paused ? VFW_S_CANT_CUE : S_OK;
}

STDMETHODIMP SourceFilter::SetSyncSource(IReferenceClock* clock) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    std::lock_guard<std::mutex> timeGuard(timeLock_);
    clock_ = clock;
    return S_OK;
}

STDMETHODIMP SourceFilter::GetSyncSource(IReferenceClock** clock) {
    if (!clock)
        return E_POINTER;
    std::lock_guard<std::mutex> timeGuard(timeLock_);
    *clock = clock_.Get();
    if (*clock)
        (*clock)->AddRef();
    return S_OK;
}

REFERENCE_TIME SourceFilter::StreamTime() {
    ComPtr<IReferenceClock> clock;
    REFERENCE_TIME start = 0;
    LARGE_INTEGER runStart = {};
    {
        std::lock_guard<std::mutex> timeGuard(timeLock_);
        clock = clock_;
        start = start_;
        runStart = runStartCounter_;
    }
    REFERENCE_TIME now = 0;
    if (clock && SUCCEEDED(clock->GetTime(&now)))
        return now - start;
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return (counter.QuadPart - runStart.QuadPart) * 10000000LL / frequency.QuadPart;
}

DeviceStatus SourceFilter::Status() {
    std::lock_guard<std::mutex> guard(statusLock_);
    const DWORD now = GetTickCount();
    if (!statusValid_ || now - statusTick_ >= 250) {
        status_ = ReadDeviceStatus(statusPath_);
        statusTick_ = now;
        statusValid_ = true;
    }
    return status_;
}

STDMETHODIMP SourceFilter::EnumPins(IEnumPins** pins) {
    if (!pins)
        return E_POINTER;
    EnsurePins();
    std::lock_guard<std::recursive_mutex> guard(lock_);
    std::vector<ComPtr<IPin>> list;
    for (auto& pin : pins_)
        list.emplace_back(static_cast<IPin*>(pin.get()));
    *pins = new (std::nothrow) PinEnumerator(std::move(list));
    return *pins ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP SourceFilter::FindPin(LPCWSTR id, IPin** pin) {
    if (!id || !pin)
        return E_POINTER;
    EnsurePins();
    std::lock_guard<std::recursive_mutex> guard(lock_);
    for (auto& candidate : pins_) {
        if (candidate->Id() == id) {
            *pin = static_cast<IPin*>(candidate.get());
            (*pin)->AddRef();
            return S_OK;
        }
    }
    *pin = nullptr;
    return VFW_E_NOT_FOUND;
}

STDMETHODIMP SourceFilter::QueryFilterInfo(FILTER_INFO* info) {
    if (!info)
        return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(lock_);
    lstrcpynW(info->achName, name_.c_str(), MAX_FILTER_NAME);
    info->pGraph = graph_;
    if (graph_)
        graph_->AddRef();
    return S_OK;
}

STDMETHODIMP SourceFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    graph_ = graph;
    name_ = name ? name : L"";
    return S_OK;
}

STDMETHODIMP SourceFilter::QueryVendorInfo(LPWSTR*) {
    return E_NOTIMPL;
}

STDMETHODIMP_(ULONG) SourceFilter::GetMiscFlags() {
    return AM_FILTER_MISC_FLAGS_IS_SOURCE;
}

STDMETHODIMP SourceFilter::InitNew() {
    return S_OK;
}

STDMETHODIMP SourceFilter::Load(IPropertyBag* bag, IErrorLog*) {
    if (!bag)
        return E_POINTER;
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    std::wstring path;
    if (SUCCEEDED(bag->Read(L"DevicePath", &value, nullptr)) && value.vt == VT_BSTR &&
        value.bstrVal) {
        path = value.bstrVal;
    }
    VariantClear(&value);
    unsigned bindDelay = 0;
    {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        for (auto& pin : pins_) {
            if (pin->IsConnected() || state_ != State_Stopped)
                return VFW_E_WRONG_STATE;
        }
        BuildPins(path);
        bindDelay = delays_.bindMs;
    }
    // The device's driver is slow to open: BindToObject, which calls this, waits for it.
    if (bindDelay > 0)
        Sleep(bindDelay);
    return S_OK;
}

STDMETHODIMP SourceFilter::Save(IPropertyBag*, BOOL, BOOL) {
    return E_NOTIMPL;
}

} // namespace TestDevices
