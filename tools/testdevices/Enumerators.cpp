#include "tools/testdevices/Enumerators.h"

#include <new>

#include "tools/testdevices/SourceFilter.h"

namespace TestDevices {

PinEnumerator::PinEnumerator(std::vector<Microsoft::WRL::ComPtr<IPin>> pins, size_t position)
    : pins_(std::move(pins)), position_(position) {
    ++g_objectCount;
}

PinEnumerator::~PinEnumerator() {
    --g_objectCount;
}

STDMETHODIMP PinEnumerator::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IEnumPins) {
        *out = static_cast<IEnumPins*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) PinEnumerator::AddRef() {
    return ++references_;
}

STDMETHODIMP_(ULONG) PinEnumerator::Release() {
    ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

STDMETHODIMP PinEnumerator::Next(ULONG count, IPin** pins, ULONG* fetched) {
    if (!pins || (count > 1 && !fetched))
        return E_POINTER;
    ULONG taken = 0;
    while (taken < count && position_ < pins_.size()) {
        pins[taken] = pins_[position_].Get();
        pins[taken]->AddRef();
        ++taken;
        ++position_;
    }
    if (fetched)
        *fetched = taken;
    return taken == count ? S_OK : S_FALSE;
}

STDMETHODIMP PinEnumerator::Skip(ULONG count) {
    if (count > pins_.size() - position_) {
        position_ = pins_.size();
        return S_FALSE;
    }
    position_ += count;
    return S_OK;
}

STDMETHODIMP PinEnumerator::Reset() {
    position_ = 0;
    return S_OK;
}

STDMETHODIMP PinEnumerator::Clone(IEnumPins** clone) {
    if (!clone)
        return E_POINTER;
    *clone = new (std::nothrow) PinEnumerator(pins_, position_);
    return *clone ? S_OK : E_OUTOFMEMORY;
}

MediaTypeEnumerator::MediaTypeEnumerator(std::vector<MediaType> types, size_t position)
    : types_(std::move(types)), position_(position) {
    ++g_objectCount;
}

MediaTypeEnumerator::~MediaTypeEnumerator() {
    --g_objectCount;
}

STDMETHODIMP MediaTypeEnumerator::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IEnumMediaTypes) {
        *out = static_cast<IEnumMediaTypes*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) MediaTypeEnumerator::AddRef() {
    return ++references_;
}

STDMETHODIMP_(ULONG) MediaTypeEnumerator::Release() {
    ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

STDMETHODIMP MediaTypeEnumerator::Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) {
    if (!types || (count > 1 && !fetched))
        return E_POINTER;
    ULONG taken = 0;
    while (taken < count && position_ < types_.size()) {
        AM_MEDIA_TYPE* copy = types_[position_].CreateCopy();
        if (!copy)
            break;
        types[taken++] = copy;
        ++position_;
    }
    if (fetched)
        *fetched = taken;
    return taken == count ? S_OK : S_FALSE;
}

STDMETHODIMP MediaTypeEnumerator::Skip(ULONG count) {
    if (count > types_.size() - position_) {
        position_ = types_.size();
        return S_FALSE;
    }
    position_ += count;
    return S_OK;
}

STDMETHODIMP MediaTypeEnumerator::Reset() {
    position_ = 0;
    return S_OK;
}

STDMETHODIMP MediaTypeEnumerator::Clone(IEnumMediaTypes** clone) {
    if (!clone)
        return E_POINTER;
    *clone = new (std::nothrow) MediaTypeEnumerator(types_, position_);
    return *clone ? S_OK : E_OUTOFMEMORY;
}

} // namespace TestDevices
