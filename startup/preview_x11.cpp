// The preview on Linux (pairs with preview_x11.h).
//
// The program ends when the preview window is destroyed, when the host
// destroys its own window (the child goes with it), and when a slow check finds
// the parent gone; a preview process is never left running.

#include "preview_x11.h"

#include <X11/Xutil.h>
#include <poll.h>

#include <csignal>
#include <cstdio>

#include "embedded_resources.h"
#include "picture_file.h"

namespace sorvane {

namespace {

// Set by SIGTERM/SIGINT; signal handlers cannot reach the preview object,
// so this flag is the preview's one piece of process-wide state.
volatile std::sig_atomic_t gPreviewEndRequested = 0;

void OnEndSignal(int) { gPreviewEndRequested = 1; }

// Errors about windows that vanished are expected here; ParentStillThere asks.
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

// Position of the lowest set bit of a colour mask and its width.
void MaskShape(unsigned long Mask, int& Shift, int& Bits) {
  Shift = 0;
  Bits = 0;
  if (!Mask) return;
  while (!(Mask & 1)) {
    Mask >>= 1;
    ++Shift;
  }
  while (Mask & 1) {
    Mask >>= 1;
    ++Bits;
  }
}

unsigned long Channel(unsigned char Value, unsigned long Mask) {
  int shift = 0, bits = 0;
  MaskShape(Mask, shift, bits);
  if (bits == 0) return 0;
  const unsigned long v = bits >= 8 ? static_cast<unsigned long>(Value) << (bits - 8) : Value >> (8 - bits);
  return (v << shift) & Mask;
}

}  // namespace

PreviewX11::PreviewX11(Display* Connection) : dpy_(Connection) {}

PreviewX11::~PreviewX11() {
  if (picture_) {
    picture_->data = nullptr;  // the pixels belong to pixels_
    XDestroyImage(picture_);
  }
  if (window_ && !ended_) XDestroyWindow(dpy_, window_);
  XSync(dpy_, False);
}

bool PreviewX11::PlaceInParent(::Window Parent) {
  XSetErrorHandler(IgnoreXErrors);
  XWindowAttributes parent;
  if (!XGetWindowAttributes(dpy_, Parent, &parent)) return false;
  parent_ = Parent;
  // Notice when the host resizes or destroys its window.
  XSelectInput(dpy_, parent_, StructureNotifyMask);

  XSetWindowAttributes attributes{};
  attributes.background_pixel = BlackPixel(dpy_, XScreenNumberOfScreen(parent.screen));
  attributes.border_pixel = 0;
  attributes.event_mask = ExposureMask | StructureNotifyMask;
  // The parent's visual might have a colormap unlike the screen's default:
  // the child shares the parent's visual, depth and colormap.
  window_ = XCreateWindow(dpy_, parent_, 0, 0, static_cast<unsigned>(parent.width > 0 ? parent.width : 1),
                          static_cast<unsigned>(parent.height > 0 ? parent.height : 1), 0, CopyFromParent,
                          InputOutput, CopyFromParent, CWBorderPixel | CWEventMask, &attributes);
  if (!window_) return false;
  // Black from the parent's own colormap where it is not the default.
  XColor black{};
  black.flags = DoRed | DoGreen | DoBlue;
  if (parent.colormap && XAllocColor(dpy_, parent.colormap, &black)) {
    XSetWindowBackground(dpy_, window_, black.pixel);
  } else {
    XSetWindowBackground(dpy_, window_, attributes.background_pixel);
  }
  XStoreName(dpy_, window_, "Preview Window");

  BgrImage picture;
  if (parent.visual && parent.visual->c_class == TrueColor &&
      DecodeJpegMemory(kPreviewJpeg, kPreviewJpegSize, picture)) {
    pixels_.assign(static_cast<size_t>(picture.Width) * picture.Height * 4, 0);
    picture_ = XCreateImage(dpy_, parent.visual, static_cast<unsigned>(parent.depth), ZPixmap, 0, pixels_.data(),
                            static_cast<unsigned>(picture.Width), static_cast<unsigned>(picture.Height), 32, 0);
    if (picture_ && static_cast<size_t>(picture_->bytes_per_line) * picture.Height > pixels_.size()) {
      // A pixel layout wider than 32 bits: make room and point the image at it.
      pixels_.assign(static_cast<size_t>(picture_->bytes_per_line) * picture.Height, 0);
      picture_->data = pixels_.data();
    }
    if (picture_) {
      const Visual* v = parent.visual;
      for (int y = 0; y < picture.Height; ++y) {
        for (int x = 0; x < picture.Width; ++x) {
          const unsigned char* p = &picture.Pixels[(static_cast<size_t>(y) * picture.Width + x) * 3];
          XPutPixel(picture_, x, y, Channel(p[2], v->red_mask) | Channel(p[1], v->green_mask) |
                                        Channel(p[0], v->blue_mask));
        }
      }
    }
  }
  XMapWindow(dpy_, window_);
  XFlush(dpy_);
  return true;
}

void PreviewX11::Paint() {
  if (!picture_ || !window_ || ended_) return;
  const GC gc = XCreateGC(dpy_, window_, 0, nullptr);
  XPutImage(dpy_, window_, gc, picture_, 0, 0, 0, 0, static_cast<unsigned>(picture_->width),
            static_cast<unsigned>(picture_->height));
  XFreeGC(dpy_, gc);
}

bool PreviewX11::HandleEvent(const XEvent& Event) {
  switch (Event.type) {
    case Expose:
      if (Event.xexpose.window == window_ && Event.xexpose.count == 0) Paint();
      break;
    case ConfigureNotify:
      // The preview keeps the size of its host's window.
      if (Event.xconfigure.window == parent_ && window_)
        XResizeWindow(dpy_, window_, static_cast<unsigned>(Event.xconfigure.width > 0 ? Event.xconfigure.width : 1),
                      static_cast<unsigned>(Event.xconfigure.height > 0 ? Event.xconfigure.height : 1));
      break;
    case DestroyNotify:
      if (Event.xdestroywindow.window == window_ || Event.xdestroywindow.window == parent_) ended_ = true;
      break;
    default:
      break;
  }
  return !ended_;
}

bool PreviewX11::ParentStillThere() {
  XWindowAttributes attributes;
  return XGetWindowAttributes(dpy_, parent_, &attributes) != 0 &&
         XGetWindowAttributes(dpy_, window_, &attributes) != 0;
}

int PreviewX11::Run() {
  struct sigaction sa {};
  sa.sa_handler = OnEndSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);

  pollfd fd{ConnectionNumber(dpy_), POLLIN, 0};
  while (!ended_ && !gPreviewEndRequested) {
    while (!ended_ && XPending(dpy_) > 0) {
      XEvent event;
      XNextEvent(dpy_, &event);
      HandleEvent(event);
    }
    if (ended_) break;
    // Wake for X events, and twice a second to check that the parent lives.
    if (poll(&fd, 1, 500) == 0 && !ParentStillThere()) ended_ = true;
  }
  return 0;
}

int RunPreview(Display* Connection, ::Window Parent) {
  PreviewX11 preview(Connection);
  if (!preview.PlaceInParent(Parent)) {
    std::fprintf(stderr, "sorvane: window 0x%lx does not exist\n", static_cast<unsigned long>(Parent));
    return 1;
  }
  return preview.Run();
}

}  // namespace sorvane
