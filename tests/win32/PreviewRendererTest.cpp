// The Direct3D 9 renderer drawing into a real window (Wine on Xvfb): colour
// where expected, and devices made when the picture or the window changes.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <gtest/gtest.h>

#include "capture/PictureConversion.h"
#include "preview/PreviewRenderer.h"
#include "tests/support/DirectShowFormats.h"
#include "tests/support/MessagePump.h"
#include "tests/win32/MediaTestSupport.h"
#include "tests/win32/WindowsTimerTicks.h"

namespace {

LRESULT CALLBACK BlackProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow(int width, int height) {
    static bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = BlackProc;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
        windowClass.lpszClassName = "RendererTestWindow";
        return ::RegisterClassA(&windowClass) != 0;
    }();
    EXPECT_TRUE(registered);
    HWND window =
        ::CreateWindowExA(WS_EX_TOPMOST, "RendererTestWindow", "", WS_POPUP | WS_VISIBLE, 20, 20,
                          width, height, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ::UpdateWindow(window);
    return window;
}

using TestSupport::Pump;

// Video-range BT.601 red and blue as Y, U, V.
const MediaTest::Yuv kRed{81, 90, 240};
const MediaTest::Yuv kBlue{41, 240, 110};

// Packed I420 picture of two halves, by default left red, right blue.
std::vector<uint8_t> RedBluePicture(int width, int height, MediaTest::Yuv left = kRed,
                                    MediaTest::Yuv right = kBlue) {
    std::vector<uint8_t> planes(static_cast<size_t>(width) * height * 2);
    std::vector<uint8_t> sample = MediaTest::Yuy2Halves(width, height, left, right);
    uint8_t* y = planes.data();
    uint8_t* u = y + width * height;
    uint8_t* v = u + (width / 2) * (height / 2);
    EXPECT_TRUE(Yuy2ToI420(sample.data(), sample.size(), width, height, y, width, u, width / 2, v,
                           width / 2));
    return planes;
}

bool Draw(PreviewRenderer& renderer, HWND window, const StreamFormat& format,
          const std::vector<uint8_t>& picture) {
    if (!renderer.UploadFrame(window, format, picture.data(), picture.size())) {
        return false;
    }
    renderer.Clear();
    renderer.BeginScene();
    renderer.EndScene();
    renderer.PresentFrame();
    return true;
}

bool IsRed(COLORREF c) {
    return GetRValue(c) > 160 && GetBValue(c) < 90 && GetGValue(c) < 90;
}
bool IsBlue(COLORREF c) {
    return GetBValue(c) > 160 && GetRValue(c) < 90 && GetGValue(c) < 90;
}

} // namespace

TEST(PreviewRenderer, DrawsThePictureStretchedOverTheWindow) {
    HWND window = MakeWindow(320, 180);
    PreviewRenderer renderer;
    const StreamFormat format = TestSupport::StreamFormatOf("YUY2", 160, 90);
    const std::vector<uint8_t> picture = RedBluePicture(160, 90);
    ASSERT_TRUE(Draw(renderer, window, format, picture));
    EXPECT_TRUE(renderer.Ready());
    EXPECT_EQ(renderer.DevicesMade(), 1u);
    Pump(200);
    ASSERT_TRUE(Draw(renderer, window, format, picture));
    Pump(200);
    // The second picture of the same size only uploads.
    EXPECT_EQ(renderer.DevicesMade(), 1u);
    for (int y : {5, 90, 175}) {
        EXPECT_TRUE(IsRed(MediaTest::ScreenPixel(window, 10, y)))
            << std::hex << MediaTest::ScreenPixel(window, 10, y);
        EXPECT_TRUE(IsRed(MediaTest::ScreenPixel(window, 150, y)));
        EXPECT_TRUE(IsBlue(MediaTest::ScreenPixel(window, 170, y)))
            << std::hex << MediaTest::ScreenPixel(window, 170, y);
        EXPECT_TRUE(IsBlue(MediaTest::ScreenPixel(window, 315, y)));
    }
    // Released (as the drawing thread does before it ends), nothing is drawn
    // until the next upload, which starts again from Direct3D.
    renderer.Release();
    EXPECT_FALSE(renderer.Ready());
    renderer.Clear();
    renderer.PresentFrame();
    ASSERT_TRUE(Draw(renderer, window, format, picture));
    EXPECT_EQ(renderer.DevicesMade(), 2u);
    Pump(200);
    ASSERT_TRUE(Draw(renderer, window, format, picture));
    Pump(200);
    EXPECT_TRUE(IsBlue(MediaTest::ScreenPixel(window, 170, 90)));
    renderer.Release();
    ::DestroyWindow(window);
}

TEST(PreviewRenderer, CatchesUpWithAWindowThatGetsItsSizeLate) {
    // The preview window starts as 0 x 0 until the control places it.
    HWND window = MakeWindow(0, 0);
    PreviewRenderer renderer;
    const StreamFormat format = TestSupport::StreamFormatOf("YUY2", 64, 36);
    const std::vector<uint8_t> picture = RedBluePicture(64, 36);
    EXPECT_FALSE(Draw(renderer, window, format, picture));
    EXPECT_EQ(renderer.DevicesMade(), 0u);

    ::MoveWindow(window, 20, 20, 256, 144, TRUE);
    Pump(50);
    ASSERT_TRUE(Draw(renderer, window, format, picture));
    RECT destination = renderer.Destination();
    EXPECT_EQ(destination.right - destination.left, 256);
    EXPECT_EQ(destination.bottom - destination.top, 144);

    // A later resize is followed too, once the size has settled, and the
    // picture fills the new area; the device is reset to the new size, not
    // made anew.
    ::MoveWindow(window, 20, 20, 400, 225, TRUE);
    Pump(50);
    ASSERT_TRUE(Draw(renderer, window, format, picture));
    Pump(200);
    ASSERT_TRUE(Draw(renderer, window, format, picture));
    EXPECT_EQ(renderer.DevicesMade(), 1u);
    EXPECT_EQ(renderer.DevicesReset(), 1u);
    EXPECT_EQ(renderer.Destination().right, 400);
    Pump(200);
    ASSERT_TRUE(Draw(renderer, window, format, picture));
    Pump(200);
    EXPECT_TRUE(IsRed(MediaTest::ScreenPixel(window, 5, 220)));
    EXPECT_TRUE(IsBlue(MediaTest::ScreenPixel(window, 395, 220)));

    // A new picture size makes device and surface anew.
    const StreamFormat larger = TestSupport::StreamFormatOf("YUY2", 128, 72);
    ASSERT_TRUE(Draw(renderer, window, larger, RedBluePicture(128, 72)));
    EXPECT_EQ(renderer.DevicesMade(), 2u);
    ::DestroyWindow(window);
}

TEST(PreviewRenderer, RefusesMissingOrShortPictures) {
    HWND window = MakeWindow(100, 100);
    PreviewRenderer renderer;
    const StreamFormat format = TestSupport::StreamFormatOf("YUY2", 64, 36);
    std::vector<uint8_t> picture = RedBluePicture(64, 36);
    EXPECT_FALSE(renderer.UploadFrame(window, format, nullptr, picture.size()));
    EXPECT_FALSE(renderer.UploadFrame(window, format, picture.data(), 64 * 36));
    EXPECT_FALSE(renderer.Ready());
    // Nothing happens before the first upload.
    renderer.Clear();
    renderer.PresentFrame();
    EXPECT_EQ(renderer.DevicesMade(), 0u);
    EXPECT_TRUE(renderer.UploadFrame(window, format, picture.data(), picture.size()));
    ::DestroyWindow(window);
}

namespace {

// The device is lost as a lock screen or a full-screen program loses it: the
// device answers TestCooperativeLevel with D3DERR_DEVICELOST, then, once it
// may be, with D3DERR_DEVICENOTRESET until it is reset; meanwhile Present
// shows nothing. A device made anew is not lost.
class LosingRenderer : public PreviewRenderer {
public:
    enum class Loss { None, Lost, CanReset };
    void Lose(Loss loss) {
        m_loss = loss;
        m_lostDevice = DevicesMade();
    }
    unsigned presentsWhileLost = 0;
    bool refuseReset = false;

protected:
    HRESULT CooperativeLevel() override {
        if (IsLost()) {
            return m_loss == Loss::Lost ? D3DERR_DEVICELOST : D3DERR_DEVICENOTRESET;
        }
        return PreviewRenderer::CooperativeLevel();
    }
    HRESULT PresentBackBuffer() override {
        if (IsLost()) {
            ++presentsWhileLost;
            return D3DERR_DEVICELOST;
        }
        return PreviewRenderer::PresentBackBuffer();
    }
    HRESULT ResetDevice(D3DPRESENT_PARAMETERS& parameters) override {
        if (IsLost() && (m_loss == Loss::Lost || refuseReset)) {
            return m_loss == Loss::Lost ? D3DERR_DEVICELOST : D3DERR_INVALIDCALL;
        }
        const HRESULT result = PreviewRenderer::ResetDevice(parameters);
        if (SUCCEEDED(result)) {
            Lose(Loss::None);
        }
        return result;
    }

private:
    // A new device may reuse the old one's address: devices are told apart by number.
    bool IsLost() const { return m_loss != Loss::None && DevicesMade() == m_lostDevice; }
    Loss m_loss = Loss::None;
    unsigned m_lostDevice = 0;
};

} // namespace

TEST(PreviewRenderer, ALostDeviceIsSkippedThenBroughtBackWithoutAResize) {
    HWND window = MakeWindow(320, 180);
    LosingRenderer renderer;
    const StreamFormat format = TestSupport::StreamFormatOf("YUY2", 160, 90);
    const std::vector<uint8_t> redBlue = RedBluePicture(160, 90);
    const std::vector<uint8_t> blueRed = RedBluePicture(160, 90, kBlue, kRed);
    auto shows = [&](bool redLeft) {
        for (int i = 0; i < 2; ++i) {
            Draw(renderer, window, format, redLeft ? redBlue : blueRed);
            Pump(150);
        }
        const COLORREF left = MediaTest::ScreenPixel(window, 10, 90);
        return redLeft ? IsRed(left) : IsBlue(left);
    };
    ASSERT_TRUE(shows(true));

    // While lost nothing is drawn, however many pictures come.
    renderer.Lose(LosingRenderer::Loss::Lost);
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(Draw(renderer, window, format, blueRed));
    }
    EXPECT_EQ(renderer.presentsWhileLost, 0u);

    // Once it can be reset, the next pictures reset it and show again.
    renderer.Lose(LosingRenderer::Loss::CanReset);
    EXPECT_TRUE(shows(false));
    EXPECT_EQ(renderer.DevicesReset(), 1u);
    EXPECT_EQ(renderer.DevicesMade(), 1u);

    // A device that refuses its reset is made anew.
    renderer.Lose(LosingRenderer::Loss::CanReset);
    renderer.refuseReset = true;
    EXPECT_TRUE(shows(true));
    EXPECT_EQ(renderer.DevicesMade(), 2u);
    EXPECT_EQ(renderer.presentsWhileLost, 0u);
    renderer.Release();
    ::DestroyWindow(window);
}

// Renderer fallbacks: machines whose Direct3D cannot do what the main path
// needs. The renderer's seams answer as such machines do; the picture must
// reach the screen all the same, in its colours, the right way up, over the
// whole window.
namespace {

const MediaTest::Yuv kGreen{145, 54, 34};
const MediaTest::Yuv kWhite{235, 128, 128};

// Packed I420 picture of four quarters: red, blue above; green, white below.
std::vector<uint8_t> QuarterPicture(int width, int height) {
    std::vector<uint8_t> planes(PackedI420Size(width, height));
    uint8_t* y = planes.data();
    uint8_t* u = y + width * height;
    uint8_t* v = u + (width / 2) * (height / 2);
    auto quarter = [&](int x, int row) {
        const bool right = x >= width / 2;
        const bool lower = row >= height / 2;
        return lower ? (right ? kWhite : kGreen) : (right ? kBlue : kRed);
    };
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            y[row * width + x] = quarter(x, row).y;
        }
    }
    for (int row = 0; row < height / 2; ++row) {
        for (int x = 0; x < width / 2; ++x) {
            u[row * (width / 2) + x] = quarter(2 * x, 2 * row).u;
            v[row * (width / 2) + x] = quarter(2 * x, 2 * row).v;
        }
    }
    return planes;
}

bool IsGreen(COLORREF c) {
    return GetGValue(c) > 160 && GetRValue(c) < 90 && GetBValue(c) < 90;
}
bool IsWhite(COLORREF c) {
    return GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) > 200;
}

// The four quarters where the window's client area puts them, near its
// corners and near its middle.
::testing::AssertionResult ShowsQuarters(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    const int w = client.right;
    const int h = client.bottom;
    struct Point {
        int x, y;
        bool (*is)(COLORREF);
        const char* name;
    };
    const Point points[] = {{4, 4, IsRed, "red"},
                            {w / 2 - 6, h / 2 - 6, IsRed, "red"},
                            {w - 5, 4, IsBlue, "blue"},
                            {w / 2 + 6, h / 2 - 6, IsBlue, "blue"},
                            {4, h - 5, IsGreen, "green"},
                            {w / 2 - 6, h / 2 + 6, IsGreen, "green"},
                            {w - 5, h - 5, IsWhite, "white"},
                            {w / 2 + 6, h / 2 + 6, IsWhite, "white"}};
    for (const Point& point : points) {
        const COLORREF seen = MediaTest::ScreenPixel(window, point.x, point.y);
        if (!point.is(seen)) {
            return ::testing::AssertionFailure()
                   << "at " << point.x << "," << point.y << " of " << w << "x" << h << " "
                   << point.name << " expected, seen " << int{GetRValue(seen)} << " "
                   << int{GetGValue(seen)} << " " << int{GetBValue(seen)};
        }
    }
    return ::testing::AssertionSuccess();
}

// Draws a few pictures as the preview does, letting the screen catch up.
::testing::AssertionResult DrawsQuarters(PreviewRenderer& renderer, HWND window, int width,
                                         int height) {
    const StreamFormat format = TestSupport::StreamFormatOf("YUY2", width, height);
    const std::vector<uint8_t> picture = QuarterPicture(width, height);
    for (int i = 0; i < 3; ++i) {
        if (!Draw(renderer, window, format, picture)) {
            return ::testing::AssertionFailure() << "picture " << i << " was not drawn";
        }
        renderer.WaitUntilDrawn();
        Pump(100);
    }
    return ShowsQuarters(window);
}

// An adapter with the habits of the machines that lack what the main path
// needs. Each refusal answers as those drivers do.
class RudeAdapterRenderer : public PreviewRenderer {
public:
    bool noDirect3D = false;       // Direct3DCreate9 answers null (no 3D driver at all)
    bool noDevice = false;         // no HAL device: CreateDevice fails
    bool noYv12 = false;           // no YV12 conversion, and no YV12 surface either
    bool yv12SurfaceFails = false; // claims the conversion, then cannot make the surface
    bool noSurfaces = false;       // no plain surface of any format
    unsigned deviceTries = 0;
    unsigned yv12SurfaceTries = 0;
    unsigned conversionQuestions = 0;

protected:
    IDirect3D9* CreateDirect3D() override {
        return noDirect3D ? nullptr : PreviewRenderer::CreateDirect3D();
    }
    HRESULT CreateDeviceFor(HWND window, D3DPRESENT_PARAMETERS& parameters,
                            IDirect3DDevice9** device) override {
        ++deviceTries;
        if (noDevice) {
            *device = nullptr;
            return D3DERR_NOTAVAILABLE;
        }
        return PreviewRenderer::CreateDeviceFor(window, parameters, device);
    }
    HRESULT CheckConversion(D3DFORMAT source, D3DFORMAT target) override {
        ++conversionQuestions;
        if (noYv12 && source == static_cast<D3DFORMAT>(MAKEFOURCC('Y', 'V', '1', '2'))) {
            return D3DERR_NOTAVAILABLE;
        }
        return PreviewRenderer::CheckConversion(source, target);
    }
    HRESULT CreatePlainSurface(UINT width, UINT height, D3DFORMAT format,
                               IDirect3DSurface9** surface) override {
        const bool yv12 = format == static_cast<D3DFORMAT>(MAKEFOURCC('Y', 'V', '1', '2'));
        yv12SurfaceTries += yv12 ? 1 : 0;
        if (noSurfaces || (yv12 && (noYv12 || yv12SurfaceFails))) {
            *surface = nullptr;
            return yv12 ? D3DERR_NOTAVAILABLE : D3DERR_OUTOFVIDEOMEMORY;
        }
        return PreviewRenderer::CreatePlainSurface(width, height, format, surface);
    }
};

} // namespace

TEST(RendererFallbacks, AnAdapterWithoutYv12GetsAnRgbSurface) {
    HWND window = MakeWindow(320, 240);
    {
        SCOPED_TRACE("the adapter does not convert YV12");
        RudeAdapterRenderer renderer;
        renderer.noYv12 = true;
        EXPECT_TRUE(DrawsQuarters(renderer, window, 160, 120));
        EXPECT_EQ(renderer.Path(), PreviewPath::Rgb);
        // Asked before a YV12 surface was tried, once; one device for all pictures.
        EXPECT_GE(renderer.conversionQuestions, 1u);
        EXPECT_EQ(renderer.yv12SurfaceTries, 0u);
        EXPECT_EQ(renderer.DevicesMade(), 1u);
        renderer.Release();
    }
    {
        SCOPED_TRACE("the YV12 surface cannot be made");
        RudeAdapterRenderer renderer;
        renderer.yv12SurfaceFails = true;
        EXPECT_TRUE(DrawsQuarters(renderer, window, 160, 120));
        EXPECT_EQ(renderer.Path(), PreviewPath::Rgb);
        EXPECT_EQ(renderer.yv12SurfaceTries, 1u);
        EXPECT_EQ(renderer.DevicesMade(), 1u);
        // A new picture size keeps to RGB without asking for YV12 again.
        EXPECT_TRUE(DrawsQuarters(renderer, window, 96, 72));
        EXPECT_EQ(renderer.Path(), PreviewPath::Rgb);
        EXPECT_EQ(renderer.yv12SurfaceTries, 1u);
        renderer.Release();
    }
    {
        SCOPED_TRACE("the main path, where the adapter can");
        RudeAdapterRenderer renderer;
        EXPECT_TRUE(DrawsQuarters(renderer, window, 160, 120));
        EXPECT_EQ(renderer.Path(), PreviewPath::Yv12);
        renderer.Release();
    }
    ::DestroyWindow(window);
}

TEST(RendererFallbacks, WithoutADirect3DDeviceGdiDrawsAndDirect3DIsTriedRarely) {
    HWND window = MakeWindow(320, 240);
    struct Machine {
        const char* name;
        bool noDirect3D, noDevice, noSurfaces;
    };
    for (const Machine& machine :
         {Machine{"no Direct3D 9", true, false, false}, Machine{"no device", false, true, false},
          Machine{"no surface", false, false, true}}) {
        SCOPED_TRACE(machine.name);
        RudeAdapterRenderer renderer;
        renderer.noDirect3D = machine.noDirect3D;
        renderer.noDevice = machine.noDevice;
        renderer.noSurfaces = machine.noSurfaces;
        ::MoveWindow(window, 20, 20, 320, 240, TRUE);
        Pump(50);
        EXPECT_TRUE(DrawsQuarters(renderer, window, 160, 120));
        EXPECT_EQ(renderer.Path(), PreviewPath::Gdi);
        // A camera's pictures for a while: the device is not tried for each.
        const StreamFormat format = TestSupport::StreamFormatOf("YUY2", 160, 120);
        const std::vector<uint8_t> picture = QuarterPicture(160, 120);
        for (int i = 0; i < 15; ++i) {
            EXPECT_TRUE(Draw(renderer, window, format, picture));
            Pump(20);
        }
        EXPECT_LE(renderer.deviceTries, 1u);
        EXPECT_LE(renderer.Direct3DMade(), 1u);
        // The picture follows the window's size.
        ::MoveWindow(window, 20, 20, 400, 200, TRUE);
        Pump(50);
        EXPECT_TRUE(DrawsQuarters(renderer, window, 160, 120));
        EXPECT_EQ(renderer.Destination().right, 400);
        renderer.Release();
    }
    ::DestroyWindow(window);
}

TEST(RendererFallbacks, ADisplayChangeMakesDirect3DAnewAndTriesAtOnce) {
    HWND window = MakeWindow(320, 240);
    RudeAdapterRenderer renderer;
    renderer.noDevice = true;
    EXPECT_TRUE(DrawsQuarters(renderer, window, 160, 120));
    EXPECT_EQ(renderer.Path(), PreviewPath::Gdi);
    const unsigned tries = renderer.deviceTries;
    // The laptop is docked: the new display's adapter makes a device.
    renderer.noDevice = false;
    renderer.DisplayChanged();
    EXPECT_TRUE(DrawsQuarters(renderer, window, 160, 120));
    EXPECT_EQ(renderer.Path(), PreviewPath::Yv12);
    EXPECT_EQ(renderer.deviceTries, tries + 1);
    EXPECT_EQ(renderer.Direct3DMade(), 2u);
    // And on a drawing device, a display change makes Direct3D anew too.
    renderer.DisplayChanged();
    EXPECT_TRUE(DrawsQuarters(renderer, window, 160, 120));
    EXPECT_EQ(renderer.Direct3DMade(), 3u);
    EXPECT_EQ(renderer.Path(), PreviewPath::Yv12);
    renderer.Release();
    ::DestroyWindow(window);
}

TEST(RendererFallbacks, ANewWindowSizeResetsTheDevice) {
    HWND window = MakeWindow(320, 240);
    for (bool rgb : {false, true}) {
        SCOPED_TRACE(rgb ? "RGB surface" : "YV12 surface");
        RudeAdapterRenderer renderer;
        renderer.noYv12 = rgb;
        ::MoveWindow(window, 20, 20, 320, 240, TRUE);
        Pump(50);
        ASSERT_TRUE(DrawsQuarters(renderer, window, 160, 120));
        for (int step = 1; step <= 4; ++step) {
            ::MoveWindow(window, 20, 20, 320 + 40 * step, 240 + 20 * step, TRUE);
            Pump(30);
            EXPECT_TRUE(DrawsQuarters(renderer, window, 160, 120));
            EXPECT_EQ(renderer.Destination().right, 320 + 40 * step);
        }
        EXPECT_EQ(renderer.DevicesMade(), 1u);
        EXPECT_EQ(renderer.DevicesReset(), 4u);
        renderer.Release();
    }
    ::DestroyWindow(window);
}

// The drawing thread waits at the end of each turn until Direct3D has drawn.
// Sleep(1) between the looks would last a whole tick of Windows' timer,
// which Wine's Sleep does not: the test's timer ticks as Windows' does, and
// the wait must not grow by anything like a tick. Nor may it spin.
TEST(RendererFallbacks, TheEndOfADrawingTurnIsFoundWithoutWaitingForATimerTick) {
    HWND window = MakeWindow(320, 240);
    PreviewRenderer renderer;
    const StreamFormat format = TestSupport::StreamFormatOf("YUY2", 320, 240);
    const std::vector<uint8_t> picture = QuarterPicture(320, 240);
    ASSERT_TRUE(Draw(renderer, window, format, picture));
    renderer.WaitUntilDrawn();
    Pump(100);
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    auto threadMs = [] {
        FILETIME created, ended, kernel, user;
        ::GetThreadTimes(::GetCurrentThread(), &created, &ended, &kernel, &user);
        auto ms = [](const FILETIME& time) {
            return static_cast<double>(static_cast<unsigned long long>(time.dwHighDateTime) << 32 |
                                       time.dwLowDateTime) /
                   10000.0;
        };
        return ms(kernel) + ms(user);
    };
    double waited = 0;
    double busy = 0;
    // The waits of `count` turns, and the time the thread spent in them.
    auto turns = [&](int count, std::vector<double>& waits) {
        for (int i = 0; i < count; ++i) {
            if (!Draw(renderer, window, format, picture)) {
                ADD_FAILURE() << "not drawn";
                return;
            }
            LARGE_INTEGER begin, end;
            const double busyBefore = threadMs();
            ::QueryPerformanceCounter(&begin);
            renderer.WaitUntilDrawn();
            ::QueryPerformanceCounter(&end);
            busy += threadMs() - busyBefore;
            waits.push_back(1000.0 * (end.QuadPart - begin.QuadPart) / frequency.QuadPart);
            waited += waits.back();
        }
    };
    // Alternated, so that both see the machine's load alike.
    std::vector<double> plain;
    std::vector<double> ticked;
    for (int round = 0; round < 3; ++round) {
        turns(10, plain);
        TestSupport::WindowsTimerTicks ticks;
        ASSERT_TRUE(ticks.Installed());
        turns(10, ticked);
    }
    auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    std::printf("end of a turn found after %.2f ms (median), %.2f ms with Windows' timer ticks; "
                "the thread was busy %.0f of %.0f ms\n",
                median(plain), median(ticked), busy, waited);
    EXPECT_LT(median(ticked), median(plain) + 5.0);
    EXPECT_LT(busy, waited / 2);
    renderer.Release();
    ::DestroyWindow(window);
}
