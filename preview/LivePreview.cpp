#include "preview/LivePreview.h"

#include <chrono>
#include <memory>
#include <new>
#include <utility>

#include "capture/MonotonicClock.h"
#include "preview/DrawingGate.h"
#include "preview/PreviewFit.h"
#include "preview/PreviewWindow.h"

namespace {
std::atomic<LivePreview*> g_current{nullptr};

// A window change that holds the drawing off longer than this costs a
// picture; the worker does not wait longer, so that decoding (and a
// recording) goes on meanwhile.
constexpr std::chrono::milliseconds kChangeWait{20};

// One drawing turn of the worker; its drawing is complete before it ends.
class DrawingTurn {
public:
    explicit DrawingTurn(PreviewRenderer& renderer)
        : m_renderer(renderer), m_begun(PreviewDrawingGate().BeginTurn(kChangeWait)) {}
    ~DrawingTurn() {
        if (m_begun) {
            m_renderer.WaitUntilDrawn();
            PreviewDrawingGate().EndTurn();
        }
    }
    DrawingTurn(const DrawingTurn&) = delete;
    DrawingTurn& operator=(const DrawingTurn&) = delete;
    bool Begun() const { return m_begun; }

private:
    PreviewRenderer& m_renderer;
    const bool m_begun;
};
} // namespace

std::unique_ptr<LivePreview> LivePreview::Create(HWND parent, HINSTANCE instance,
                                                 std::unique_ptr<PreviewRenderer> renderer) {
    if (g_current != nullptr) {
        return nullptr;
    }
    if (!renderer) {
        renderer.reset(new (std::nothrow) PreviewRenderer());
    }
    if (!renderer || !RegisterPreviewClass(instance)) {
        return nullptr;
    }
    HWND window = CreatePreviewWindowHandle(parent, instance);
    if (window == nullptr) {
        return nullptr;
    }
    std::unique_ptr<LivePreview> preview(new (std::nothrow)
                                             LivePreview(window, std::move(renderer)));
    if (!preview) {
        return nullptr;
    }
    // Without the hook the preview still draws, as it did before the hang
    // beside window changes was known.
    preview->m_windowChanges.Install();
    g_current = preview.get();
    return preview;
}

LivePreview* LivePreview::Current() {
    return g_current;
}

LivePreview::~LivePreview() {
    LivePreview* self = this;
    g_current.compare_exchange_strong(self, nullptr);
}

void LivePreview::FitInto(const RECT& rect) {
    const PreviewPlacement placement =
        FitPreviewRect(rect.left, rect.top, rect.right, rect.bottom, m_width, m_height);
    ::MoveWindow(m_window, placement.x, placement.y, placement.width, placement.height, TRUE);
}

bool LivePreview::ShowPicture(const StreamFormat& format, const uint8_t* packed, std::size_t size) {
    if (!m_drawTimeLogging.load(std::memory_order_relaxed)) {
        return DrawPicture(format, packed, size);
    }
    const int64_t start = MonotonicMicros();
    const bool shown = DrawPicture(format, packed, size);
    if (shown) {
        const int64_t took = MonotonicMicros() - start;
        std::lock_guard<std::mutex> lock(m_drawTimeLock);
        if (m_drawTimes.size() < m_drawTimeCapacity) {
            m_drawTimes.push_back(took);
        }
    }
    return shown;
}

void LivePreview::StartDrawTimeLog(std::size_t capacity) {
    std::lock_guard<std::mutex> lock(m_drawTimeLock);
    m_drawTimes.clear();
    // Reserved here so that the worker never allocates while it logs.
    m_drawTimes.reserve(capacity);
    m_drawTimeCapacity = capacity;
    m_drawTimeLogging = true;
}

std::vector<int64_t> LivePreview::StopDrawTimeLog() {
    m_drawTimeLogging = false;
    std::lock_guard<std::mutex> lock(m_drawTimeLock);
    std::vector<int64_t> kept;
    kept.swap(m_drawTimes);
    m_drawTimeCapacity = 0;
    return kept;
}

bool LivePreview::DrawPicture(const StreamFormat& format, const uint8_t* packed, std::size_t size) {
    // Its drawing is complete once the turn ends, at the return.
    DrawingTurn turn(*m_renderer);
    if (!turn.Begun()) {
        return false;
    }
    const unsigned displayChanges = DisplayChangesSeen();
    if (displayChanges != m_displayChanges) {
        // A monitor docked or removed: Direct3D is made anew for it.
        m_displayChanges = displayChanges;
        m_renderer->DisplayChanged();
    }
    if (!m_renderer->UploadFrame(m_window, format, packed, size)) {
        return false;
    }
    m_renderer->Clear();
    m_renderer->BeginScene();
    m_renderer->EndScene();
    // A picture that a lost device swallowed is not counted as shown.
    return m_renderer->PresentFrame();
}

void LivePreview::PictureSizeChanged(int32_t width, int32_t height) {
    m_width = width;
    m_height = height;
    // Fitted now rather than shown in the old shape until the user next
    // moves the window. Posted: the worker never waits for the UI thread.
    if (HWND parent = ::GetParent(m_window)) {
        ::PostMessageA(parent, kRefitPreviewMessage, 0, 0);
    }
}

void LivePreview::WorkerEnding() {
    // The device was made on the worker's thread and is used only there:
    // released now, before the window goes and long before the process ends.
    // Its release draws too (the X resources go), so it takes a turn; it
    // happens even when a change holds the turn off past its wait.
    DrawingTurn turn(*m_renderer);
    m_renderer->Release();
}

void LivePreview::ShowBlank() {
    RECT client{};
    ::GetClientRect(m_window, &client);
    ::InvalidateRect(m_window, &client, TRUE);
}
