// The synthetic camera's colour bars in what the capture path made of them:
// the pipeline's latest picture, RGB pictures read back from photos and
// recordings, and the screen. Each check also tells a picture turned upside
// down (the dark band belongs at the bottom) or mirrored (the bars' order).
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <vector>

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/frame.h>
}

#include "capture/CaptureEngine.h"
#include "tests/win32/MediaTestSupport.h"

namespace ColourBars {

// The eight 75% bars, left to right, in RGB.
constexpr int kBars[8][3] = {{191, 191, 191}, {191, 191, 0}, {0, 191, 191}, {0, 191, 0},
                             {191, 0, 191},   {191, 0, 0},   {0, 0, 191},   {0, 0, 0}};
// The band under the bars.
constexpr int kDarkBand = 32;

// A consistent copy of the pipeline's latest picture, taken under the lock
// the worker decodes under.
struct Picture {
    int width = 0;
    int height = 0;
    int frameWidth = 0;
    int frameHeight = 0;
    int frameFormat = -1;
    std::vector<uint8_t> packed;

    uint8_t Y(int x, int y) const { return packed[static_cast<size_t>(y) * width + x]; }
    uint8_t U(int x, int y) const {
        return packed[static_cast<size_t>(width) * height +
                      static_cast<size_t>(y / 2) * (width / 2) + x / 2];
    }
    uint8_t V(int x, int y) const {
        return packed[static_cast<size_t>(width) * height + (width / 2) * (height / 2) +
                      static_cast<size_t>(y / 2) * (width / 2) + x / 2];
    }
    // The luma of the top-left corner, where the frame number is drawn.
    std::vector<uint8_t> CounterRegion() const {
        std::vector<uint8_t> region;
        for (int y = 0; y < height / 4; ++y) {
            for (int x = 0; x < width / 4; ++x) {
                region.push_back(Y(x, y));
            }
        }
        return region;
    }
};

inline Picture Snapshot() {
    CaptureEngine& engine = CaptureEngine::Instance();
    Picture picture;
    std::lock_guard<std::mutex> lock(engine.Pipeline()->ContextLock());
    const uint8_t* packed = engine.Pipeline()->PackedPicture();
    const AVFrame* current = engine.Pipeline()->CurrentPicture();
    if (packed == nullptr || current == nullptr) {
        return picture;
    }
    picture.width = engine.Pipeline()->RememberedFormat().width;
    picture.height = engine.Pipeline()->RememberedFormat().height;
    picture.frameWidth = current->width;
    picture.frameHeight = current->height;
    picture.frameFormat = current->format;
    const size_t size = static_cast<size_t>(picture.width) * picture.height * 3 / 2;
    if (engine.Pipeline()->PackedPictureSize() >= size) {
        picture.packed.assign(packed, packed + size);
    }
    return picture;
}

struct Yuv {
    int y, u, v;
};

// BT.601 at video levels: what every subtype's picture holds once the
// pipeline has made it planar 4:2:0 (full-range JPEG pictures included).
inline Yuv VideoLevels(int r, int g, int b) {
    const double y = 0.299 * r + 0.587 * g + 0.114 * b;
    const double u = -0.168736 * r - 0.331264 * g + 0.5 * b;
    const double v = 0.5 * r - 0.418688 * g - 0.081312 * b;
    return {static_cast<int>(16 + y * 219 / 255 + 0.5), static_cast<int>(128 + u * 224 / 255 + 0.5),
            static_cast<int>(128 + v * 224 / 255 + 0.5)};
}

// Checks the eight 75% colour bars at the middle of each bar, halfway down
// their visible part (below the frame number, above the dark band).
inline ::testing::AssertionResult ShowsColourBars(const Picture& picture) {
    if (picture.packed.empty()) {
        return ::testing::AssertionFailure() << "no picture";
    }
    const int y = picture.height * 3 / 8;
    for (int bar = 0; bar < 8; ++bar) {
        const int x = picture.width * (2 * bar + 1) / 16;
        const Yuv expected = VideoLevels(kBars[bar][0], kBars[bar][1], kBars[bar][2]);
        if (std::abs(picture.Y(x, y) - expected.y) > 6 ||
            std::abs(picture.U(x, y) - expected.u) > 8 ||
            std::abs(picture.V(x, y) - expected.v) > 8) {
            return ::testing::AssertionFailure()
                   << "bar " << bar << " is Y " << int{picture.Y(x, y)} << " U "
                   << int{picture.U(x, y)} << " V " << int{picture.V(x, y)} << ", expected "
                   << expected.y << " " << expected.u << " " << expected.v;
        }
    }
    // The dark band under the bars, away from the moving stripe's row ends.
    const Yuv dark = VideoLevels(kDarkBand, kDarkBand, kDarkBand);
    int darkPoints = 0;
    for (int i = 1; i < 8; ++i) {
        darkPoints +=
            std::abs(picture.Y(picture.width * i / 8, picture.height * 7 / 8) - dark.y) <= 6 ? 1
                                                                                             : 0;
    }
    if (darkPoints < 6) { // the stripe covers one point at most
        return ::testing::AssertionFailure()
               << "the dark band shows at " << darkPoints << " of 7 points";
    }
    return ::testing::AssertionSuccess();
}

// The same in a picture read back as RGB: `at(x, y)` gives the colour of a
// point of a width x height picture. Full-range RGB within `tolerance`.
template <class ColourAt>
::testing::AssertionResult RgbShowsColourBars(const ColourAt& at, int width, int height,
                                              int tolerance) {
    const int y = height * 3 / 8;
    for (int bar = 0; bar < 8; ++bar) {
        const COLORREF seen = at(width * (2 * bar + 1) / 16, y);
        if (std::abs(GetRValue(seen) - kBars[bar][0]) > tolerance ||
            std::abs(GetGValue(seen) - kBars[bar][1]) > tolerance ||
            std::abs(GetBValue(seen) - kBars[bar][2]) > tolerance) {
            return ::testing::AssertionFailure()
                   << "bar " << bar << " is " << int{GetRValue(seen)} << " " << int{GetGValue(seen)}
                   << " " << int{GetBValue(seen)};
        }
    }
    int darkPoints = 0;
    for (int i = 1; i < 8; ++i) {
        const COLORREF seen = at(width * i / 8, height * 7 / 8);
        darkPoints += std::abs(GetRValue(seen) - kDarkBand) <= tolerance &&
                              std::abs(GetGValue(seen) - kDarkBand) <= tolerance &&
                              std::abs(GetBValue(seen) - kDarkBand) <= tolerance
                          ? 1
                          : 0;
    }
    if (darkPoints < 6) {
        return ::testing::AssertionFailure()
               << "the dark band shows at " << darkPoints << " of 7 points";
    }
    return ::testing::AssertionSuccess();
}

// A photo or a video frame as ffmpeg decodes it to rgb24.
inline ::testing::AssertionResult RgbShowsColourBars(const std::vector<uint8_t>& rgb, int width,
                                                     int height) {
    if (rgb.size() != static_cast<size_t>(width) * height * 3) {
        return ::testing::AssertionFailure()
               << rgb.size() << " bytes of RGB for " << width << "x" << height;
    }
    return RgbShowsColourBars(
        [&](int x, int y) {
            const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            return RGB(p[0], p[1], p[2]);
        },
        width, height, 12);
}

// What the screen shows over a window that the picture fills.
inline ::testing::AssertionResult ScreenShowsColourBars(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    const MediaTest::ScreenShot shot(window);
    if (shot.Empty()) {
        return ::testing::AssertionFailure() << "no screenshot";
    }
    return RgbShowsColourBars([&](int x, int y) { return shot.At(x, y); }, client.right,
                              client.bottom, 40);
}

} // namespace ColourBars
