// PreviewRenderer: draws each decoded picture into the preview window. The
// main path is Direct3D 9: the picture goes into an off-screen YV12 surface
// of its own size and the device's StretchRect converts and scales it onto
// the back buffer. Adapters that do not convert YV12 (virtual machines,
// remote sessions, the basic display driver) get an X8R8G8B8 surface filled
// by libswscale instead; where no Direct3D 9 device can be made at all the
// picture is drawn with GDI. Only the capture engine's worker thread calls it.
#pragma once

#include <windows.h>

#include <d3d9.h>
#include <wrl/client.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "Core/StreamFormat.h"
#include "preview/GdiPicture.h"
#include "preview/RgbPicture.h"
#include "preview/ShortPause.h"

// How the preview reaches the screen.
enum class PreviewPath {
    None, // nothing made yet, or let go of
    Yv12, // Direct3D, the adapter converts the YV12 surface
    Rgb,  // Direct3D, an X8R8G8B8 surface converted by libswscale
    Gdi,  // no Direct3D device: StretchDIBits of a converted picture
};

class PreviewRenderer {
public:
    PreviewRenderer();
    virtual ~PreviewRenderer();
    PreviewRenderer(const PreviewRenderer&) = delete;
    PreviewRenderer& operator=(const PreviewRenderer&) = delete;

    // Copies a packed I420 picture (Y, then U, then V, no gaps; pictureSize
    // bytes) for drawing, making Direct3D, the device and the surface when
    // they are missing or the picture size changes; a new client size resets
    // the device once it has settled (a drag's steps are stretched by
    // Present meanwhile). A lost device (lock screen, display-mode change, a
    // full-screen program) is reset, or made anew, as soon as it can be.
    // Where Direct3D cannot be had, GDI draws, and Direct3D is tried again
    // after a pause that grows with each failure. False when nothing can be
    // drawn (no picture, a window without an area, a device still lost, a
    // failed step, a surface that is busy).
    bool UploadFrame(HWND window, const StreamFormat& format, const uint8_t* picture,
                     std::size_t pictureSize);
    // Clears the whole back buffer to opaque black; nothing unless ready.
    void Clear();
    void BeginScene();
    void EndScene();
    // Stretches the picture over the destination rectangle and presents it;
    // false when nothing reached the window (the device was lost, among others).
    bool PresentFrame();
    // Waits, at most limitMs, until everything asked of the device so far has
    // been carried out (Direct3D may draw on a thread of its own).
    void WaitUntilDrawn(unsigned limitMs = 200);
    // Lets go of the surface, the device and Direct3D. The thread that drew
    // calls it before it ends, while the window still exists; the next
    // upload starts from the beginning.
    void Release();
    // The displays changed (a monitor docked or removed, another adapter):
    // the next upload makes Direct3D anew and tries a device at once. Any
    // thread may call it.
    void DisplayChanged() { m_displayChanged = true; }

    bool Ready() const { return m_ready; }
    PreviewPath Path() const { return m_ready ? m_path : PreviewPath::None; }
    // The client rectangle the back buffer (or GDI's picture) was made for.
    RECT Destination() const { return m_destination; }
    // How many Direct3D objects and devices have been made so far, and how
    // many devices reset (lost, or for a new window size).
    unsigned Direct3DMade() const { return m_direct3DMade; }
    unsigned DevicesMade() const { return m_devicesMade; }
    unsigned DevicesReset() const { return m_devicesReset; }

protected:
    // The platform's calls that fail on some machines. A test stands in for
    // them to get those failures, which Wine on Xvfb never gives.
    virtual IDirect3D9* CreateDirect3D();
    virtual HRESULT CreateDeviceFor(HWND window, D3DPRESENT_PARAMETERS& parameters,
                                    IDirect3DDevice9** device);
    virtual HRESULT CheckConversion(D3DFORMAT source, D3DFORMAT target);
    virtual HRESULT CreatePlainSurface(UINT width, UINT height, D3DFORMAT format,
                                       IDirect3DSurface9** surface);
    // The device's calls that tell of, and end, a lost device; no windowed
    // device is lost under Wine.
    virtual HRESULT CooperativeLevel();
    virtual HRESULT PresentBackBuffer();
    virtual HRESULT ResetDevice(D3DPRESENT_PARAMETERS& parameters);

private:
    using Clock = std::chrono::steady_clock;

    static D3DPRESENT_PARAMETERS PresentParameters(const RECT& client);
    bool StartDirect3D(HWND window, const StreamFormat& format, const RECT& client);
    bool CreateDevice(HWND window, const RECT& client);
    D3DFORMAT BackBufferFormat();
    // The YV12 surface where the adapter converts it, else the RGB one.
    bool CreateSurface(int width, int height);
    bool Remake(HWND window, const StreamFormat& format, const RECT& client);
    // Gives the back buffer the window's new size.
    bool Resize(HWND window, const StreamFormat& format, const RECT& client);
    bool Recover(HWND window, const StreamFormat& format, const RECT& client);
    void ReleaseDirect3D();
    void DeviceFailed();
    bool CopyToSurface(const StreamFormat& format, const uint8_t* picture);

    HWND m_window = nullptr;
    Microsoft::WRL::ComPtr<IDirect3D9> m_direct3D;
    Microsoft::WRL::ComPtr<IDirect3DDevice9> m_device;
    Microsoft::WRL::ComPtr<IDirect3DSurface9> m_surface;
    StreamFormat m_format{};
    RECT m_destination{};
    // A client size that differs from the back buffer's, and since when.
    RECT m_newClient{};
    Clock::time_point m_newClientSince{};
    bool m_ready = false;
    PreviewPath m_path = PreviewPath::None;
    // The adapter refused YV12 (asked, or its surface failed) for this Direct3D object.
    bool m_yv12Refused = false;
    std::atomic<bool> m_displayChanged{false};
    // When Direct3D may be tried again after a failure, and the pause after the next one.
    Clock::time_point m_nextDeviceTry{};
    std::chrono::milliseconds m_retryPause{0};
    RgbPicture m_rgb;
    GdiPicture m_gdi;
    // Made while drawing with Direct3D, for the polls of WaitUntilDrawn.
    std::unique_ptr<ShortPause> m_pause;
    unsigned m_direct3DMade = 0;
    unsigned m_devicesMade = 0;
    unsigned m_devicesReset = 0;
};
