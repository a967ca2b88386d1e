#include "tools/testdevices/OutputPin.h"

#include <mmreg.h>
#include <vfwmsgs.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "tools/testdevices/Enumerators.h"
#include "tools/testdevices/SourceFilter.h"

using Microsoft::WRL::ComPtr;

namespace TestDevices {

namespace {

// Audio buffers of the device's own length unless a suggestion asks for others; whole
// sample frames.
long AudioBufferBytes(const AM_MEDIA_TYPE& type, long milliseconds) {
    const auto* wave = reinterpret_cast<const WAVEFORMATEX*>(type.pbFormat);
    const long block = std::max<long>(1, wave->nBlockAlign);
    const long bytes =
        static_cast<long>(static_cast<int64_t>(wave->nAvgBytesPerSec) * milliseconds / 1000);
    return std::max<long>(block, bytes / block * block);
}

REFERENCE_TIME FrameInterval(const AM_MEDIA_TYPE& type) {
    return FrameIntervalOf(type);
}

bool SameWaveFormat(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b) {
    if (a.formattype != FORMAT_WaveFormatEx || b.formattype != FORMAT_WaveFormatEx || !a.pbFormat ||
        !b.pbFormat || a.cbFormat < sizeof(WAVEFORMATEX) || b.cbFormat < sizeof(WAVEFORMATEX)) {
        return false;
    }
    const auto* x = reinterpret_cast<const WAVEFORMATEX*>(a.pbFormat);
    const auto* y = reinterpret_cast<const WAVEFORMATEX*>(b.pbFormat);
    return x->wFormatTag == y->wFormatTag && x->nChannels == y->nChannels &&
           x->nSamplesPerSec == y->nSamplesPerSec && x->wBitsPerSample == y->wBitsPerSample;
}

// One step of a small integer hash generator (splitmix-like): fault patterns need to be
// repeatable from a seed, not strong.
uint32_t NextRandom(uint32_t& state) {
    state += 0x9E3779B9u;
    uint32_t z = state;
    z = (z ^ (z >> 16)) * 0x85EBCA6Bu;
    z = (z ^ (z >> 13)) * 0xC2B2AE35u;
    return z ^ (z >> 16);
}

LONGLONG Counter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

LONGLONG CounterFrequency() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

} // namespace

OutputPin::OutputPin(SourceFilter* filter, std::wstring id, std::wstring name, const GUID& category,
                     std::vector<PinFormat> formats, SourceFactory factory)
    : filter_(filter), id_(std::move(id)), name_(std::move(name)), category_(category),
      formats_(std::move(formats)), factory_(std::move(factory)),
      audio_(!formats_.empty() && formats_[0].type.Get().majortype == MEDIATYPE_Audio) {
    if (!formats_.empty())
        active_ = formats_[0].type;
    stopEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    runEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

OutputPin::~OutputPin() {
    Deactivate();
    if (allocator_)
        allocator_->Decommit();
    if (stopEvent_)
        CloseHandle(stopEvent_);
    if (runEvent_)
        CloseHandle(runEvent_);
}

STDMETHODIMP OutputPin::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IPin) {
        *out = static_cast<IPin*>(this);
    } else if (iid == IID_IKsPropertySet) {
        *out = static_cast<IKsPropertySet*>(this);
    } else if (iid == IID_IAMStreamConfig) {
        *out = static_cast<IAMStreamConfig*>(this);
    } else if (iid == IID_IAMBufferNegotiation) {
        *out = static_cast<IAMBufferNegotiation*>(this);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) OutputPin::AddRef() {
    return filter_->AddRef();
}
STDMETHODIMP_(ULONG) OutputPin::Release() {
    return filter_->Release();
}

int OutputPin::MatchFormat(const AM_MEDIA_TYPE& type) const {
    if (audio_) {
        for (size_t i = 0; i < formats_.size(); ++i) {
            if ((type.majortype == MEDIATYPE_Audio) &&
                SameWaveFormat(type, formats_[i].type.Get())) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    VideoFormat wanted;
    if (type.majortype != MEDIATYPE_Video || !ParseVideoMediaType(type, wanted))
        return -1;
    const REFERENCE_TIME interval = FrameInterval(type);
    for (size_t i = 0; i < formats_.size(); ++i) {
        VideoFormat offered;
        ParseVideoMediaType(formats_[i].type.Get(), offered);
        if (offered.subtype != wanted.subtype || offered.width != wanted.width ||
            offered.height != wanted.height) {
            continue;
        }
        // Interval 0 leaves the rate to the device: the first one listed.
        const REFERENCE_TIME own = FrameInterval(formats_[i].type.Get());
        if (interval == 0 || std::llabs(own - interval) <= own / 1000)
            return static_cast<int>(i);
    }
    return -1;
}

std::vector<MediaType> OutputPin::ConnectionTypes() const {
    std::vector<MediaType> types;
    if (active_.Empty())
        return types;
    types.push_back(active_);
    if (formatChosen_)
        return types; // a chosen format is the only one offered, as drivers do
    const int activeIndex = MatchFormat(active_.Get());
    for (size_t i = 0; i < formats_.size(); ++i) {
        if (static_cast<int>(i) != activeIndex)
            types.push_back(formats_[i].type);
    }
    return types;
}

long OutputPin::BufferSizeFor(const AM_MEDIA_TYPE& type) const {
    if (audio_) {
        return suggested_.cbBuffer > 0 ? suggested_.cbBuffer
                                       : AudioBufferBytes(type, defaultAudioBufferMs_);
    }
    VideoFormat format;
    return ParseVideoMediaType(type, format) ? FrameBufferSize(format) : 0;
}

STDMETHODIMP OutputPin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) {
    if (!receivePin)
        return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(filter_->Lock());
    if (peer_)
        return VFW_E_ALREADY_CONNECTED;
    if (filter_->State() != State_Stopped)
        return VFW_E_NOT_STOPPED;
    PIN_DIRECTION direction;
    if (FAILED(receivePin->QueryDirection(&direction)) || direction != PINDIR_INPUT) {
        return VFW_E_INVALID_DIRECTION;
    }
    // A complete media type names one format; a partial one narrows the offered list.
    if (type && type->formattype != GUID_NULL && type->pbFormat) {
        const int index = MatchFormat(*type);
        if (index < 0)
            return VFW_E_TYPE_NOT_ACCEPTED;
        return TryConnection(receivePin, formats_[index].type);
    }
    HRESULT last = VFW_E_NO_ACCEPTABLE_TYPES;
    for (const auto& candidate : ConnectionTypes()) {
        const AM_MEDIA_TYPE& offered = candidate.Get();
        if (type && ((type->majortype != GUID_NULL && type->majortype != offered.majortype) ||
                     (type->subtype != GUID_NULL && type->subtype != offered.subtype))) {
            continue;
        }
        HRESULT hr = TryConnection(receivePin, candidate);
        if (SUCCEEDED(hr))
            return hr;
        if (hr != VFW_E_TYPE_NOT_ACCEPTED && hr != E_FAIL && hr != S_FALSE)
            last = hr;
    }
    return last;
}

HRESULT OutputPin::TryConnection(IPin* receivePin, const MediaType& type) {
    HRESULT hr = receivePin->ReceiveConnection(this, &type.Get());
    if (hr != S_OK)
        return FAILED(hr) ? hr : VFW_E_TYPE_NOT_ACCEPTED;
    ComPtr<IMemInputPin> input;
    hr = receivePin->QueryInterface(IID_PPV_ARGS(&input));
    if (SUCCEEDED(hr))
        hr = DecideAllocator(input.Get(), BufferSizeFor(type.Get()));
    if (FAILED(hr)) {
        receivePin->Disconnect();
        return hr;
    }
    peer_ = receivePin;
    peerInput_ = input;
    connectedType_ = type;
    active_ = type; // the connection's format is the one in force
    return S_OK;
}

HRESULT OutputPin::DecideAllocator(IMemInputPin* input, long bufferSize) {
    if (bufferSize <= 0)
        return VFW_E_SIZENOTSET;
    ALLOCATOR_PROPERTIES wanted = {};
    input->GetAllocatorRequirements(&wanted); // optional; zeros otherwise
    wanted.cBuffers = std::max<long>(wanted.cBuffers, audio_ ? 8 : 4);
    wanted.cbBuffer = std::max<long>(wanted.cbBuffer, bufferSize);
    wanted.cbAlign = std::max<long>(wanted.cbAlign, 1);
    wanted.cbPrefix = std::max<long>(wanted.cbPrefix, 0);
    if (suggested_.cBuffers > 0)
        wanted.cBuffers = suggested_.cBuffers;
    if (suggested_.cbAlign > 0)
        wanted.cbAlign = suggested_.cbAlign;
    if (suggested_.cbPrefix > 0)
        wanted.cbPrefix = suggested_.cbPrefix;

    auto tryAllocator = [&](IMemAllocator* allocator) {
        ALLOCATOR_PROPERTIES actual = {};
        if (FAILED(allocator->SetProperties(&wanted, &actual)) || actual.cbBuffer < bufferSize ||
            FAILED(input->NotifyAllocator(allocator, FALSE))) {
            return false;
        }
        allocator_ = allocator;
        return true;
    };
    // The downstream pin's allocator first, then the system's memory allocator.
    ComPtr<IMemAllocator> allocator;
    if (SUCCEEDED(input->GetAllocator(&allocator)) && allocator && tryAllocator(allocator.Get())) {
        return S_OK;
    }
    allocator.Reset();
    HRESULT hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(&allocator));
    if (FAILED(hr))
        return hr;
    return tryAllocator(allocator.Get()) ? S_OK : VFW_E_NO_ALLOCATOR;
}

STDMETHODIMP OutputPin::ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) {
    return E_UNEXPECTED;
}

STDMETHODIMP OutputPin::Disconnect() {
    std::lock_guard<std::recursive_mutex> guard(filter_->Lock());
    if (filter_->State() != State_Stopped)
        return VFW_E_NOT_STOPPED;
    if (!peer_)
        return S_FALSE;
    if (allocator_)
        allocator_->Decommit();
    allocator_.Reset();
    peerInput_.Reset();
    peer_.Reset();
    connectedType_.Clear();
    return S_OK;
}

STDMETHODIMP OutputPin::ConnectedTo(IPin** pin) {
    if (!pin)
        return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(filter_->Lock());
    *pin = peer_.Get();
    if (!*pin)
        return VFW_E_NOT_CONNECTED;
    (*pin)->AddRef();
    return S_OK;
}

STDMETHODIMP OutputPin::ConnectionMediaType(AM_MEDIA_TYPE* type) {
    if (!type)
        return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(filter_->Lock());
    ZeroMemory(type, sizeof(*type));
    if (!peer_)
        return VFW_E_NOT_CONNECTED;
    return CopyMediaTypeContents(*type, connectedType_.Get()) ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP OutputPin::QueryPinInfo(PIN_INFO* info) {
    if (!info)
        return E_POINTER;
    info->pFilter = filter_;
    filter_->AddRef();
    info->dir = PINDIR_OUTPUT;
    lstrcpynW(info->achName, name_.c_str(), MAX_PIN_NAME);
    return S_OK;
}

STDMETHODIMP OutputPin::QueryDirection(PIN_DIRECTION* direction) {
    if (!direction)
        return E_POINTER;
    *direction = PINDIR_OUTPUT;
    return S_OK;
}

STDMETHODIMP OutputPin::QueryId(LPWSTR* id) {
    if (!id)
        return E_POINTER;
    const size_t bytes = (id_.size() + 1) * sizeof(wchar_t);
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (!*id)
        return E_OUTOFMEMORY;
    memcpy(*id, id_.c_str(), bytes);
    return S_OK;
}

STDMETHODIMP OutputPin::QueryAccept(const AM_MEDIA_TYPE* type) {
    if (!type)
        return E_POINTER;
    return MatchFormat(*type) >= 0 ? S_OK : S_FALSE;
}

STDMETHODIMP OutputPin::EnumMediaTypes(IEnumMediaTypes** types) {
    if (!types)
        return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(filter_->Lock());
    *types = new (std::nothrow) MediaTypeEnumerator(ConnectionTypes());
    return *types ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP OutputPin::QueryInternalConnections(IPin**, ULONG*) {
    return E_NOTIMPL;
}
STDMETHODIMP OutputPin::EndOfStream() {
    return E_UNEXPECTED;
}
STDMETHODIMP OutputPin::BeginFlush() {
    return E_UNEXPECTED;
}
STDMETHODIMP OutputPin::EndFlush() {
    return E_UNEXPECTED;
}
STDMETHODIMP OutputPin::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) {
    return S_OK;
}

STDMETHODIMP OutputPin::Set(REFGUID set, DWORD, LPVOID, DWORD, LPVOID, DWORD) {
    // The category is read-only.
    return set == AMPROPSETID_Pin ? E_PROP_ID_UNSUPPORTED : E_PROP_SET_UNSUPPORTED;
}

STDMETHODIMP OutputPin::Get(REFGUID set, DWORD id, LPVOID, DWORD, LPVOID data, DWORD dataLength,
                            DWORD* returned) {
    if (set != AMPROPSETID_Pin)
        return E_PROP_SET_UNSUPPORTED;
    if (id != AMPROPERTY_PIN_CATEGORY)
        return E_PROP_ID_UNSUPPORTED;
    if (!data && !returned)
        return E_POINTER;
    if (returned)
        *returned = sizeof(GUID);
    if (!data)
        return S_OK; // the caller asked for the size only
    if (dataLength < sizeof(GUID))
        return E_UNEXPECTED;
    memcpy(data, &category_, sizeof(GUID));
    return S_OK;
}

STDMETHODIMP OutputPin::QuerySupported(REFGUID set, DWORD id, DWORD* support) {
    if (set != AMPROPSETID_Pin)
        return E_PROP_SET_UNSUPPORTED;
    if (id != AMPROPERTY_PIN_CATEGORY)
        return E_PROP_ID_UNSUPPORTED;
    if (support)
        *support = KSPROPERTY_SUPPORT_GET;
    return S_OK;
}

STDMETHODIMP OutputPin::SetFormat(AM_MEDIA_TYPE* type) {
    std::lock_guard<std::recursive_mutex> guard(filter_->Lock());
    if (filter_->State() != State_Stopped)
        return VFW_E_NOT_STOPPED;
    MediaType chosen;
    if (type) {
        const int index = MatchFormat(*type);
        if (index < 0)
            return VFW_E_INVALIDMEDIATYPE;
        chosen = formats_[index].type;
    } else if (!formats_.empty()) {
        chosen = formats_[0].type; // no type: back to the default format
    }
    const MediaType previous = active_;
    const bool previousChosen = formatChosen_;
    active_ = chosen;
    formatChosen_ = type != nullptr;
    if (!peer_ || MatchFormat(connectedType_.Get()) == MatchFormat(chosen.Get()))
        return S_OK;

    // Connected with another format: the graph reconnects the pin, which then offers the
    // chosen format only.
    ComPtr<IFilterGraph2> graph;
    HRESULT hr = filter_->Graph() ? filter_->Graph()->QueryInterface(IID_PPV_ARGS(&graph))
                                  : VFW_E_NOT_IN_GRAPH;
    if (SUCCEEDED(hr)) {
        hr = graph->ReconnectEx(this, nullptr);
        if (FAILED(hr)) {
            active_ = previous;
            formatChosen_ = previousChosen;
            if (!peer_)
                graph->ReconnectEx(this, nullptr);
        }
    } else {
        active_ = previous;
        formatChosen_ = previousChosen;
    }
    return hr;
}

STDMETHODIMP OutputPin::GetFormat(AM_MEDIA_TYPE** type) {
    if (!type)
        return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(filter_->Lock());
    *type = active_.CreateCopy();
    return *type ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP OutputPin::GetNumberOfCapabilities(int* count, int* size) {
    if (!count || !size)
        return E_POINTER;
    *count = static_cast<int>(formats_.size());
    *size = audio_ ? sizeof(AUDIO_STREAM_CONFIG_CAPS) : sizeof(VIDEO_STREAM_CONFIG_CAPS);
    return S_OK;
}

STDMETHODIMP OutputPin::GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) {
    if (!type || !caps)
        return E_POINTER;
    if (index < 0)
        return E_INVALIDARG;
    if (index >= static_cast<int>(formats_.size()))
        return S_FALSE;
    *type = formats_[index].type.CreateCopy();
    if (!*type)
        return E_OUTOFMEMORY;
    memcpy(caps, formats_[index].caps.data(), formats_[index].caps.size());
    return S_OK;
}

STDMETHODIMP OutputPin::SuggestAllocatorProperties(const ALLOCATOR_PROPERTIES* properties) {
    if (!properties)
        return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(filter_->Lock());
    if (peer_)
        return VFW_E_ALREADY_CONNECTED;
    suggested_ = *properties;
    return S_OK;
}

STDMETHODIMP OutputPin::GetAllocatorProperties(ALLOCATOR_PROPERTIES* properties) {
    if (!properties)
        return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(filter_->Lock());
    if (!allocator_)
        return E_FAIL;
    return allocator_->GetProperties(properties);
}

HRESULT OutputPin::Activate() {
    if (!peer_ || active_streaming_)
        return S_OK;
    if (!stopEvent_ || !runEvent_)
        return E_OUTOFMEMORY;
    VideoFormat format;
    const unsigned maxPixels = filter_->Status().faults.maxPixels;
    if (!audio_ && maxPixels > 0 && ParseVideoMediaType(connectedType_.Get(), format) &&
        static_cast<unsigned>(format.width) * static_cast<unsigned>(format.height) > maxPixels) {
        return HRESULT_FROM_WIN32(ERROR_NO_SYSTEM_RESOURCES);
    }
    HRESULT hr = allocator_->Commit();
    if (FAILED(hr))
        return hr;
    ResetEvent(stopEvent_);
    ResetEvent(runEvent_);
    try {
        thread_ = std::thread(&OutputPin::StreamLoop, this);
    } catch (...) {
        allocator_->Decommit();
        return E_OUTOFMEMORY;
    }
    active_streaming_ = true;
    return S_OK;
}

void OutputPin::SetRunning(bool running) {
    if (!active_streaming_)
        return;
    if (running) {
        ++runGeneration_;
        SetEvent(runEvent_);
    } else {
        ResetEvent(runEvent_);
    }
}

void OutputPin::Deactivate(bool lastSample) {
    if (!active_streaming_)
        return;
    lastSample_ = lastSample;
    SetEvent(stopEvent_);
    // Decommitting wakes a thread that waits in GetBuffer; one that is to deliver its last
    // sample needs a buffer first.
    if (allocator_ && !lastSample)
        allocator_->Decommit();
    if (thread_.joinable())
        thread_.join();
    if (allocator_ && lastSample)
        allocator_->Decommit();
    active_streaming_ = false;
}

void OutputPin::ReportDeviceLost() {
    IFilterGraph* graph = filter_->Graph();
    ComPtr<IMediaEventSink> events;
    if (graph && SUCCEEDED(graph->QueryInterface(IID_PPV_ARGS(&events)))) {
        events->Notify(EC_DEVICE_LOST,
                       reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(filter_)), 0);
    }
}

bool OutputPin::WaitInterruptible(DWORD milliseconds) {
    return WaitForSingleObject(stopEvent_, milliseconds) == WAIT_TIMEOUT;
}

// What the streaming thread keeps between samples; a new run starts it afresh, except for
// the picture number, which keeps counting as the picture shows it.
struct OutputPin::RunState {
    LONGLONG frequency = 0;
    unsigned generation = 0;
    LONGLONG origin = 0;
    uint64_t slot = 0;      // pacing slots since the run started
    uint64_t delivered = 0; // samples delivered in this run
    uint64_t pictureNumber = 0;
    REFERENCE_TIME nextAudioTime = -1;
    bool stalled = false, ended = false;
    bool lostReported = false;
    DeviceStatus status;
    DWORD statusTick = 0;
    REFERENCE_TIME pacedInterval = 0;
    unsigned seededWith = 0; // the seed randomState was started from this run
    uint32_t randomState = 0;

    void StartRun(unsigned runGeneration) {
        generation = runGeneration;
        origin = Counter();
        slot = delivered = 0;
        stalled = ended = lostReported = false;
        nextAudioTime = -1;
        statusTick = 0;
        pacedInterval = 0;
        seededWith = 0; // each run starts the seed's sequence afresh
    }
};

void OutputPin::StreamLoop() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    std::unique_ptr<SampleSource> source = factory_();
    ALLOCATOR_PROPERTIES properties = {};
    allocator_->GetProperties(&properties);
    // A sound card fills buffers of the length asked for, whatever the allocator rounded to.
    const long bufferSize = audio_
                                ? std::min(properties.cbBuffer, BufferSizeFor(connectedType_.Get()))
                                : properties.cbBuffer;
    const bool started = source && source->Start(connectedType_.Get(), bufferSize);
    RunState run;
    run.frequency = CounterFrequency();

    HANDLE waits[2] = {stopEvent_, runEvent_};
    while (started) {
        if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
            break;
        if (run.generation != runGeneration_.load())
            run.StartRun(runGeneration_.load());
        if (run.statusTick == 0 || GetTickCount() - run.statusTick >= 250) {
            run.status = filter_->Status();
            run.statusTick = GetTickCount() | 1;
        }
        const Faults& faults = run.status.faults;
        REFERENCE_TIME interval = source->Interval();
        if (faults.actualFps > 0)
            interval = 10000000LL / faults.actualFps;
        if (!WaitForSlot(run, *source, interval))
            break;
        if (WaitForSingleObject(runEvent_, 0) != WAIT_OBJECT_0)
            continue; // paused meanwhile
        if (!run.status.plugged && audio_ && !run.lostReported) {
            // As a sound card pulled out tells its graph; the stream then stays silent.
            run.lostReported = true;
            ReportDeviceLost();
        }
        if (!run.status.plugged || run.ended || faults.deliverNothing != 0)
            continue;
        if (faults.stallMs > 0 && run.delivered == faults.stallAfter && !run.stalled) {
            run.stalled = true;
            if (!WaitInterruptible(faults.stallMs))
                break;
            // A sound card keeps capturing meanwhile: this slot's sound comes with the rest.
            if (source->KeepsBacklog())
                --run.slot;
            continue;
        }
        if (faults.endOfStreamAfter > 0 && run.delivered >= faults.endOfStreamAfter) {
            run.ended = true;
            peer_->EndOfStream();
            continue;
        }
        if (!DeliverSample(run, *source, faults, interval))
            break;
    }
    // A real filter may be in the middle of a sample when Stop comes, and delivers it.
    if (started && lastSample_ && run.status.plugged && !run.ended && peerInput_)
        DeliverSample(run, *source, run.status.faults,
                      run.pacedInterval != 0 ? run.pacedInterval : source->Interval());
    if (source)
        source->Stop();
    CoUninitialize();
}

bool OutputPin::WaitForSlot(RunState& run, SampleSource& source, REFERENCE_TIME interval) {
    // Wait for this slot's moment; far behind (after a stall or a slow encode), skip ahead.
    // A device whose clock is off paces by its own clock: a fast one delivers its
    // nominal intervals sooner.
    const LONGLONG frequency = run.frequency;
    const double slotTicks = std::max(1.0, static_cast<double>(interval) * frequency / 10000000.0 *
                                               1000000.0 / (1000000.0 + source.ClockPpm()));
    const LONGLONG intervalTicks = static_cast<LONGLONG>(slotTicks);
    if (interval != run.pacedInterval) {
        // A changed rate paces from now on, not from the start of the run.
        if (run.pacedInterval != 0) {
            run.origin = Counter();
            run.slot = 0;
        }
        run.pacedInterval = interval;
    }
    // A sound card hands a buffer over once it is full: one interval after its capture began.
    const double lead = source.HandsOverWhenFull() ? 1.0 : 0.0;
    LONGLONG due =
        run.origin + static_cast<LONGLONG>((static_cast<double>(run.slot) + lead) * slotTicks);
    const LONGLONG now = Counter();
    // A sound card's buffer holds about two seconds; what it held up comes late, at once.
    const LONGLONG behindLimit = source.KeepsBacklog() ? 2 * frequency : 3 * intervalTicks;
    if (now - due > behindLimit) {
        const auto caughtUp =
            static_cast<uint64_t>(static_cast<double>(now - run.origin) / slotTicks);
        // Sound that overflowed is lost, and the stamps say so.
        if (run.nextAudioTime >= 0 && caughtUp > run.slot)
            run.nextAudioTime += static_cast<REFERENCE_TIME>(caughtUp - run.slot) * interval;
        run.slot = caughtUp;
        due =
            run.origin + static_cast<LONGLONG>((static_cast<double>(run.slot) + lead) * slotTicks);
    }
    if (due > now && !WaitInterruptible(static_cast<DWORD>((due - now) * 1000 / frequency)))
        return false;
    ++run.slot;
    return true;
}

// Delivers one sample; answers false when the pin was stopped while it waited for a buffer.
bool OutputPin::DeliverSample(RunState& run, SampleSource& source, const Faults& faults,
                              REFERENCE_TIME interval) {
    IMediaSample* sample = nullptr;
    if (FAILED(allocator_->GetBuffer(&sample, nullptr, nullptr, 0)) || !sample)
        return WaitForSingleObject(stopEvent_, 0) != WAIT_OBJECT_0;
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    bool keyFrame = true;
    long length = data ? source.Produce(run.pictureNumber, data, sample->GetSize(), keyFrame) : -1;
    ++run.pictureNumber;
    if (length < 0) {
        sample->Release();
        return true;
    }
    const uint64_t number = run.delivered + 1;
    if (faults.randomSeed != run.seededWith) {
        run.seededWith = faults.randomSeed;
        run.randomState = faults.randomSeed;
    }
    // Each switch draws for every sample, on or off, so the samples one of them strikes
    // do not depend on the others.
    auto strikes = [&](unsigned every) {
        if (faults.randomSeed != 0) {
            const uint32_t draw = NextRandom(run.randomState);
            return every > 0 && draw % every == 0;
        }
        return every > 0 && number % every == 0;
    };
    const bool zeroLength = strikes(faults.zeroLengthEvery);
    const bool truncated = strikes(faults.truncateEvery);
    const bool corrupted = strikes(faults.corruptEvery);
    if (zeroLength) {
        length = 0;
    } else {
        if (truncated)
            length /= 2;
        if (corrupted) {
            // Scramble the middle of the payload, keeping its first bytes (the headers
            // that let a decoder start) so the damage reaches the decoder.
            for (long i = length / 4; i < length; i += 7)
                data[i] ^= 0x5a;
        }
    }
    sample->SetActualDataLength(length);
    REFERENCE_TIME start = std::max<REFERENCE_TIME>(0, filter_->StreamTime());
    if (audio_) {
        // Sound is stamped contiguously from the first buffer of the run, which began to be
        // captured one interval before it was handed over.
        if (run.nextAudioTime < 0)
            run.nextAudioTime =
                std::max<REFERENCE_TIME>(0, source.HandsOverWhenFull() ? start - interval : start);
        start = run.nextAudioTime;
        run.nextAudioTime += interval;
    }
    REFERENCE_TIME stop = start + interval;
    sample->SetTime(&start, &stop);
    sample->SetSyncPoint(keyFrame);
    sample->SetDiscontinuity(run.delivered == 0);
    sample->SetPreroll(FALSE);
    peerInput_->Receive(sample);
    sample->Release();
    ++run.delivered;
    return true;
}

} // namespace TestDevices
