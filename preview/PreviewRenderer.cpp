#include "preview/PreviewRenderer.h"

#include <algorithm>
#include <new>

#include "capture/PictureConversion.h"
#include "preview/SurfaceCopy.h"

using Microsoft::WRL::ComPtr;

namespace {

const D3DFORMAT kYv12 = static_cast<D3DFORMAT>(MAKEFOURCC('Y', 'V', '1', '2'));

// After Direct3D failed, GDI draws and Direct3D is tried again after this
// pause, doubled after each further failure up to the longest: a machine
// without it is not asked for a device with every picture.
constexpr std::chrono::milliseconds kFirstRetry{1000};
constexpr std::chrono::milliseconds kLongestRetry{30000};

// A new window size is taken up (the device reset to it) once it has stayed
// this long: a drag's steps come faster, and a reset costs Wine a tenth of a
// second or more. Meanwhile Present stretches the back buffer over the window.
constexpr std::chrono::milliseconds kSizeSettles{150};

// Between two looks at whether the device has drawn: a turn takes a few
// milliseconds, so its end is found within a fraction of one.
constexpr std::chrono::microseconds kDrawnPollPause{250};

bool SameSize(const RECT& a, const RECT& b) {
    return a.right - a.left == b.right - b.left && a.bottom - a.top == b.bottom - b.top;
}

} // namespace

PreviewRenderer::PreviewRenderer() = default;

PreviewRenderer::~PreviewRenderer() = default;

D3DPRESENT_PARAMETERS PreviewRenderer::PresentParameters(const RECT& client) {
    D3DPRESENT_PARAMETERS parameters{};
    parameters.Windowed = TRUE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.BackBufferFormat = D3DFMT_UNKNOWN;
    // The client size now; a later change of it resets the device.
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

D3DFORMAT PreviewRenderer::BackBufferFormat() {
    // Windowed with D3DFMT_UNKNOWN, the back buffer takes the display's format.
    ComPtr<IDirect3DSurface9> backBuffer;
    D3DSURFACE_DESC description{};
    if (SUCCEEDED(m_device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) &&
        backBuffer && SUCCEEDED(backBuffer->GetDesc(&description))) {
        return description.Format;
    }
    return D3DFMT_X8R8G8B8;
}

bool PreviewRenderer::CreateSurface(int width, int height) {
    m_surface.Reset();
    const UINT w = static_cast<UINT>(width);
    const UINT h = static_cast<UINT>(height);
    if (!m_yv12Refused) {
        // Asked first: some drivers make the surface and then fail every
        // StretchRect from it.
        if (FAILED(CheckConversion(kYv12, BackBufferFormat()))) {
            m_yv12Refused = true;
        } else if (SUCCEEDED(CreatePlainSurface(w, h, kYv12, &m_surface)) && m_surface) {
            m_path = PreviewPath::Yv12;
            return true;
        } else {
            m_surface.Reset();
            m_yv12Refused = true;
        }
    }
    if (SUCCEEDED(CreatePlainSurface(w, h, D3DFMT_X8R8G8B8, &m_surface)) && m_surface) {
        m_path = PreviewPath::Rgb;
        return true;
    }
    m_surface.Reset();
    return false;
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

bool PreviewRenderer::Resize(HWND window, const StreamFormat& format, const RECT& client) {
    // Every resource of the default pool must go before a reset.
    m_surface.Reset();
    D3DPRESENT_PARAMETERS parameters = PresentParameters(client);
    if (SUCCEEDED(ResetDevice(parameters)) && CreateSurface(format.width, format.height)) {
        m_format = format;
        m_destination = client;
        ++m_devicesReset;
        return true;
    }
    // A reset refused, or a driver that failed: a device of its own.
    return Remake(window, format, client);
}

bool PreviewRenderer::StartDirect3D(HWND window, const StreamFormat& format, const RECT& client) {
    if (!m_direct3D) {
        // Adopted as created: MinGW's ComPtr::Attach would add a reference.
        *m_direct3D.GetAddressOf() = CreateDirect3D();
        if (!m_direct3D) {
            return false;
        }
        ++m_direct3DMade;
        m_yv12Refused = false;
    }
    return Remake(window, format, client);
}

void PreviewRenderer::DeviceFailed() {
    m_surface.Reset();
    m_device.Reset();
    m_pause.reset();
    m_ready = false;
    m_retryPause =
        m_retryPause.count() == 0 ? kFirstRetry : std::min(m_retryPause * 2, kLongestRetry);
    m_nextDeviceTry = Clock::now() + m_retryPause;
}

void PreviewRenderer::ReleaseDirect3D() {
    m_ready = false;
    m_path = PreviewPath::None;
    m_surface.Reset();
    m_device.Reset();
    m_direct3D.Reset();
    m_pause.reset();
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
    m_window = window;
    if (m_displayChanged.exchange(false)) {
        // The adapters Direct3D knew of may be gone or joined by others: it is
        // made anew, and tried at once even while GDI waits out a failure.
        ReleaseDirect3D();
        m_retryPause = std::chrono::milliseconds(0);
        m_nextDeviceTry = Clock::time_point{};
    }
    if (m_ready && m_path == PreviewPath::Gdi && Clock::now() >= m_nextDeviceTry) {
        m_ready = false; // time to try Direct3D again
    }
    if (!m_ready) {
        if (Clock::now() >= m_nextDeviceTry) {
            if (StartDirect3D(window, format, client)) {
                m_retryPause = std::chrono::milliseconds(0);
                m_gdi.Release();
                m_ready = true;
            } else {
                DeviceFailed();
            }
        }
        if (!m_ready) {
            m_path = PreviewPath::Gdi;
            m_ready = true;
        }
    } else if (m_path != PreviewPath::Gdi) {
        if (!Recover(window, format, client)) {
            // Lost and not yet to be reset: nothing is drawn until it can be.
            return false;
        }
        bool made = true;
        if (format.width != m_format.width || format.height != m_format.height) {
            made = Remake(window, format, client);
        } else if (!SameSize(client, m_destination)) {
            const Clock::time_point now = Clock::now();
            if (!SameSize(client, m_newClient)) {
                m_newClient = client;
                m_newClientSince = now;
            } else if (now - m_newClientSince >= kSizeSettles) {
                made = Resize(window, format, client);
            }
        }
        if (!made) {
            // Nothing usable is left: GDI draws from the next picture on.
            DeviceFailed();
            return false;
        }
    }
    if (m_path == PreviewPath::Gdi) {
        m_format = format;
        m_destination = client;
        return m_gdi.Upload(picture, format.width, format.height, client.right - client.left,
                            client.bottom - client.top);
    }
    return CopyToSurface(format, picture);
}

bool PreviewRenderer::CopyToSurface(const StreamFormat& format, const uint8_t* picture) {
    D3DLOCKED_RECT locked{};
    if (FAILED(m_surface->LockRect(&locked, nullptr, D3DLOCK_DONOTWAIT))) {
        return false;
    }
    bool copied = false;
    if (locked.pBits != nullptr && m_path == PreviewPath::Yv12 && locked.Pitch >= format.width) {
        CopyI420ToYv12(picture, format.width, format.height, static_cast<uint8_t*>(locked.pBits),
                       locked.Pitch);
        copied = true;
    } else if (locked.pBits != nullptr && m_path == PreviewPath::Rgb) {
        copied =
            m_rgb.Convert(picture, format.width, format.height, static_cast<uint8_t*>(locked.pBits),
                          locked.Pitch, format.width, format.height);
    }
    return SUCCEEDED(m_surface->UnlockRect()) && copied;
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
        if (Resize(window, format, client)) {
            return true;
        }
    } else if (Remake(window, format, client)) {
        // A driver that failed: a device of its own.
        return true;
    }
    DeviceFailed();
    return false;
}

IDirect3D9* PreviewRenderer::CreateDirect3D() {
    return Direct3DCreate9(D3D_SDK_VERSION);
}

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
    ReleaseDirect3D();
    m_gdi.Release();
    m_rgb.Release();
    m_retryPause = std::chrono::milliseconds(0);
    m_nextDeviceTry = Clock::time_point{};
}

void PreviewRenderer::WaitUntilDrawn(unsigned limitMs) {
    if (m_ready && m_path == PreviewPath::Gdi) {
        ::GdiFlush();
        return;
    }
    if (!m_device) {
        return;
    }
    // Made for each wait: a query would otherwise have to outlive resets.
    ComPtr<IDirect3DQuery9> query;
    if (FAILED(m_device->CreateQuery(D3DQUERYTYPE_EVENT, &query)) || !query ||
        FAILED(query->Issue(D3DISSUE_END))) {
        return;
    }
    if (!m_pause) {
        m_pause.reset(new (std::nothrow) ShortPause());
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    while (query->GetData(nullptr, 0, D3DGETDATA_FLUSH) == S_FALSE && Clock::now() < deadline) {
        if (m_pause) {
            m_pause->Wait(kDrawnPollPause);
        } else {
            ::Sleep(1);
        }
    }
}

void PreviewRenderer::Clear() {
    if (m_ready && m_device) {
        m_device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(0xFF, 0, 0, 0), 1.0f, 0);
    }
}

void PreviewRenderer::BeginScene() {
    if (m_ready && m_device) {
        m_device->BeginScene();
    }
}

void PreviewRenderer::EndScene() {
    if (m_ready && m_device) {
        m_device->EndScene();
    }
}

bool PreviewRenderer::PresentFrame() {
    if (!m_ready) {
        return false;
    }
    if (m_path == PreviewPath::Gdi) {
        return m_gdi.Present(m_window);
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
