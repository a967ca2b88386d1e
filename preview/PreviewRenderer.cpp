#include "preview/PreviewRenderer.h"

#include "capture/PictureConversion.h"
#include "preview/SurfaceCopy.h"

using Microsoft::WRL::ComPtr;

namespace {

bool SameSize(const RECT& a, const RECT& b) {
    return a.right - a.left == b.right - b.left && a.bottom - a.top == b.bottom - b.top;
}

} // namespace

D3DPRESENT_PARAMETERS PreviewRenderer::PresentParameters(const RECT& client) {
    D3DPRESENT_PARAMETERS parameters{};
    parameters.Windowed = TRUE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.BackBufferFormat = D3DFMT_UNKNOWN;
    // The client size now; a later change of it makes the device anew.
    parameters.BackBufferWidth = static_cast<UINT>(client.right - client.left);
    parameters.BackBufferHeight = static_cast<UINT>(client.bottom - client.top);
    return parameters;
}

bool PreviewRenderer::CreateDevice(HWND window, const RECT& client) {
    m_device.Reset();
    D3DPRESENT_PARAMETERS parameters = PresentParameters(client);
    HRESULT result = CreateDeviceFor(window, parameters, &m_device);
    if (FAILED(result) || !m_device) {
        m_device.Reset();
        return false;
    }
    ++m_devicesMade;
    return true;
}

bool PreviewRenderer::CreateSurface(int width, int height) {
    m_surface.Reset();
    HRESULT result =
        CreatePlainSurface(static_cast<UINT>(width), static_cast<UINT>(height),
                           static_cast<D3DFORMAT>(MAKEFOURCC('Y', 'V', '1', '2')), &m_surface);
    if (FAILED(result) || !m_surface) {
        m_surface.Reset();
        return false;
    }
    return true;
}

bool PreviewRenderer::Remake(HWND window, const StreamFormat& format, const RECT& client) {
    m_surface.Reset();
    if (!CreateDevice(window, client)) {
        return false;
    }
    if (!CreateSurface(format.width, format.height)) {
        return false;
    }
    m_format = format;
    m_destination = client;
    return true;
}

bool PreviewRenderer::UploadFrame(HWND window, const StreamFormat& format, const uint8_t* picture,
                                  std::size_t pictureSize) {
    if (picture == nullptr || format.width <= 0 || format.height <= 0 ||
        pictureSize < PackedI420Size(format.width, format.height)) {
        return false;
    }
    RECT client{};
    if (window == nullptr || !::GetClientRect(window, &client) || client.right <= client.left ||
        client.bottom <= client.top) {
        // A window without an area (not yet fitted) has nothing to draw into;
        // the device is made once it has its real size.
        return false;
    }
    if (!m_ready) {
        if (!m_direct3D) {
            // Adopted as created: MinGW's ComPtr::Attach would add a reference.
            *m_direct3D.GetAddressOf() = CreateDirect3D();
            if (!m_direct3D) {
                return false;
            }
            ++m_direct3DMade;
        }
        if (!Remake(window, format, client)) {
            return false;
        }
        m_ready = true;
    } else if (!Recover(window, format, client)) {
        // Lost and not yet to be reset: nothing is drawn until it can be.
        return false;
    } else if (format.width != m_format.width || format.height != m_format.height ||
               !SameSize(client, m_destination)) {
        if (!Remake(window, format, client)) {
            // Nothing usable is left: the next picture starts from the beginning.
            m_ready = false;
            return false;
        }
    }

    D3DLOCKED_RECT locked{};
    if (FAILED(m_surface->LockRect(&locked, nullptr, D3DLOCK_DONOTWAIT))) {
        return false;
    }
    if (locked.pBits == nullptr || locked.Pitch < format.width) {
        m_surface->UnlockRect();
        return false;
    }
    CopyI420ToYv12(picture, format.width, format.height, static_cast<uint8_t*>(locked.pBits),
                   locked.Pitch);
    return SUCCEEDED(m_surface->UnlockRect());
}

bool PreviewRenderer::Recover(HWND window, const StreamFormat& format, const RECT& client) {
    const HRESULT state = CooperativeLevel();
    if (state == D3D_OK) {
        return true;
    }
    if (state == D3DERR_DEVICELOST) {
        return false;
    }
    if (state == D3DERR_DEVICENOTRESET) {
        // Every resource of the default pool must go before a reset.
        m_surface.Reset();
        D3DPRESENT_PARAMETERS parameters = PresentParameters(client);
        if (SUCCEEDED(ResetDevice(parameters)) && CreateSurface(format.width, format.height)) {
            m_format = format;
            m_destination = client;
            ++m_devicesReset;
            return true;
        }
    }
    // A reset refused, or a driver that failed: a device of its own.
    if (Remake(window, format, client)) {
        return true;
    }
    m_ready = false;
    return false;
}

IDirect3D9* PreviewRenderer::CreateDirect3D() { return Direct3DCreate9(D3D_SDK_VERSION); }

HRESULT PreviewRenderer::CreateDeviceFor(HWND window, D3DPRESENT_PARAMETERS& parameters,
                                         IDirect3DDevice9** device) {
    return m_direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                    D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, device);
}

HRESULT PreviewRenderer::CheckConversion(D3DFORMAT source, D3DFORMAT target) {
    return m_direct3D->CheckDeviceFormatConversion(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, source,
                                                   target);
}

HRESULT PreviewRenderer::CreatePlainSurface(UINT width, UINT height, D3DFORMAT format,
                                            IDirect3DSurface9** surface) {
    return m_device->CreateOffscreenPlainSurface(width, height, format, D3DPOOL_DEFAULT, surface,
                                                 nullptr);
}

HRESULT PreviewRenderer::CooperativeLevel() {
    return m_device->TestCooperativeLevel();
}

HRESULT PreviewRenderer::PresentBackBuffer() {
    return m_device->Present(nullptr, nullptr, nullptr, nullptr);
}

HRESULT PreviewRenderer::ResetDevice(D3DPRESENT_PARAMETERS& parameters) {
    return m_device->Reset(&parameters);
}

void PreviewRenderer::Release() {
    m_ready = false;
    m_surface.Reset();
    m_device.Reset();
    m_direct3D.Reset();
}

void PreviewRenderer::WaitUntilDrawn(unsigned limitMs) {
    if (!m_device) {
        return;
    }
    // Made for each wait: a query would otherwise have to outlive resets.
    ComPtr<IDirect3DQuery9> query;
    if (FAILED(m_device->CreateQuery(D3DQUERYTYPE_EVENT, &query)) || !query ||
        FAILED(query->Issue(D3DISSUE_END))) {
        return;
    }
    const DWORD start = ::GetTickCount();
    while (query->GetData(nullptr, 0, D3DGETDATA_FLUSH) == S_FALSE &&
           ::GetTickCount() - start < limitMs) {
        ::Sleep(1);
    }
}

void PreviewRenderer::Clear() {
    if (m_ready) {
        m_device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(0xFF, 0, 0, 0), 1.0f, 0);
    }
}

void PreviewRenderer::BeginScene() {
    if (m_ready) {
        m_device->BeginScene();
    }
}

void PreviewRenderer::EndScene() {
    if (m_ready) {
        m_device->EndScene();
    }
}

bool PreviewRenderer::PresentFrame() {
    if (!m_ready) {
        return false;
    }
    ComPtr<IDirect3DSurface9> backBuffer;
    if (SUCCEEDED(m_device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) &&
        backBuffer) {
        m_device->StretchRect(m_surface.Get(), nullptr, backBuffer.Get(), &m_destination,
                              D3DTEXF_NONE);
    }
    backBuffer.Reset();
    // A lost device answers D3DERR_DEVICELOST here; the next upload asks
    // the device's state and brings it back.
    return SUCCEEDED(PresentBackBuffer());
}
