// Single-instance guard on X11 (pairs with instance_guard_x11.h).
//
// Window managers reparent client windows into frames, so the walk goes a few
// levels below each root window instead of looking at the root's children only.

#include "instance_guard_x11.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstring>
#include <string>

namespace sorvane {

const char* const kShowWindowTitleUtf8 = "Sorvane_Main";
const char* const kSettingsWindowTitleUtf8 = "Sorvane\xE3\x81\xAE\xE8\xA8\xAD\xE5\xAE\x9A";

namespace {

constexpr int kMaxDepth = 3;

// Swallows errors from windows that vanish while we look at them.
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

bool IsGuardTitle(const std::string& title) {
  return title == kShowWindowTitleUtf8 || title == kSettingsWindowTitleUtf8;
}

// _NET_WM_NAME (UTF-8) of a window, if set.
bool NetWmName(Display* dpy, Window w, std::string& title) {
  const Atom netWmName = XInternAtom(dpy, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(dpy, w, netWmName, 0, 1024, False, utf8, &type, &format, &count, &after, &data) !=
      Success) {
    return false;
  }
  const bool ok = data && type == utf8 && format == 8;
  if (ok) title.assign(reinterpret_cast<char*>(data), count);
  if (data) XFree(data);
  return ok;
}

// WM_NAME of a window in UTF-8, whatever encoding the property uses.
bool WmName(Display* dpy, Window w, std::string& title) {
  XTextProperty prop;
  if (!XGetWMName(dpy, w, &prop) || !prop.value) return false;
  char** list = nullptr;
  int n = 0;
  bool ok = false;
  if (Xutf8TextPropertyToTextList(dpy, &prop, &list, &n) >= Success && list && n > 0) {
    title = list[0];
    ok = true;
  } else if (prop.format == 8) {
    title.assign(reinterpret_cast<char*>(prop.value), prop.nitems);
    ok = true;
  }
  if (list) XFreeStringList(list);
  XFree(prop.value);
  return ok;
}

bool HasGuardTitle(Display* dpy, Window w, std::string& title) {
  if (NetWmName(dpy, w, title) && IsGuardTitle(title)) return true;
  return WmName(dpy, w, title) && IsGuardTitle(title);
}

// Looks below w for a window with a guard title; found gets the first.
bool Search(Display* dpy, Window w, int depth, GuardWindow& found) {
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(dpy, w, &root, &parent, &children, &n)) return false;
  bool hit = false;
  for (unsigned int i = 0; i < n && !hit; ++i) {
    std::string title;
    if (HasGuardTitle(dpy, children[i], title)) {
      found = GuardWindow{children[i], title};
      hit = true;
    } else {
      hit = depth + 1 < kMaxDepth && Search(dpy, children[i], depth + 1, found);
    }
  }
  if (children) XFree(children);
  return hit;
}

}  // namespace

bool AnotherCopyIsShowing(Display* Dpy, GuardWindow* Found) {
  if (!Dpy) return false;
  XSync(Dpy, False);
  auto previous = XSetErrorHandler(IgnoreXErrors);
  bool found = false;
  GuardWindow window;
  for (int s = 0; s < ScreenCount(Dpy) && !found; ++s) found = Search(Dpy, RootWindow(Dpy, s), 0, window);
  if (found && Found) *Found = window;
  XSync(Dpy, False);
  XSetErrorHandler(previous);
  return found;
}

}  // namespace sorvane
