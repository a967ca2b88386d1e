// IEnumPins and IEnumMediaTypes over snapshots taken when the enumerator is made.
#pragma once

#include <windows.h>

#include <dshow.h>
#include <wrl/client.h>

#include <atomic>
#include <vector>

#include "tools/testdevices/MediaTypes.h"

namespace TestDevices {

class PinEnumerator final : public IEnumPins {
public:
    explicit PinEnumerator(std::vector<Microsoft::WRL::ComPtr<IPin>> pins, size_t position = 0);
    ~PinEnumerator();

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP Next(ULONG count, IPin** pins, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumPins** clone) override;

private:
    std::atomic<ULONG> references_{1};
    std::vector<Microsoft::WRL::ComPtr<IPin>> pins_;
    size_t position_;
};

class MediaTypeEnumerator final : public IEnumMediaTypes {
public:
    explicit MediaTypeEnumerator(std::vector<MediaType> types, size_t position = 0);
    ~MediaTypeEnumerator();

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumMediaTypes** clone) override;

private:
    std::atomic<ULONG> references_{1};
    std::vector<MediaType> types_;
    size_t position_;
};

} // namespace TestDevices
