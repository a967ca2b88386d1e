// PictureSink: where the capture engine's worker hands each decoded picture
// to be shown. The engine knows no window and no renderer: the preview
// implements this and the engine calls it, on its worker thread unless said
// otherwise.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "Core/StreamFormat.h"

class PictureSink {
public:
    virtual ~PictureSink() = default;

    // Shows a packed I420 picture of format (Y, then U, then V, no gaps;
    // size bytes). True when it reached the screen.
    virtual bool ShowPicture(const StreamFormat& format, const uint8_t* packed,
                             std::size_t size) = 0;
    // The camera's pictures now have this size; the sink refits its window.
    // Must not wait for the user-interface thread, which may be joining the
    // worker.
    virtual void PictureSizeChanged(int32_t width, int32_t height) = 0;
    // The worker is about to end: lets go of what was made on its thread.
    virtual void WorkerEnding() = 0;
    // User-interface thread: shows the background until the next picture.
    virtual void ShowBlank() = 0;
    // The window the output folder is looked up for.
    virtual HWND Window() const = 0;
};
