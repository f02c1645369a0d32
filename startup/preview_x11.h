// The preview on Linux: "-p <window>" puts a black child window into the
// given X window, the same size, and shows the built-in 152 x 152 preview
// picture unscaled at its top-left corner. Pairs with preview_x11.cpp; the
// Windows counterpart is preview_window_win32.h. It runs no show, reads no
// settings and takes no input.
#pragma once

#include <X11/Xlib.h>

#include <vector>

namespace sorvane {

class PreviewX11 {
 public:
  explicit PreviewX11(Display* Connection);
  PreviewX11(const PreviewX11&) = delete;
  PreviewX11& operator=(const PreviewX11&) = delete;
  ~PreviewX11();

  // Makes the child window inside Parent and shows it. False when Parent does
  // not exist.
  bool PlaceInParent(::Window Parent);

  // Serves the preview until the preview or its parent is destroyed, or a
  // SIGTERM/SIGINT arrives; returns the process's exit status.
  int Run();

  // Handles one X event; false once the preview has ended.
  bool HandleEvent(const XEvent& Event);

  // Draws the picture at (0, 0); the window's black background does the rest.
  void Paint();

  ::Window Window() const { return window_; }

 private:
  bool ParentStillThere();

  Display* dpy_;
  ::Window parent_ = 0;
  ::Window window_ = 0;
  XImage* picture_ = nullptr;
  std::vector<char> pixels_;  // owned here, not by the XImage
  bool ended_ = false;
};

// Runs the whole preview for Parent; returns the process's exit status.
int RunPreview(Display* Connection, ::Window Parent);

}  // namespace sorvane
