// End-to-end helper on X11: a plain window standing in for a host (the
// settings page's preview area, XScreenSaver's window). Pairs with
// host_window_win32.cpp. Usage: host_window_x11 WIDTH HEIGHT ID_FILE STOP_FILE
// Writes the window's id (decimal) to ID_FILE once mapped; when STOP_FILE
// appears it destroys the window, stays alive two more seconds (so that the
// window's end, not this process's, is what the program sees) and exits.

#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 5) return 2;
  const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
  if (width <= 0 || height <= 0 || width > 10000 || height > 10000) return 2;
  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) return 1;
  const int s = DefaultScreen(dpy);
  XSetWindowAttributes a{};
  a.background_pixel = WhitePixel(dpy, s);
  a.override_redirect = True;  // stays where it is put, with or without a window manager
  const Window w = XCreateWindow(dpy, RootWindow(dpy, s), 40, 30, width, height, 0, CopyFromParent, InputOutput,
                                 CopyFromParent, CWBackPixel | CWOverrideRedirect, &a);
  XStoreName(dpy, w, "SorvaneTestHost");
  XMapRaised(dpy, w);
  XSync(dpy, False);
  if (FILE* f = std::fopen(argv[3], "w")) {
    std::fprintf(f, "%lu\n", static_cast<unsigned long>(w));
    std::fclose(f);
  }
  for (int i = 0; i < 1200 && access(argv[4], F_OK) != 0; ++i) usleep(100000);  // at most two minutes
  XDestroyWindow(dpy, w);
  XSync(dpy, False);
  sleep(2);
  XCloseDisplay(dpy);
  return 0;
}
