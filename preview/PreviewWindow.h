// The "PreviewClass" child window whose client area Direct3D fills.
#pragma once

#include <windows.h>

// Registers the window class; false when it is already registered.
bool RegisterPreviewClass(HINSTANCE instance);
// Creates the preview window as a 0 x 0 child of parent; null on failure.
HWND CreatePreviewWindowHandle(HWND parent, HINSTANCE instance);
