// Owners for GDI objects and device contexts: each gives back what it holds
// once, and a device context gets back what was selected into it before.
#pragma once

#include <windows.h>

namespace Ui {

// Owns a pen, brush, font, region or bitmap and deletes it once. It stands
// for its handle where GDI takes one.
template <class Handle> class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : m_handle(handle) {}
    ~GdiObject() { Reset(); }
    GdiObject(GdiObject&& other) noexcept : m_handle(other.Detach()) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        Reset(other.Detach());
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Handle Get() const { return m_handle; }
    operator Handle() const { return m_handle; }
    // Holds `handle` from now on; the object held before is deleted, unless
    // it is the same one.
    void Reset(Handle handle = nullptr) {
        if (handle == m_handle) {
            return;
        }
        if (m_handle != nullptr) {
            ::DeleteObject(m_handle);
        }
        m_handle = handle;
    }
    Handle Detach() {
        Handle handle = m_handle;
        m_handle = nullptr;
        return handle;
    }

private:
    Handle m_handle = nullptr;
};

using UniquePen = GdiObject<HPEN>;
using UniqueBrush = GdiObject<HBRUSH>;
using UniqueFont = GdiObject<HFONT>;
using UniqueRegion = GdiObject<HRGN>;
using UniqueBitmap = GdiObject<HBITMAP>;

// Selects an object into a device context for a scope; puts back the one it
// replaced.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(::SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (m_old != nullptr && m_old != HGDI_ERROR) {
            ::SelectObject(m_dc, m_old);
        }
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// A memory device context compatible with `reference`, with one object (a
// bitmap) selected; the object first selected goes back before it is deleted.
class MemoryDC {
public:
    MemoryDC(HDC reference, HGDIOBJ selected)
        : m_dc(::CreateCompatibleDC(reference)), m_old(::SelectObject(m_dc, selected)) {}
    ~MemoryDC() {
        ::SelectObject(m_dc, m_old);
        ::DeleteDC(m_dc);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// A window's device context from GetDC, given back with ReleaseDC.
class WindowDC {
public:
    WindowDC() = default;
    explicit WindowDC(HWND window) { Reset(window); }
    ~WindowDC() { Reset(nullptr); }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC Get() const { return m_dc; }
    // Gives back the context held and takes `window`'s (none for null).
    void Reset(HWND window) {
        if (m_dc != nullptr && m_window != nullptr) {
            ::ReleaseDC(m_window, m_dc);
        }
        m_window = window;
        m_dc = window != nullptr ? ::GetDC(window) : nullptr;
    }

private:
    HWND m_window = nullptr;
    HDC m_dc = nullptr;
};

} // namespace Ui
