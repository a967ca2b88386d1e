// The Direct3D 9 renderer drawing into a real window (Wine on Xvfb): colour
// where expected, and devices made when the picture or the window changes.
#include <windows.h>

#include <vector>

#include <gtest/gtest.h>

#include "capture/PictureConversion.h"
#include "preview/PreviewRenderer.h"
#include "tests/support/DirectShowFormats.h"
#include "tests/support/MessagePump.h"
#include "tests/win32/MediaTestSupport.h"

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
    HWND window = ::CreateWindowExA(WS_EX_TOPMOST, "RendererTestWindow", "", WS_POPUP | WS_VISIBLE,
                                    20, 20, width, height, nullptr, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
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

bool IsRed(COLORREF c) { return GetRValue(c) > 160 && GetBValue(c) < 90 && GetGValue(c) < 90; }
bool IsBlue(COLORREF c) { return GetBValue(c) > 160 && GetRValue(c) < 90 && GetGValue(c) < 90; }

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
        EXPECT_TRUE(IsRed(MediaTest::ScreenPixel(window, 10, y))) << std::hex << MediaTest::ScreenPixel(window, 10, y);
        EXPECT_TRUE(IsRed(MediaTest::ScreenPixel(window, 150, y)));
        EXPECT_TRUE(IsBlue(MediaTest::ScreenPixel(window, 170, y))) << std::hex << MediaTest::ScreenPixel(window, 170, y);
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

    // A later resize is followed too, and the picture fills the new area.
    ::MoveWindow(window, 20, 20, 400, 225, TRUE);
    Pump(50);
    ASSERT_TRUE(Draw(renderer, window, format, picture));
    EXPECT_EQ(renderer.DevicesMade(), 2u);
    EXPECT_EQ(renderer.Destination().right, 400);
    Pump(200);
    ASSERT_TRUE(Draw(renderer, window, format, picture));
    Pump(200);
    EXPECT_TRUE(IsRed(MediaTest::ScreenPixel(window, 5, 220)));
    EXPECT_TRUE(IsBlue(MediaTest::ScreenPixel(window, 395, 220)));

    // A new picture size makes device and surface anew.
    const StreamFormat larger = TestSupport::StreamFormatOf("YUY2", 128, 72);
    ASSERT_TRUE(Draw(renderer, window, larger, RedBluePicture(128, 72)));
    EXPECT_EQ(renderer.DevicesMade(), 3u);
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
