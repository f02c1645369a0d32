// Single-instance guard on X11: looks for a top-level window titled like the
// show's window or the settings dialog (instance_guard_x11.cpp).
#pragma once

#include <X11/Xlib.h>

#include <string>

namespace sorvane {

extern const char* const kShowWindowTitleUtf8;      // "Sorvane_Main"
extern const char* const kSettingsWindowTitleUtf8;  // "Sorvaneの設定"

// A window that the guard found.
struct GuardWindow {
  Window Id = 0;
  std::string Title;  // UTF-8: one of the two titles
};

// True when a window on Display's screens carries one of the two titles
// (as WM_NAME or _NET_WM_NAME), compared as whole titles. Found, when given,
// receives the first such window.
bool AnotherCopyIsShowing(Display* Dpy, GuardWindow* Found = nullptr);

}  // namespace sorvane
