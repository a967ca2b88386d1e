// PreviewRenderer: draws each decoded picture into the preview window with
// Direct3D 9. The picture goes into an off-screen YV12 surface of its own
// size; the device's StretchRect converts and scales it onto the back buffer.
// Only the capture engine's worker thread calls it.
#pragma once

#include <windows.h>

#include <d3d9.h>
#include <wrl/client.h>

#include <cstddef>
#include <cstdint>

#include "Core/StreamFormat.h"

enum class PreviewPath { None, Yv12, Rgb, Gdi };

class PreviewRenderer {
public:
    virtual ~PreviewRenderer() = default;

    // Copies a packed I420 picture (Y, then U, then V, no gaps; pictureSize
    // bytes) into the surface, making Direct3D, the device and the surface
    // when they are missing, when the picture size changes, or when the
    // window's client area no longer has the size the back buffer was made
    // for. A lost device (lock screen, display-mode change, a full-screen
    // program) is reset, or made anew, as soon as it can be. False when
    // nothing can be drawn (no picture, a window without an area, a device
    // still lost, a failed step, a surface that is busy).
    bool UploadFrame(HWND window, const StreamFormat& format, const uint8_t* picture,
                     std::size_t pictureSize);
    // Clears the whole back buffer to opaque black; nothing unless ready.
    void Clear();
    void BeginScene();
    void EndScene();
    // Stretches the surface over the destination rectangle and presents it;
    // false when nothing reached the window (the device was lost, among others).
    bool PresentFrame();
    // Waits, at most limitMs, until the device has carried out everything
    // asked of it so far (Direct3D may draw on a thread of its own).
    void WaitUntilDrawn(unsigned limitMs = 200);
    // Lets go of the surface, the device and Direct3D. The thread that drew
    // calls it before it ends, while the window still exists; the next
    // upload starts from the beginning.
    void Release();
    // The displays changed; nothing is made anew yet.
    void DisplayChanged() {}

    bool Ready() const { return m_ready; }
    PreviewPath Path() const { return m_ready ? PreviewPath::Yv12 : PreviewPath::None; }
    // The client rectangle the back buffer was made for.
    RECT Destination() const { return m_destination; }
    // How many devices have been made so far, and how many lost ones reset.
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
    // The device's calls that tell of, and end, a lost device. A test stands
    // in for them to lose the device, which no windowed device does under Wine.
    virtual HRESULT CooperativeLevel();
    virtual HRESULT PresentBackBuffer();
    virtual HRESULT ResetDevice(D3DPRESENT_PARAMETERS& parameters);

private:
    static D3DPRESENT_PARAMETERS PresentParameters(const RECT& client);
    bool CreateDevice(HWND window, const RECT& client);
    bool CreateSurface(int width, int height);
    bool Remake(HWND window, const StreamFormat& format, const RECT& client);
    // Brings a lost device back when it can be; false while it cannot.
    bool Recover(HWND window, const StreamFormat& format, const RECT& client);

    Microsoft::WRL::ComPtr<IDirect3D9> m_direct3D;
    Microsoft::WRL::ComPtr<IDirect3DDevice9> m_device;
    Microsoft::WRL::ComPtr<IDirect3DSurface9> m_surface;
    StreamFormat m_format{};
    RECT m_destination{};
    bool m_ready = false;
    unsigned m_direct3DMade = 0;
    unsigned m_devicesMade = 0;
    unsigned m_devicesReset = 0;
};
