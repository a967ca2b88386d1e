// Owners for memory that DirectShow hands out through the COM task allocator:
// media types (structure, format block and held object) and plain blocks such
// as pin identifiers.
#pragma once

#include <windows.h>

#include <dshow.h>
#include <oleauto.h>

#include <memory>

// Frees what a media type holds and clears it; the structure itself stays.
inline void FreeMediaTypeContents(AM_MEDIA_TYPE& type) {
    if (type.cbFormat != 0 || type.pbFormat != nullptr) {
        ::CoTaskMemFree(type.pbFormat);
        type.cbFormat = 0;
        type.pbFormat = nullptr;
    }
    if (type.pUnk != nullptr) {
        type.pUnk->Release();
        type.pUnk = nullptr;
    }
}

struct MediaTypeDeleter {
    void operator()(AM_MEDIA_TYPE* type) const {
        if (type != nullptr) {
            FreeMediaTypeContents(*type);
            ::CoTaskMemFree(type);
        }
    }
};

// A media type allocated by a filter (GetFormat, GetStreamCaps).
using MediaTypePtr = std::unique_ptr<AM_MEDIA_TYPE, MediaTypeDeleter>;

struct CoTaskMemDeleter {
    void operator()(void* block) const { ::CoTaskMemFree(block); }
};

// A block from CoTaskMemAlloc, e.g. the text of IPin::QueryId.
template <class T> using CoTaskMemPtr = std::unique_ptr<T, CoTaskMemDeleter>;

// A VARIANT that is cleared when it goes out of scope.
class ScopedVariant {
public:
    ScopedVariant() { ::VariantInit(&value); }
    ~ScopedVariant() { ::VariantClear(&value); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;

    VARIANT value;
};
