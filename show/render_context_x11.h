// The show's OpenGL rendering context on Linux (GLX): visual choice for the
// show's own window, context, viewport and scene set-up, and its release.
// Pairs with render_context_x11.cpp; the portable counterparts are scene.h and
// viewport.h, the Windows one render_context_win32.h. Does not create windows
// nor open or close the display connection.
//
// Use, the show's own window:
//   XVisualInfo* Visual = ChooseShowVisual(Connection, Screen);  // nullptr: no GL
//   ... XCreateWindow with Visual->visual / Visual->depth and a colormap for it; XFree(Visual)
//   RenderContext Context;
//   if (!OpenRenderContext(Context, Connection, Window, RenderWindowKind::Own, TheScene, BitmapPath, Random)) ...
//   each frame: TheScene.DrawFrame(Random); PresentFrame(Context);
//   at the end: CloseRenderContext(Context);
// A window handed over by XScreenSaver is opened with RenderWindowKind::Foreign:
// its own visual is used and it is neither mapped, raised nor focused.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <GL/glx.h>

#include <string>

#include "scene.h"
#include "show_random.h"
#include "viewport.h"

namespace sorvane {

// Whose window the show draws into.
enum class RenderWindowKind {
  Own,     // made by the show with ChooseShowVisual's visual: mapped, raised and focused on opening
  Foreign  // given to the show (XScreenSaver's window, the root window): left as it is
};

// One show's binding of OpenGL to its window. Null members: nothing open.
struct RenderContext {
  Display* Connection = nullptr;
  ::Window Drawable = 0;
  GLXContext Context = nullptr;
  bool DoubleBuffered = false;  // false only on a foreign window whose visual has one buffer
};

// A double-buffered RGBA visual with a depth buffer on Screen, for a window the
// show creates; nullptr when the display offers none. Free it with XFree.
XVisualInfo* ChooseShowVisual(Display* Connection, int Screen);

// Creates a context for Window's own visual and makes it current; for an Own
// window maps and raises it and gives it the focus; sets the viewport for its
// size and calls Show.SetUpScene(BitmapPath, Random). False when the window's
// visual has no OpenGL RGBA support, a step fails, or SetUpScene fails (the
// context made so far stays in Context for CloseRenderContext).
bool OpenRenderContext(RenderContext& Context, Display* Connection, ::Window Window, RenderWindowKind Kind,
                       Scene& Show, const std::string& BitmapPath, ShowRandom& Random);

// The same with the photo square in memory (Show.SetUpScene(Square, Random)),
// for a show that could write no bitmap file.
bool OpenRenderContext(RenderContext& Context, Display* Connection, ::Window Window, RenderWindowKind Kind,
                       Scene& Show, const BgrImage& Square, ShowRandom& Random);

// Presents the drawn frame (glXSwapBuffers; glFinish on a single buffer).
void PresentFrame(const RenderContext& Context);

// Makes no context current and destroys the context. Does nothing when
// nothing is open; safe to call twice. The window and connection stay.
void CloseRenderContext(RenderContext& Context);

}  // namespace sorvane
