// The in-process COM server: class factories, registration and unloading.
#include <windows.h>

#include <objbase.h>
#include <olectl.h>

#include <new>
#include <string>

#include "tools/testdevices/RegistryKey.h"
#include "tools/testdevices/SourceFilter.h"

using namespace TestDevices;

namespace {

HMODULE g_module = nullptr;

class ClassFactory : public IClassFactory {
public:
    explicit ClassFactory(bool camera) : camera_(camera) { ++g_objectCount; }
    virtual ~ClassFactory() { --g_objectCount; }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto* filter = new (std::nothrow) SourceFilter(camera_);
        if (!filter)
            return E_OUTOFMEMORY;
        HRESULT hr = filter->QueryInterface(iid, out);
        filter->Release(); // the object starts with one reference
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) {
            ++g_objectCount;
        } else {
            --g_objectCount;
        }
        return S_OK;
    }

private:
    const bool camera_;
    std::atomic<ULONG> references_{1};
};

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

bool RegisterFilterClass(const CLSID& clsid, const wchar_t* name, const std::wstring& modulePath) {
    const std::wstring key = L"CLSID\\" + GuidText(clsid);
    RegistryKey classKey, server;
    return classKey.Create(HKEY_CLASSES_ROOT, key) && classKey.WriteString(nullptr, name) &&
           server.Create(HKEY_CLASSES_ROOT, key + L"\\InprocServer32") &&
           server.WriteString(nullptr, modulePath) &&
           server.WriteString(L"ThreadingModel", L"Both");
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    bool camera;
    if (clsid == CLSID_OrvanaTestCamera) {
        camera = true;
    } else if (clsid == CLSID_OrvanaTestMicrophone) {
        camera = false;
    } else {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    auto* factory = new (std::nothrow) ClassFactory(camera);
    if (!factory)
        return E_OUTOFMEMORY;
    HRESULT hr = factory->QueryInterface(iid, out);
    factory->Release();
    return hr;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return g_objectCount == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(g_module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return SELFREG_E_CLASS;
    if (!RegisterFilterClass(CLSID_OrvanaTestCamera, L"Orvana Test Camera", path) ||
        !RegisterFilterClass(CLSID_OrvanaTestMicrophone, L"Orvana Test Microphone", path) ||
        !UpdateEnumeration()) {
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    bool ok = RemoveEnumeration();
    ok = DeleteKeyTree(HKEY_CLASSES_ROOT, L"CLSID\\" + GuidText(CLSID_OrvanaTestCamera)) && ok;
    ok = DeleteKeyTree(HKEY_CLASSES_ROOT, L"CLSID\\" + GuidText(CLSID_OrvanaTestMicrophone)) && ok;
    return ok ? S_OK : SELFREG_E_CLASS;
}
