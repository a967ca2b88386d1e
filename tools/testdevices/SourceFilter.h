// The capture source filter of one synthetic device: a camera (video pins, image and optics
// properties) or a microphone (one PCM pin).
#pragma once

#include <windows.h>

#include <dshow.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tools/testdevices/CameraProperties.h"
#include "tools/testdevices/ConfigStore.h"

namespace TestDevices {

class OutputPin;

// IAMVideoProcAmp and IAMCameraControl have methods of the same names and signatures, so each
// lives in a small part object that shares the filter's reference count.
template <typename Interface, bool kCameraControl> class PropertyInterface : public Interface {
public:
    PropertyInterface(IUnknown* owner, CameraProperties* properties)
        : owner_(owner), properties_(properties) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        return owner_->QueryInterface(iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return owner_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return owner_->Release(); }
    STDMETHODIMP GetRange(LONG property, LONG* minimum, LONG* maximum, LONG* step,
                          LONG* defaultValue, LONG* capsFlags) override {
        return properties_->GetRange(kCameraControl, property, minimum, maximum, step, defaultValue,
                                     capsFlags);
    }
    STDMETHODIMP Set(LONG property, LONG value, LONG flags) override {
        return properties_->Set(kCameraControl, property, value, flags);
    }
    STDMETHODIMP Get(LONG property, LONG* value, LONG* flags) override {
        return properties_->Get(kCameraControl, property, value, flags);
    }

private:
    IUnknown* owner_;
    CameraProperties* properties_;
};

class SourceFilter : public IBaseFilter, public IAMFilterMiscFlags, public IPersistPropertyBag {
public:
    explicit SourceFilter(bool camera);
    virtual ~SourceFilter();
    SourceFilter(const SourceFilter&) = delete;
    SourceFilter& operator=(const SourceFilter&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPersist
    STDMETHODIMP GetClassID(CLSID* clsid) override;

    // IMediaFilter
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run(REFERENCE_TIME start) override;
    STDMETHODIMP GetState(DWORD timeout, FILTER_STATE* state) override;
    STDMETHODIMP SetSyncSource(IReferenceClock* clock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** clock) override;

    // IBaseFilter
    STDMETHODIMP EnumPins(IEnumPins** pins) override;
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override;
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR* info) override;

    // IAMFilterMiscFlags
    STDMETHODIMP_(ULONG) GetMiscFlags() override;

    // IPersistPropertyBag
    STDMETHODIMP InitNew() override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

    // For the pins.
    std::recursive_mutex& Lock() { return lock_; }
    FILTER_STATE State() const { return state_.load(); }
    IFilterGraph* Graph() const { return graph_; }
    // Current stream time: reference clock time minus the run's start time.
    REFERENCE_TIME StreamTime();
    // Plug state and fault switches, re-read at most four times a second.
    DeviceStatus Status();
    bool IsCamera() const { return camera_; }

private:
    void EnsurePins();
    void BuildPins(const std::wstring& devicePath);
    // Pause's work, lock held, without the driver's delay (Run from stopped takes it once).
    HRESULT PauseLocked();
    // A slow driver's time for a change of state; a call that changes nothing takes none.
    void StateChangeDelay(FILTER_STATE target);
    friend class PinEnumerator;

    const bool camera_;
    std::atomic<ULONG> references_{1};
    std::recursive_mutex lock_;
    std::atomic<FILTER_STATE> state_{State_Stopped};
    // The streaming thread's stream time never takes lock_: with lockedStop, Stop holds lock_
    // while it waits for that thread.
    std::mutex timeLock_; // guards the three below
    REFERENCE_TIME start_ = 0;
    LARGE_INTEGER runStartCounter_ = {};
    Microsoft::WRL::ComPtr<IReferenceClock> clock_;
    IFilterGraph* graph_ = nullptr; // not counted: the graph holds the filter
    std::wstring name_;
    std::wstring devicePath_;
    bool built_ = false;
    std::vector<std::unique_ptr<OutputPin>> pins_;
    CameraProperties properties_;
    PropertyInterface<IAMVideoProcAmp, false> procAmp_;
    PropertyInterface<IAMCameraControl, true> cameraControl_;
    bool hasVideoProcAmp_ = true;
    bool hasCameraControl_ = true;
    HRESULT startError_ = S_OK; // what a microphone's Pause and Run answer
    Delays delays_;             // of the device the pins were built for

    std::mutex statusLock_;   // guards the four below, never taken with lock_ after it
    std::wstring statusPath_; // devicePath_, for the streaming thread
    DWORD statusTick_ = 0;
    bool statusValid_ = false;
    DeviceStatus status_;
};

// Counts the live objects and server locks of the DLL, for DllCanUnloadNow.
extern std::atomic<long> g_objectCount;

} // namespace TestDevices
