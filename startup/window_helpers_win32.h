// Helpers the settings dialog calls around its window: starting the hover
// tracking of a form's gradient buttons, and the zoom animation out of and back
// into the mouse position (window_helpers_win32.cpp). They show nothing of
// their own and report nothing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

namespace sorvane {

// The screen point the settings dialog zooms out of and back into. One per
// program (ProgramZoomOrigin); the dialog sets it once when it loads.
struct ZoomOrigin {
  int16_t ZoomOriginX = 0;
  int16_t ZoomOriginY = 0;
};

// The program's zoom origin.
ZoomOrigin& ProgramZoomOrigin();

// Sets Origin from a cursor position: each coordinate's low 16 bits read as a
// signed number; no position (GetCursorPos failed) gives (0, 0).
void SetZoomOrigin(ZoomOrigin& Origin, const POINT* Cursor);

// Sets the program's zoom origin from the mouse position now.
void CatchZoomOrigin();

// The zero-size rectangle at Origin, widened to 32 bits with its sign.
RECT ZoomPointRect(const ZoomOrigin& Origin);

// For every gradient button among Form's child windows (in their own order,
// nested ones included): Initialize when DoInitialize, otherwise set Enabled
// to Enable. Other windows are not touched.
void SetupButtons(HWND Form, bool DoInitialize, bool Enable);

// Draws the caption rectangle moving From one rectangle To another for
// Window. Empty: the system's DrawAnimatedRects with IDANI_CAPTION.
using RectAnimation = std::function<void(HWND Window, const RECT& From, const RECT& To)>;

// Animated caption rectangle from the zoom origin to Window's rectangle.
void ZoomOpen(HWND Window, const RectAnimation& Animate = RectAnimation());

// Animated caption rectangle from Window's rectangle to the zoom origin.
void ZoomClose(HWND Window, const RectAnimation& Animate = RectAnimation());

}  // namespace sorvane
