// The show's OpenGL rendering context on Windows (WGL): pixel format, context,
// viewport and scene set-up for the saver window, and its release. Pairs with
// render_context_win32.cpp; the portable counterparts are scene.h and
// viewport.h, the Linux one render_context_x11.h. Does not create the window
// nor present frames on its own (PresentFrame does, when asked).
//
// Use (one show):
//   RenderContext Context;
//   if (!OpenRenderContext(Context, Window, 16, TheScene, BitmapPath, Random)) ... end the show
//   each frame: TheScene.DrawFrame(Random); PresentFrame(Context);
//   at unload:  CloseRenderContext(Context);
// The window's class should carry CS_OWNDC so that its device context lives as
// long as the window; the context keeps the one it was given by GetDC.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "scene.h"
#include "show_random.h"
#include "viewport.h"

namespace sorvane {

// One show's binding of OpenGL to its window. Null handles: nothing open.
struct RenderContext {
  HWND Window = nullptr;
  HDC DeviceContext = nullptr;  // the window's device context, used for every SwapBuffers
  HGLRC Context = nullptr;      // the OpenGL rendering context
};

// The pixel format the show asks for: double-buffered RGBA for a window with
// OpenGL, ColourBits colour bits, 16 depth bits, main plane, nothing else.
PIXELFORMATDESCRIPTOR ShowPixelFormatRequest(uint8_t ColourBits);

// Sets the pixel format on Window's device context, creates the rendering
// context and makes it current, shows the window, brings it to the front and
// gives it the focus, sets the viewport for its client area and calls
// Show.SetUpScene(BitmapPath, Random). False at the first failing step
// (handles made so far stay in Context for CloseRenderContext), or the result
// of SetUpScene.
bool OpenRenderContext(RenderContext& Context, HWND Window, uint8_t ColourBits, Scene& Show,
                       const std::string& BitmapPath, ShowRandom& Random);

// Presents the drawn frame (SwapBuffers on the window's device context).
void PresentFrame(const RenderContext& Context);

// Makes no context current, deletes the rendering context and gives the device
// context back. Does nothing when nothing is open; safe to call twice.
void CloseRenderContext(RenderContext& Context);

}  // namespace sorvane
