// LivePreview: the live camera picture on screen. It owns the "PreviewClass"
// child window and the Direct3D renderer that draws into it, and takes the
// capture engine's decoded pictures as its PictureSink. One per process,
// owned by the engine once the main window has handed it over.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "capture/PictureSink.h"
#include "preview/PreviewRenderer.h"
#include "preview/WindowChangeHook.h"

// Posted to the preview window's parent when the picture changes its size:
// the parent fits the preview to the new shape (CaptureViewUI::FitPreview).
constexpr UINT kRefitPreviewMessage = WM_APP + 0x50;

class LivePreview : public PictureSink {
public:
    // Registers the window class and creates the preview window as a child
    // of parent. Null when any step fails, or while another preview exists:
    // there is one per process. A benchmark may hand in a renderer of its
    // own (one kept from a path).
    static std::unique_ptr<LivePreview> Create(HWND parent, HINSTANCE instance,
                                               std::unique_ptr<PreviewRenderer> renderer = nullptr);
    // The preview the pictures are shown in; null before Create.
    static LivePreview* Current();

    ~LivePreview() override;
    LivePreview(const LivePreview&) = delete;
    LivePreview& operator=(const LivePreview&) = delete;

    HWND Window() const override { return m_window; }
    // Drawn into only by the engine's worker thread.
    const PreviewRenderer& Renderer() const { return *m_renderer; }
    // Size of the last picture the engine told of (1080 x 720 before).
    int32_t PictureWidth() const { return m_width; }
    int32_t PictureHeight() const { return m_height; }
    // Places the window inside rect keeping the picture's aspect ratio.
    void FitInto(const RECT& rect);

    // Keeps how long each picture shown took to draw (upload to the end of
    // the drawing, in microseconds), at most capacity of them, until the
    // log is stopped: the engine benchmark sets it against the delay from
    // arrival to Present.
    void StartDrawTimeLog(std::size_t capacity);
    std::vector<int64_t> StopDrawTimeLog();

    bool ShowPicture(const StreamFormat& format, const uint8_t* packed, std::size_t size) override;
    void PictureSizeChanged(int32_t width, int32_t height) override;
    void WorkerEnding() override;
    void ShowBlank() override;

private:
    LivePreview(HWND window, std::unique_ptr<PreviewRenderer> renderer)
        : m_window(window), m_renderer(std::move(renderer)),
          m_displayChanges(DisplayChangesSeen()) {}

    HWND m_window;
    std::unique_ptr<PreviewRenderer> m_renderer;
    // The window thread's changes that the drawing keeps apart from.
    WindowChangeHook m_windowChanges;
    bool DrawPicture(const StreamFormat& format, const uint8_t* packed, std::size_t size);

    std::atomic<bool> m_drawTimeLogging{false};
    std::mutex m_drawTimeLock; // guards the two below
    std::vector<int64_t> m_drawTimes;
    std::size_t m_drawTimeCapacity = 0;
    // The display changes the renderer has been told of; the worker's alone.
    unsigned m_displayChanges;
    std::atomic<int32_t> m_width{1080};
    std::atomic<int32_t> m_height{720};
};
