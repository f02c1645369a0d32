// The show on Linux (pairs with saver_window_x11.h).
//
// One loop serves both ways of running: pending X events are handled before
// each frame is drawn and again after it is presented, the 100 ms tilt timer
// is read from a monotonic clock between frames, and the pacing decision
// (saver_loop.h) says how many steps each frame stands for and whether the
// loop relies on the swap interval or sleeps until the next frame's time.

#include "saver_window_x11.h"

#include <X11/Xatom.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>

#include "paths.h"

namespace sorvane {

namespace {

// The one piece of process-wide state: signal handlers cannot reach the show
// object, so an end signal leaves its number here and the frame loop reads it.
volatile std::sig_atomic_t gEndRequested = 0;

void OnEndSignal(int Signal) { gEndRequested = Signal; }

const int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

// libX11's own handler for a lost connection exits at once; returning from
// this one lets the exit handler (ConnectionLost) remove the bitmap first.
int ReturnToExitHandler(Display*) { return 0; }

// X errors about a window that has gone away are expected when drawing into
// someone else's window; they must not end the process before it cleans up.
// Whether the window is still there is asked separately.
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

// Whole-word search in a GLX extension string.
bool HasExtension(const char* List, const char* Name) {
  if (!List) return false;
  const size_t n = std::strlen(Name);
  for (const char* p = List; (p = std::strstr(p, Name)) != nullptr; p += n) {
    const bool startOk = p == List || p[-1] == ' ';
    const bool endOk = p[n] == ' ' || p[n] == '\0';
    if (startOk && endOk) return true;
  }
  return false;
}

}  // namespace

void CatchEndSignals() {
  struct sigaction sa {};
  sa.sa_handler = OnEndSignal;
  sigemptyset(&sa.sa_mask);
  for (int s : kEndSignals) sigaction(s, &sa, nullptr);
}

int EndSignal() { return gEndRequested; }

void EndBySignal(int Signal) {
  if (Signal == SIGQUIT) {
    // Everything is cleaned up: a core file would hold nothing of use.
    struct rlimit none {};
    setrlimit(RLIMIT_CORE, &none);
  }
  std::signal(Signal, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, Signal);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  std::raise(Signal);
  _exit(128 + Signal);  // only if the default action did not end the process
}

std::vector<ScreenArea> MonitorAreas(Display* Connection, int Screen) {
  const ScreenArea whole{0, 0, DisplayWidth(Connection, Screen), DisplayHeight(Connection, Screen)};
  std::vector<ScreenArea> found;
  int eventBase = 0, errorBase = 0;
  if (XRRQueryExtension(Connection, &eventBase, &errorBase)) {
    const ::Window root = RootWindow(Connection, Screen);
    if (XRRScreenResources* resources = XRRGetScreenResourcesCurrent(Connection, root)) {
      // Area of one output, when it is lit.
      auto areaOf = [&](RROutput output, ScreenArea& area) {
        XRROutputInfo* info = XRRGetOutputInfo(Connection, resources, output);
        bool ok = false;
        if (info && info->crtc) {
          XRRCrtcInfo* crtc = XRRGetCrtcInfo(Connection, resources, info->crtc);
          if (crtc && crtc->width > 0 && crtc->height > 0) {
            area = ScreenArea{crtc->x, crtc->y, static_cast<int>(crtc->width), static_cast<int>(crtc->height)};
            ok = true;
          }
          if (crtc) XRRFreeCrtcInfo(crtc);
        }
        if (info) XRRFreeOutputInfo(info);
        return ok;
      };
      ScreenArea area;
      const RROutput primary = XRRGetOutputPrimary(Connection, root);
      if (primary && areaOf(primary, area)) found.push_back(area);
      for (int i = 0; i < resources->noutput; ++i) {
        if (resources->outputs[i] != primary && areaOf(resources->outputs[i], area)) found.push_back(area);
      }
      XRRFreeScreenResources(resources);
    }
  }
  // Where XRandR knows one output or none (Xinerama over several screens, as
  // Xephyr and some drivers give), Xinerama knows the monitors; its first
  // screen is the primary one, unless XRandR named another.
  if (LayOutMonitors(found).Viewports.size() < 2) {
    int count = 0;
    XineramaScreenInfo* heads = XineramaIsActive(Connection) ? XineramaQueryScreens(Connection, &count) : nullptr;
    std::vector<ScreenArea> xinerama;
    for (int i = 0; heads && i < count; ++i)
      xinerama.push_back(ScreenArea{heads[i].x_org, heads[i].y_org, heads[i].width, heads[i].height});
    if (heads) XFree(heads);
    if (LayOutMonitors(xinerama).Viewports.size() >= 2) {
      for (size_t i = 1; !found.empty() && i < xinerama.size(); ++i) {
        const ScreenArea& p = found[0];
        const ScreenArea& x = xinerama[i];
        if (x.X == p.X && x.Y == p.Y && x.Width == p.Width && x.Height == p.Height) std::swap(xinerama[0], xinerama[i]);
      }
      found = xinerama;
    }
  }
  if (found.empty()) found.push_back(whole);
  return found;
}

ScreenArea PrimaryMonitorArea(Display* Connection, int Screen) { return MonitorAreas(Connection, Screen)[0]; }

int PrimaryRefreshHz(Display* Connection, int Screen) {
  int eventBase = 0, errorBase = 0;
  if (!XRRQueryExtension(Connection, &eventBase, &errorBase)) return 0;
  const ::Window root = RootWindow(Connection, Screen);
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(Connection, root);
  if (!resources) return 0;
  RROutput output = XRRGetOutputPrimary(Connection, root);
  if (!output && resources->noutput > 0) output = resources->outputs[0];
  int hz = 0;
  XRROutputInfo* info = output ? XRRGetOutputInfo(Connection, resources, output) : nullptr;
  XRRCrtcInfo* crtc = (info && info->crtc) ? XRRGetCrtcInfo(Connection, resources, info->crtc) : nullptr;
  for (int i = 0; crtc && i < resources->nmode; ++i) {
    const XRRModeInfo& mode = resources->modes[i];
    if (mode.id != crtc->mode || mode.hTotal == 0 || mode.vTotal == 0) continue;
    double lines = static_cast<double>(mode.vTotal);
    if (mode.modeFlags & RR_DoubleScan) lines *= 2;
    if (mode.modeFlags & RR_Interlace) lines /= 2;
    hz = static_cast<int>(static_cast<double>(mode.dotClock) / (static_cast<double>(mode.hTotal) * lines));
  }
  if (crtc) XRRFreeCrtcInfo(crtc);
  if (info) XRRFreeOutputInfo(info);
  XRRFreeScreenResources(resources);
  return hz;
}

bool WindowManagerPresent(Display* Connection, int Screen) {
  const Atom check = XInternAtom(Connection, "_NET_SUPPORTING_WM_CHECK", False);
  // The window named by Owner's property, if any.
  auto named = [&](::Window owner, ::Window& out) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(Connection, owner, check, 0, 1, False, XA_WINDOW, &type, &format,
                                          &count, &after, &data);
    const bool ok = status == Success && data && type == XA_WINDOW && format == 32 && count == 1;
    if (ok) out = static_cast<::Window>(reinterpret_cast<unsigned long*>(data)[0]);
    if (data) XFree(data);
    return ok;
  };
  auto previous = XSetErrorHandler(IgnoreXErrors);
  ::Window child = 0, self = 0;
  // A stale property names a window that is gone or no longer names itself.
  const bool present = named(RootWindow(Connection, Screen), child) && named(child, self) && self == child;
  XSync(Connection, False);
  XSetErrorHandler(previous);
  return present;
}

Sorvane_S::Sorvane_S(Display* Connection, const SettingsRecord& Settings, bool HideCursor)
    : dpy_(Connection), settings_(Settings), hideCursor_(HideCursor) {}

Sorvane_S::~Sorvane_S() { Form_Unload(); }

::Window Sorvane_S::CreateOwnWindow(const ScreenArea& Area) {
  const int screen = DefaultScreen(dpy_);
  const ::Window root = RootWindow(dpy_, screen);
  XVisualInfo* visual = ChooseShowVisual(dpy_, screen);
  if (!visual) return 0;
  colormap_ = XCreateColormap(dpy_, root, visual->visual, AllocNone);
  XColor grey{};
  grey.red = grey.green = grey.blue = 0x8080;
  grey.flags = DoRed | DoGreen | DoBlue;
  XAllocColor(dpy_, colormap_, &grey);

  const bool managed = WindowManagerPresent(dpy_, screen);
  XSetWindowAttributes attributes{};
  attributes.colormap = colormap_;
  attributes.background_pixel = grey.pixel;
  attributes.border_pixel = 0;
  attributes.override_redirect = managed ? False : True;
  attributes.event_mask = KeyPressMask | KeyReleaseMask | ButtonPressMask | StructureNotifyMask | ExposureMask;
  const ::Window w = XCreateWindow(dpy_, root, Area.X, Area.Y, static_cast<unsigned>(Area.Width),
                                   static_cast<unsigned>(Area.Height), 0, visual->depth, InputOutput,
                                   visual->visual,
                                   CWColormap | CWBackPixel | CWBorderPixel | CWOverrideRedirect | CWEventMask,
                                   &attributes);
  XFree(visual);
  if (!w) return 0;

  // The title the single-instance guard looks for, in both properties.
  const char* title = "Sorvane_Main";
  XStoreName(dpy_, w, title);
  XChangeProperty(dpy_, w, XInternAtom(dpy_, "_NET_WM_NAME", False), XInternAtom(dpy_, "UTF8_STRING", False), 8,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(title),
                  static_cast<int>(std::strlen(title)));
  XClassHint classHint{const_cast<char*>("sorvane"), const_cast<char*>("Sorvane")};
  XSetClassHint(dpy_, w, &classHint);
  wmDeleteWindow_ = XInternAtom(dpy_, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(dpy_, w, &wmDeleteWindow_, 1);

  if (managed) {
    // Full screen through the window manager, without decorations.
    const Atom fullscreen = XInternAtom(dpy_, "_NET_WM_STATE_FULLSCREEN", False);
    XChangeProperty(dpy_, w, XInternAtom(dpy_, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&fullscreen), 1);
    const long motifHints[5] = {2 /* decorations field */, 0, 0 /* none */, 0, 0};
    const Atom motif = XInternAtom(dpy_, "_MOTIF_WM_HINTS", False);
    XChangeProperty(dpy_, w, motif, motif, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(motifHints),
                    5);
  }
  if (hideCursor_) {
    static const char kEmpty[1] = {0};
    const Pixmap empty = XCreateBitmapFromData(dpy_, w, kEmpty, 1, 1);
    XColor black{};
    blankCursor_ = XCreatePixmapCursor(dpy_, empty, empty, &black, &black, 0, 0);
    XFreePixmap(dpy_, empty);
    XDefineCursor(dpy_, w, blankCursor_);
  }
  return w;
}

int Sorvane_S::RunOwnWindow() {
  ownWindow_ = true;
  everyMonitor_ = true;
  inputEnds_ = true;
  XSetErrorHandler(IgnoreXErrors);
  XSetIOErrorHandler(ReturnToExitHandler);
  XSetIOErrorExitHandler(dpy_, ConnectionLost, this);
  // One window over every monitor, a swarm in each monitor's part of it.
  layout_ = LayOutMonitors(MonitorAreas(dpy_, DefaultScreen(dpy_)));
  window_ = CreateOwnWindow(layout_.Window);
  if (!window_) {
    std::fprintf(stderr, "sorvane: the display offers no OpenGL visual for the show\n");
    return 1;
  }
  if (!StartShow(RenderWindowKind::Own, PhotoBitmapPlace::BesideProgram)) {
    Form_Unload();  // it has said why
    return 1;
  }
  FrameLoop();
  Form_Unload();
  return 0;
}

int Sorvane_S::RunInWindow(::Window Target) {
  ownWindow_ = false;
  inputEnds_ = false;  // the screen saver daemon decides when the show ends
  XSetErrorHandler(IgnoreXErrors);
  XSetIOErrorHandler(ReturnToExitHandler);
  XSetIOErrorExitHandler(dpy_, ConnectionLost, this);
  const int screen = DefaultScreen(dpy_);
  window_ = Target ? Target : RootWindow(dpy_, screen);
  // The real root window spans every monitor, as the own window does, and
  // gets a swarm on each. A window XScreenSaver gives (its own, or its
  // virtual root) is one monitor's: one swarm there.
  everyMonitor_ = Target == 0;
  if (everyMonitor_) {
    const ScreenArea root{0, 0, DisplayWidth(dpy_, screen), DisplayHeight(dpy_, screen)};
    layout_ = LayOutMonitorsIn(MonitorAreas(dpy_, screen), root);
  }
  // Only the window's own changes: its size and its end. Input stays with
  // whoever owns the window.
  XSelectInput(dpy_, window_, StructureNotifyMask | ExposureMask);
  XSync(dpy_, False);
  if (!TargetStillThere()) {
    std::fprintf(stderr, "sorvane: window 0x%lx does not exist\n", static_cast<unsigned long>(window_));
    window_ = 0;
    return 1;
  }
  // Copies run side by side (one per monitor): each keeps its own bitmap.
  if (!StartShow(RenderWindowKind::Foreign, PhotoBitmapPlace::PrivateTempFolder)) {
    Form_Unload();  // it has said why
    return 1;
  }
  FrameLoop();
  Form_Unload();
  return 0;
}

bool Sorvane_S::StartShow(RenderWindowKind Kind, PhotoBitmapPlace Place) {
  PreparePhoto(Place);
  if (bitmap_.Photo != PictureProblem::NoProblem) {
    std::fprintf(stderr, "sorvane: cannot show %s: %s; showing a built-in photograph instead\n",
                 settings_.PicturePath.c_str(), PictureProblemText(bitmap_.Photo));
  }
  // A full or missing temporary folder must not stop the show: the square
  // then goes to the texture from memory.
  const bool fromMemory = bitmap_.Path.empty();
  if (fromMemory) {
    std::fprintf(stderr,
                 "sorvane: no temporary bitmap could be written (%s); the texture takes the photograph "
                 "straight from memory\n",
                 bitmap_.Failure.c_str());
  }
  ShowDone = 0;
  scene_.TiltAngle = 90.0f;
  scene_.SpinAngle = 0.0f;
  SeedRandom();
  // The further monitors' swarms start from the same time.
  const uint32_t seed = ShowRandom::SecondsSinceMidnight();
  const bool opened = fromMemory ? OpenRenderContext(context_, dpy_, window_, Kind, scene_, bitmap_.Square, random_)
                                 : OpenRenderContext(context_, dpy_, window_, Kind, scene_, bitmap_.Path, random_);
  if (!opened) {
    std::fprintf(stderr, "sorvane: the show cannot draw with OpenGL in window 0x%lx\n",
                 static_cast<unsigned long>(window_));
    ShowDone = -1;
  }
  // The texture holds the picture now and the file is never read again: it
  // goes at once, so that a crash or a kill later leaves nothing behind.
  const std::string shown = bitmap_.Shown;
  DeletePhotoBitmap(bitmap_);
  bitmap_ = PhotoBitmapFile{};
  if (!ShowDone && frameRateShown_) frameRate_.Open(dpy_);
  TiltUp = -1;
  scene_.ViewDistance = static_cast<float>(static_cast<double>(settings_.StarSize) - 25.0);
  // Further monitors of the own window or the root window.
  if (!ShowDone && everyMonitor_) swarms_.SetUp(layout_, scene_, seed);
  if (!ShowDone) {
    const int64_t seconds = changeSeconds_ ? *changeSeconds_ : int64_t{settings_.ChangeMinutes} * 60;
    photos_ = FolderPhotosForShow(settings_.PicturePath, shown, seconds, swarms_.Count());
    swarms_.ChangePhotographs(photos_.get(), static_cast<long>(seconds * Swarms::kStepsPerSecond));
  }
  if (ownWindow_) XMapRaised(dpy_, window_);
  if (ownWindow_ && swarms_.Count() > 1) CoverEveryMonitor();
  timer1_.Start(TickTimer::Clock::now());
  if (!ShowDone) PlanPacing();
  return !ShowDone;
}

void Sorvane_S::FrameLoop() {
  int grabTries = 0;
  bool grabbed = !ownWindow_;
  bool first = true;
  auto lastCheck = FramePacer::Clock::now();
  pacer_.Start(lastCheck);
  while (!ShowDone && !unloaded_) {
    PumpEvents();
    if (unloaded_) return;
    const int steps = pacer_.StepsForFrame(FramePacer::Clock::now());
    if (!DrawSteps(steps)) {
      ShowDone = -1;
      break;
    }
    // Drawn and not yet presented: anything drawn over the swarm goes here.
    frameRate_.Draw();  // -fps
    PresentFrame(context_);
    if (observer_) {
      if (first) XSync(dpy_, False);  // the display has the first frame
      if (observer_->FramePresented(pacer_, FramePacer::Clock::now(), steps)) ShowDone = -1;
    }
    first = false;
    PumpEvents();
    if (unloaded_) return;
    // A screen saver takes the keyboard and the pointer, so that every key
    // and button reaches it; the window must be viewable first.
    if (!grabbed && grabTries < 200) {
      ++grabTries;
      grabbed = XGrabKeyboard(dpy_, window_, True, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
      if (grabbed) {
        XGrabPointer(dpy_, window_, True, ButtonPressMask, GrabModeAsync, GrabModeAsync, None,
                     hideCursor_ ? blankCursor_ : None, CurrentTime);
      }
    }
    const auto now = FramePacer::Clock::now();
    if (!ownWindow_ && now - lastCheck > std::chrono::seconds(1)) {
      lastCheck = now;
      if (!TargetStillThere()) ShowDone = -1;
    }
    const auto until = pacer_.FramePresented(now);
    if (until > now) std::this_thread::sleep_until(until);
  }
}

// Runs the steps this frame stands for on every monitor's swarm: the missed
// ones undrawn, the last drawn.
bool Sorvane_S::DrawSteps(int Steps) {
  return swarms_.DrawSteps(scene_, random_, Steps);
}

void Sorvane_S::PumpEvents() {
  while (!unloaded_ && XPending(dpy_) > 0) {
    XEvent event;
    XNextEvent(dpy_, &event);
    HandleEvent(event);
  }
  const auto now = TickTimer::Clock::now();
  while (timer1_.TickDue(now)) Timer1_Timer();
  if (gEndRequested) ShowDone = -1;
}

void Sorvane_S::HandleEvent(const XEvent& Event) {
  switch (Event.type) {
    case KeyPress:
      if (Event.xkey.window == window_) Form_KeyDown(Event.xkey.keycode, Event.xkey.state);
      break;
    case KeyRelease:
      if (Event.xkey.window == window_) Form_KeyUp(Event.xkey.keycode, Event.xkey.state);
      break;
    case ButtonPress:
      if (Event.xbutton.window == window_)
        Form_MouseDown(Event.xbutton.button, Event.xbutton.state, Event.xbutton.x, Event.xbutton.y);
      break;
    case ConfigureNotify:
      // The window manager (full screen) or the daemon may change the size.
      if (Event.xconfigure.window == window_ && context_.Context)
        ResizeViewport(Event.xconfigure.width, Event.xconfigure.height);
      break;
    case DestroyNotify:
      if (Event.xdestroywindow.window == window_) {
        window_ = 0;  // gone: nothing of it is released any more
        ShowDone = -1;
      }
      break;
    case ClientMessage:
      if (ownWindow_ && Event.xclient.window == window_ && Event.xclient.format == 32 &&
          static_cast<Atom>(Event.xclient.data.l[0]) == wmDeleteWindow_) {
        Form_Unload();  // closed by the system: unload at once
      }
      break;
    default:
      break;
  }
}

void Sorvane_S::Form_KeyDown(unsigned int, unsigned int) {
  if (inputEnds_) ShowDone = -1;
}

void Sorvane_S::Form_KeyUp(unsigned int, unsigned int) {}

void Sorvane_S::Form_MouseDown(unsigned int, unsigned int, int, int) {
  if (inputEnds_) ShowDone = -1;
}

void Sorvane_S::Timer1_Timer() { SweepTilt(scene_.TiltAngle, TiltUp); }

void Sorvane_S::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  swarms_.ChangePhotographs(nullptr, 0);
  photos_.reset();  // its worker stops
  frameRate_.Close();
  CloseRenderContext(context_);
  DeletePhotoBitmap(bitmap_);
  bitmap_ = PhotoBitmapFile{};
  if (ownWindow_) {
    if (window_) {
      XUngrabKeyboard(dpy_, CurrentTime);
      XUngrabPointer(dpy_, CurrentTime);
      XDestroyWindow(dpy_, window_);
    }
    if (blankCursor_) XFreeCursor(dpy_, blankCursor_);
    if (colormap_) XFreeColormap(dpy_, colormap_);
  } else if (window_) {
    XSelectInput(dpy_, window_, NoEventMask);
  }
  window_ = 0;
  blankCursor_ = 0;
  colormap_ = 0;
  XSync(dpy_, False);
}

// A show over every monitor (the own window, the root window) seeds from the
// time of day. Copies drawing into XScreenSaver's windows (one per monitor,
// started in the same second) mix in their process and window, so that each
// monitor shows its own swarm.
void Sorvane_S::SeedRandom() {
  if (everyMonitor_) {
    random_.SeedFromTimeOfDay();
  } else {
    random_.SeedFromTimeOfDayAnd(static_cast<uint64_t>(getpid()), static_cast<uint64_t>(window_));
  }
}

void Sorvane_S::PreparePhoto(PhotoBitmapPlace Place) {
  SeedRandom();
  bitmap_ = PreparePhotoSquare(settings_.PicturePath, ProgramFolder(), random_, Place);
}

// Asks a window manager to stretch the full-screen window over every monitor
// (_NET_WM_FULLSCREEN_MONITORS names the Xinerama screens at its four edges);
// without one, the window already has the whole area.
void Sorvane_S::CoverEveryMonitor() {
  const int screen = DefaultScreen(dpy_);
  if (!WindowManagerPresent(dpy_, screen)) return;
  int count = 0;
  XineramaScreenInfo* heads = XineramaIsActive(dpy_) ? XineramaQueryScreens(dpy_, &count) : nullptr;
  if (!heads) return;
  long edges[4] = {0, 0, 0, 0};  // top, bottom, left, right
  for (int i = 1; i < count; ++i) {
    if (heads[i].y_org < heads[edges[0]].y_org) edges[0] = i;
    if (heads[i].y_org + heads[i].height > heads[edges[1]].y_org + heads[edges[1]].height) edges[1] = i;
    if (heads[i].x_org < heads[edges[2]].x_org) edges[2] = i;
    if (heads[i].x_org + heads[i].width > heads[edges[3]].x_org + heads[edges[3]].width) edges[3] = i;
  }
  XFree(heads);
  XEvent message{};
  message.xclient.type = ClientMessage;
  message.xclient.window = window_;
  message.xclient.message_type = XInternAtom(dpy_, "_NET_WM_FULLSCREEN_MONITORS", False);
  message.xclient.format = 32;
  for (int i = 0; i < 4; ++i) message.xclient.data.l[i] = edges[i];
  message.xclient.data.l[4] = 1;  // a normal application
  XSendEvent(dpy_, RootWindow(dpy_, screen), False, SubstructureRedirectMask | SubstructureNotifyMask, &message);
  XFlush(dpy_);
}

// The pacing decision for this display and renderer, and the swap interval
// it asks for.
void Sorvane_S::PlanPacing() {
  PacingInputs inputs;
  inputs.RefreshHz = PrimaryRefreshHz(dpy_, DefaultScreen(dpy_));
  inputs.SoftwareRenderer = IsSoftwareRenderer(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  inputs.DelayMicroseconds = frameDelay_ ? static_cast<long>(*frameDelay_) : -1;
  inputs.Unpaced = observer_ && observer_->Unpaced();
  const PacingPlan& plan = pacer_.Plan(inputs);
  const bool accepted = RequestSwapInterval(plan.SwapInterval);
  pacer_.SwapIntervalResult(accepted);
}

// Asks the driver to wait Interval refreshes on every swap (0: not at all).
bool Sorvane_S::RequestSwapInterval(int Interval) {
  const char* extensions = glXQueryExtensionsString(dpy_, DefaultScreen(dpy_));
  if (!context_.DoubleBuffered) return false;
  if (HasExtension(extensions, "GLX_EXT_swap_control")) {
    using Proc = void (*)(Display*, GLXDrawable, int);
    const auto proc = reinterpret_cast<Proc>(glXGetProcAddress(reinterpret_cast<const GLubyte*>("glXSwapIntervalEXT")));
    if (proc) {
      proc(dpy_, context_.Drawable, Interval);
      return true;
    }
  } else if (HasExtension(extensions, "GLX_MESA_swap_control")) {
    using Proc = int (*)(unsigned int);
    const auto proc = reinterpret_cast<Proc>(glXGetProcAddress(reinterpret_cast<const GLubyte*>("glXSwapIntervalMESA")));
    return proc && proc(static_cast<unsigned>(Interval)) == 0;
  }
  return false;
}

bool Sorvane_S::TargetStillThere() {
  if (!window_) return false;
  XWindowAttributes attributes;
  return XGetWindowAttributes(dpy_, window_, &attributes) != 0;
}

void Sorvane_S::ConnectionLost(Display*, void* Self) {
  // The X server went away: nothing can be drawn or released there, but the
  // temporary bitmap is ours to remove.
  auto* self = static_cast<Sorvane_S*>(Self);
  DeletePhotoBitmap(self->bitmap_);
  _exit(1);
}

}  // namespace sorvane
