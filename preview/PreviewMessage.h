// Words on the preview window's black ground while it shows no picture: why
// the camera gives none and what helps. The preview window's WM_PAINT draws
// them with GDI, as large as the window allows, never smaller than
// kSmallestFontPx and always inside the window. User-interface thread only.
#pragma once

#include <windows.h>

#include <string>

// The smallest font drawn (its em height): capitals about 13 pixels high.
constexpr int kSmallestFontPx = 18;

// Sets the text (system code page, as the skins' texts are) and the font
// face to draw it in, and repaints the window; an empty text takes the words
// away (the window shows its black ground until the next picture).
void SetPreviewMessage(HWND window, const std::string& text, const std::string& faceName);
// The text the window shows now; empty when none.
std::string PreviewMessageText(HWND window);
// WM_PAINT of the preview window: paints the black ground and the words;
// false (nothing painted) when the window has no words to show.
bool PaintPreviewMessage(HWND window);
