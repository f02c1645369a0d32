// The show's GLX rendering context (see render_context_x11.h). Linux/X11 only;
// the scene and the projection themselves are portable (scene.cpp, viewport.cpp).

#include "render_context_x11.h"

#include <time.h>

namespace sorvane {
namespace {

// Waits, at most about two seconds, until Window is viewable; focusing a
// window that is not viewable is an X error.
bool WaitUntilViewable(Display* Connection, ::Window Window) {
  for (int Attempt = 0; Attempt < 200; ++Attempt) {
    XWindowAttributes Attributes{};
    if (!XGetWindowAttributes(Connection, Window, &Attributes)) return false;
    if (Attributes.map_state == IsViewable) return true;
    const timespec Pause{0, 10 * 1000 * 1000};
    nanosleep(&Pause, nullptr);
  }
  return false;
}

// Creates the context for the window's own visual and makes it current;
// maps, raises and focuses an own window; sets the viewport for its size.
bool BindToWindow(RenderContext& Context, Display* Connection, ::Window Window, RenderWindowKind Kind) {
  if (Connection == nullptr || Window == 0) return false;
  XWindowAttributes Attributes{};
  if (!XGetWindowAttributes(Connection, Window, &Attributes)) return false;

  XVisualInfo Wanted{};
  Wanted.visualid = XVisualIDFromVisual(Attributes.visual);
  Wanted.screen = XScreenNumberOfScreen(Attributes.screen);
  int Count = 0;
  XVisualInfo* Visual = XGetVisualInfo(Connection, VisualIDMask | VisualScreenMask, &Wanted, &Count);
  if (Visual == nullptr) return false;
  int UsesGl = 0, Rgba = 0, Double = 0;
  const bool Usable = glXGetConfig(Connection, Visual, GLX_USE_GL, &UsesGl) == 0 && UsesGl &&
                      glXGetConfig(Connection, Visual, GLX_RGBA, &Rgba) == 0 && Rgba;
  glXGetConfig(Connection, Visual, GLX_DOUBLEBUFFER, &Double);
  GLXContext Created = Usable ? glXCreateContext(Connection, Visual, nullptr, True) : nullptr;
  XFree(Visual);
  if (Created == nullptr) return false;

  Context.Connection = Connection;
  Context.Drawable = Window;
  Context.Context = Created;
  Context.DoubleBuffered = Double != 0;
  if (!glXMakeCurrent(Connection, Window, Created)) return false;

  if (Kind == RenderWindowKind::Own) {
    XMapRaised(Connection, Window);
    XSync(Connection, False);
    if (WaitUntilViewable(Connection, Window)) XSetInputFocus(Connection, Window, RevertToParent, CurrentTime);
    XGetWindowAttributes(Connection, Window, &Attributes);
  }

  ResizeViewport(Attributes.width, Attributes.height);
  return true;
}

}  // namespace

// Asks GLX for double-buffered RGBA with at least 16 depth bits.
XVisualInfo* ChooseShowVisual(Display* Connection, int Screen) {
  if (Connection == nullptr) return nullptr;
  int Attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE, 1,
                      GLX_DEPTH_SIZE, 16, None};
  return glXChooseVisual(Connection, Screen, Attributes);
}

// Binds OpenGL to the window, shows an own window and sets up the scene.
bool OpenRenderContext(RenderContext& Context, Display* Connection, ::Window Window, RenderWindowKind Kind,
                       Scene& Show, const std::string& BitmapPath, ShowRandom& Random) {
  return BindToWindow(Context, Connection, Window, Kind) && Show.SetUpScene(BitmapPath, Random);
}

bool OpenRenderContext(RenderContext& Context, Display* Connection, ::Window Window, RenderWindowKind Kind,
                       Scene& Show, const BgrImage& Square, ShowRandom& Random) {
  return BindToWindow(Context, Connection, Window, Kind) && Show.SetUpScene(Square, Random);
}

// Shows the back buffer.
void PresentFrame(const RenderContext& Context) {
  if (Context.Context == nullptr) return;
  if (Context.DoubleBuffered) {
    glXSwapBuffers(Context.Connection, Context.Drawable);
  } else {
    glFinish();
  }
}

// Releases what OpenRenderContext made.
void CloseRenderContext(RenderContext& Context) {
  if (Context.Context != nullptr) {
    glXMakeCurrent(Context.Connection, None, nullptr);
    glXDestroyContext(Context.Connection, Context.Context);
    Context.Context = nullptr;
  }
  Context.Connection = nullptr;
  Context.Drawable = 0;
  Context.DoubleBuffered = false;
}

}  // namespace sorvane
