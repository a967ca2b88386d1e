// One output pin of a synthetic capture filter: formats and stream configuration, the pin
// category, connection with allocator negotiation, and the streaming thread.
#pragma once

#include <windows.h>

#include <dshow.h>
#include <wrl/client.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tools/testdevices/MediaTypes.h"
#include "tools/testdevices/SampleSource.h"

namespace TestDevices {

class SourceFilter;
struct Faults;

// One offered capability: its media type and its capability record (video or audio).
struct PinFormat {
    MediaType type;
    std::vector<BYTE> caps;
};

class OutputPin final : public IPin,
                        public IKsPropertySet,
                        public IAMStreamConfig,
                        public IAMBufferNegotiation {
public:
    using SourceFactory = std::function<std::unique_ptr<SampleSource>()>;

    OutputPin(SourceFilter* filter, std::wstring id, std::wstring name, const GUID& category,
              std::vector<PinFormat> formats, SourceFactory factory);
    ~OutputPin();
    OutputPin(const OutputPin&) = delete;
    OutputPin& operator=(const OutputPin&) = delete;

    // IUnknown: the pin lives as long as its filter and shares its reference count.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPin
    STDMETHODIMP Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** pin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* type) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override;
    STDMETHODIMP QueryId(LPWSTR* id) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;
    STDMETHODIMP QueryInternalConnections(IPin** pins, ULONG* count) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    // IKsPropertySet: the pin category.
    STDMETHODIMP Set(REFGUID set, DWORD id, LPVOID instance, DWORD instanceLength, LPVOID data,
                     DWORD dataLength) override;
    STDMETHODIMP Get(REFGUID set, DWORD id, LPVOID instance, DWORD instanceLength, LPVOID data,
                     DWORD dataLength, DWORD* returned) override;
    STDMETHODIMP QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

    // IAMStreamConfig
    STDMETHODIMP SetFormat(AM_MEDIA_TYPE* type) override;
    STDMETHODIMP GetFormat(AM_MEDIA_TYPE** type) override;
    STDMETHODIMP GetNumberOfCapabilities(int* count, int* size) override;
    STDMETHODIMP GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) override;

    // IAMBufferNegotiation
    STDMETHODIMP SuggestAllocatorProperties(const ALLOCATOR_PROPERTIES* properties) override;
    STDMETHODIMP GetAllocatorProperties(ALLOCATOR_PROPERTIES* properties) override;

    // Length of an audio pin's buffers when nothing is suggested (IAMBufferNegotiation).
    void SetDefaultAudioBufferMs(int milliseconds) { defaultAudioBufferMs_ = milliseconds; }

    const std::wstring& Id() const { return id_; }
    bool IsConnected() const { return peer_ != nullptr; }
    // Called by the filter with its lock held: leaving Stopped, entering Running, back to
    // Paused. Deactivate is called without the lock, as it waits for the streaming thread,
    // unless the camera's lockedStop behaviour asks for it (lastSample: the thread delivers one
    // more sample before it ends).
    HRESULT Activate();
    void SetRunning(bool running);
    void Deactivate(bool lastSample = false);

private:
    // The offered format that a media type selects, or -1.
    int MatchFormat(const AM_MEDIA_TYPE& type) const;
    // Media types in the order a connection tries them.
    std::vector<MediaType> ConnectionTypes() const;
    HRESULT TryConnection(IPin* receivePin, const MediaType& type);
    HRESULT DecideAllocator(IMemInputPin* input, long bufferSize);
    long BufferSizeFor(const AM_MEDIA_TYPE& type) const;
    struct RunState;
    void StreamLoop();
    // Waits for the run's next pacing slot; false when the pin was stopped meanwhile.
    bool WaitForSlot(RunState& run, SampleSource& source, REFERENCE_TIME interval);
    bool DeliverSample(RunState& run, SampleSource& source, const Faults& faults,
                       REFERENCE_TIME interval);
    bool WaitInterruptible(DWORD milliseconds);
    // EC_DEVICE_LOST to the filter's graph.
    void ReportDeviceLost();

    SourceFilter* filter_;
    const std::wstring id_;
    const std::wstring name_;
    const GUID category_;
    const std::vector<PinFormat> formats_;
    const SourceFactory factory_;
    const bool audio_;

    MediaType active_;          // the format in force (GetFormat)
    bool formatChosen_ = false; // SetFormat was called: only that format is offered
    ALLOCATOR_PROPERTIES suggested_ = {-1, -1, -1, -1};
    int defaultAudioBufferMs_ = 20;

    Microsoft::WRL::ComPtr<IPin> peer_;
    Microsoft::WRL::ComPtr<IMemInputPin> peerInput_;
    Microsoft::WRL::ComPtr<IMemAllocator> allocator_;
    MediaType connectedType_;

    HANDLE stopEvent_ = nullptr; // manual reset: the streaming thread must end
    HANDLE runEvent_ = nullptr;  // manual reset: set while the filter runs
    std::atomic<unsigned> runGeneration_{0};
    std::atomic<bool> lastSample_{false}; // set before stopEvent_: deliver once more, then end
    std::thread thread_;
    bool active_streaming_ = false;
};

} // namespace TestDevices
