// CRender: the framework's drawing routines: colours, borders, text, and
// image descriptions (with AlphaBlend from msimg32, looked up at run time).
// Fonts and images come from the window's resource cache.
#pragma once

#include <windows.h>

namespace Ui {

class CResourceCache;

class CRender {
public:
    // Restores the device context's clipping on scope exit; clips to the
    // rectangle (rounded when `round` is set) on entry.
    class ClipScope {
    public:
        ClipScope(HDC hdc, const RECT& rect, SIZE round = SIZE{});
        ~ClipScope();
        ClipScope(const ClipScope&) = delete;
        ClipScope& operator=(const ClipScope&) = delete;

    private:
        HDC m_hdc;
        int m_saved;
    };

    // Draws an image description into a control's rectangle, limited to `paint`.
    // False when the description's image cannot be had.
    static bool DrawImage(HDC hdc, CResourceCache* resources, const RECT& control,
                          const RECT& paint, const char* description);
    // ARGB colour; alpha below 255 blends.
    static void FillColor(HDC hdc, const RECT& rect, DWORD color);
    static void DrawBorder(HDC hdc, const RECT& rect, const RECT& widths, DWORD color);
    static void DrawRoundRect(HDC hdc, const RECT& rect, int width, SIZE round, DWORD color);
    // Draws single- or multi-line plain text with DrawText style flags.
    static void DrawText(HDC hdc, CResourceCache* resources, RECT rect, const char* text,
                         DWORD color, int font, UINT style);
    // Measures text as DrawText with DT_CALCRECT would place it.
    static SIZE MeasureText(HDC hdc, CResourceCache* resources, RECT rect, const char* text,
                            int font, UINT style);
};

} // namespace Ui
