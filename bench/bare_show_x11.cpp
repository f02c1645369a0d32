// The floor for the show's benchmark: a bare program that makes the same
// full-screen window and GLX context as the show, then only clears and swaps.
// Pairs with scripts/bench-show.sh, which runs it beside `sorvane`; it prints
// the same lines as the show does for SORVANE_BENCH_FIRST_FRAME and
// SORVANE_BENCH_FRAMES. Draws no scene and reads no settings.

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "process_clock_posix.h"
#include "render_context_x11.h"
#include "saver_window_x11.h"

int main() {
  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) return 1;
  const int screen = DefaultScreen(dpy);
  const sorvane::ScreenArea area = sorvane::PrimaryMonitorArea(dpy, screen);
  XVisualInfo* visual = sorvane::ChooseShowVisual(dpy, screen);
  if (!visual) return 1;
  XSetWindowAttributes a{};
  a.colormap = XCreateColormap(dpy, RootWindow(dpy, screen), visual->visual, AllocNone);
  a.override_redirect = True;
  const Window w = XCreateWindow(dpy, RootWindow(dpy, screen), area.X, area.Y, area.Width, area.Height, 0,
                                 visual->depth, InputOutput, visual->visual, CWColormap | CWOverrideRedirect, &a);
  XStoreName(dpy, w, "Sorvane_Bare");
  XMapRaised(dpy, w);
  const GLXContext context = glXCreateContext(dpy, visual, nullptr, True);
  XFree(visual);
  if (!context || !glXMakeCurrent(dpy, w, context)) return 1;
  glViewport(0, 0, area.Width, area.Height);
  glClearColor(0, 0, 0, 0.5f);

  const char* framesText = std::getenv("SORVANE_BENCH_FRAMES");
  const long frames = framesText ? std::strtol(framesText, nullptr, 10) : 1;
  const auto start = std::chrono::steady_clock::now();
  const double startCpu = sorvane::CpuSeconds();
  for (long i = 1; i <= (frames > 0 ? frames : 1); ++i) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glXSwapBuffers(dpy, w);
    if (i == 1) {
      XSync(dpy, False);
      std::printf("first-frame-realtime-ns %lld\n", sorvane::RealTimeNanoseconds());
    }
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("frames %ld seconds %.3f fps %.1f cpu-ms-per-frame %.3f\n", frames, seconds, frames / seconds,
              1000.0 * (sorvane::CpuSeconds() - startCpu) / frames);
  glXMakeCurrent(dpy, None, nullptr);
  glXDestroyContext(dpy, context);
  XDestroyWindow(dpy, w);
  XCloseDisplay(dpy);
  return 0;
}
