#include "preview/PreviewRenderer.h"

#include "capture/PictureConversion.h"

using Microsoft::WRL::ComPtr;

namespace {

bool SameSize(const RECT& a, const RECT& b) {
    return a.right - a.left == b.right - b.left && a.bottom - a.top == b.bottom - b.top;
}

} // namespace

bool PreviewRenderer::CreateDevice(HWND window, UINT width, UINT height) {
    m_device.Reset();
    D3DPRESENT_PARAMETERS parameters{};
    parameters.Windowed = TRUE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.BackBufferFormat = D3DFMT_UNKNOWN;
    // The client size now; a later change of it makes the device anew.
    parameters.BackBufferWidth = width;
    parameters.BackBufferHeight = height;
    HRESULT result =
        m_direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                 D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &m_device);
    if (FAILED(result) || !m_device) {
        m_device.Reset();
        return false;
    }
    ++m_devicesMade;
    return true;
}

bool PreviewRenderer::CreateSurface(int width, int height) {
    m_surface.Reset();
    HRESULT result = m_device->CreateOffscreenPlainSurface(
        static_cast<UINT>(width), static_cast<UINT>(height),
        static_cast<D3DFORMAT>(MAKEFOURCC('Y', 'V', '1', '2')), D3DPOOL_DEFAULT, &m_surface,
        nullptr);
    if (FAILED(result) || !m_surface) {
        m_surface.Reset();
        return false;
    }
    return true;
}

bool PreviewRenderer::Remake(HWND window, const StreamFormat& format, const RECT& client) {
    m_surface.Reset();
    if (!CreateDevice(window, static_cast<UINT>(client.right - client.left),
                      static_cast<UINT>(client.bottom - client.top))) {
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
            *m_direct3D.GetAddressOf() = Direct3DCreate9(D3D_SDK_VERSION);
            if (!m_direct3D) {
                return false;
            }
        }
        if (!Remake(window, format, client)) {
            return false;
        }
        m_ready = true;
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

void PreviewRenderer::Release() {
    m_ready = false;
    m_surface.Reset();
    m_device.Reset();
    m_direct3D.Reset();
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

void PreviewRenderer::PresentFrame() {
    if (!m_ready) {
        return;
    }
    ComPtr<IDirect3DSurface9> backBuffer;
    if (SUCCEEDED(m_device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) &&
        backBuffer) {
        m_device->StretchRect(m_surface.Get(), nullptr, backBuffer.Get(), &m_destination,
                              D3DTEXF_NONE);
    }
    backBuffer.Reset();
    m_device->Present(nullptr, nullptr, nullptr, nullptr);
}
