// The Linux show window and preview on a real X server (the test display);
// skipped without one. Keys, buttons and the whole run of the show are
// covered by the end-to-end tests.

// GoogleTest comes first: X11's headers define macros (None, Bool) that
// clash with its names.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <GL/gl.h>

#include <cstring>
#include <vector>
#include <string>

#include "embedded_resources.h"
#include "picture_file.h"
#include "preview_x11.h"
#include "saver_window_x11.h"

namespace sorvane {
namespace {

class X11Test : public ::testing::Test {
 protected:
  void SetUp() override {
    dpy_ = XOpenDisplay(nullptr);
    if (!dpy_) GTEST_SKIP() << "no X display";
  }
  void TearDown() override {
    if (dpy_) XCloseDisplay(dpy_);
  }
  // A plain mapped window standing in for a host.
  ::Window MakeHost(int width, int height) {
    const int s = DefaultScreen(dpy_);
    const ::Window w = XCreateSimpleWindow(dpy_, RootWindow(dpy_, s), 0, 0, width, height, 0,
                                           WhitePixel(dpy_, s), WhitePixel(dpy_, s));
    XSelectInput(dpy_, w, ExposureMask);
    XMapWindow(dpy_, w);
    XSync(dpy_, False);
    return w;
  }
  // Handles the preview's events until nothing new arrives for a while.
  void Serve(PreviewX11& preview) {
    for (int i = 0; i < 20; ++i) {
      XSync(dpy_, False);
      while (XPending(dpy_) > 0) {
        XEvent e;
        XNextEvent(dpy_, &e);
        preview.HandleEvent(e);
      }
    }
  }
  Display* dpy_ = nullptr;
};

TEST_F(X11Test, PreviewFillsItsHostAndShowsThePictureUnscaled) {
  BgrImage picture;
  ASSERT_TRUE(DecodeJpegMemory(kPreviewJpeg, kPreviewJpegSize, picture));
  const ::Window host = MakeHost(200, 180);
  PreviewX11 preview(dpy_);
  ASSERT_TRUE(preview.PlaceInParent(host));
  Serve(preview);
  XWindowAttributes a;
  ASSERT_TRUE(XGetWindowAttributes(dpy_, preview.Window(), &a));
  EXPECT_EQ(a.x, 0);
  EXPECT_EQ(a.y, 0);
  EXPECT_EQ(a.width, 200);
  EXPECT_EQ(a.height, 180);
  preview.Paint();
  XSync(dpy_, False);

  XImage* shot = XGetImage(dpy_, preview.Window(), 0, 0, 200, 180, AllPlanes, ZPixmap);
  ASSERT_NE(shot, nullptr);
  const Visual* v = a.visual;
  auto rgb = [&](int x, int y) {
    const unsigned long p = XGetPixel(shot, x, y);
    auto ch = [&](unsigned long mask) {
      int shift = 0;
      while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
      }
      return static_cast<int>((p >> shift) & 0xff);
    };
    return std::to_string(ch(v->red_mask)) + "," + std::to_string(ch(v->green_mask)) + "," +
           std::to_string(ch(v->blue_mask));
  };
  auto expected = [&](int x, int y) {
    const uint8_t* p = &picture.Pixels[(static_cast<size_t>(y) * picture.Width + x) * 3];
    return std::to_string(p[2]) + "," + std::to_string(p[1]) + "," + std::to_string(p[0]);
  };
  for (auto [x, y] : {std::pair{0, 0}, {151, 0}, {0, 151}, {151, 151}, {80, 33}}) EXPECT_EQ(rgb(x, y), expected(x, y));
  for (auto [x, y] : {std::pair{152, 0}, {199, 179}, {0, 152}, {151, 179}}) EXPECT_EQ(rgb(x, y), "0,0,0");
  XDestroyImage(shot);
  XDestroyWindow(dpy_, host);
}

TEST_F(X11Test, PreviewFollowsItsHostsSizeAndEndsWithIt) {
  const ::Window host = MakeHost(152, 112);
  PreviewX11 preview(dpy_);
  ASSERT_TRUE(preview.PlaceInParent(host));
  Serve(preview);
  XResizeWindow(dpy_, host, 300, 250);
  Serve(preview);
  XWindowAttributes a;
  ASSERT_TRUE(XGetWindowAttributes(dpy_, preview.Window(), &a));
  EXPECT_EQ(a.width, 300);
  EXPECT_EQ(a.height, 250);

  XDestroyWindow(dpy_, host);
  XSync(dpy_, False);
  bool running = true;
  while (XPending(dpy_) > 0) {
    XEvent e;
    XNextEvent(dpy_, &e);
    running = preview.HandleEvent(e) && running;
  }
  EXPECT_FALSE(running);
}

TEST_F(X11Test, PreviewRefusesAWindowThatDoesNotExist) {
  PreviewX11 preview(dpy_);
  EXPECT_FALSE(preview.PlaceInParent(0x3fffff0));
}

TEST_F(X11Test, ShowWindowIsTitledAndCoversThePrimaryMonitor) {
  const ScreenArea area = PrimaryMonitorArea(dpy_, DefaultScreen(dpy_));
  EXPECT_GT(area.Width, 0);
  EXPECT_GT(area.Height, 0);
  EXPECT_LE(area.X + area.Width, DisplayWidth(dpy_, DefaultScreen(dpy_)));

  SettingsRecord settings;
  settings.StarSize = 12.0f;
  Sorvane_S show(dpy_, settings, true);
  const ::Window w = show.CreateOwnWindow(area);
  ASSERT_NE(w, 0u);
  char* name = nullptr;
  ASSERT_TRUE(XFetchName(dpy_, w, &name));
  EXPECT_STREQ(name, "Sorvane_Main");
  XFree(name);

  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  XGetWindowProperty(dpy_, w, XInternAtom(dpy_, "_NET_WM_NAME", False), 0, 64, False,
                     XInternAtom(dpy_, "UTF8_STRING", False), &type, &format, &count, &after, &data);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), count), "Sorvane_Main");
  XFree(data);

  XWindowAttributes a;
  ASSERT_TRUE(XGetWindowAttributes(dpy_, w, &a));
  EXPECT_EQ(a.x, area.X);
  EXPECT_EQ(a.y, area.Y);
  EXPECT_EQ(a.width, area.Width);
  EXPECT_EQ(a.height, area.Height);
  // A bare X server has no window manager: the window places itself.
  EXPECT_EQ(static_cast<bool>(a.override_redirect), !WindowManagerPresent(dpy_, DefaultScreen(dpy_)));
  XDestroyWindow(dpy_, w);
}

TEST_F(X11Test, AStaleWindowManagerCheckIsNotAWindowManager) {
  const int s = DefaultScreen(dpy_);
  const Atom check = XInternAtom(dpy_, "_NET_SUPPORTING_WM_CHECK", False);
  const ::Window root = RootWindow(dpy_, s);
  const ::Window w = XCreateSimpleWindow(dpy_, root, 0, 0, 1, 1, 0, 0, 0);
  unsigned long id = w;
  XChangeProperty(dpy_, root, check, XA_WINDOW, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&id), 1);
  XChangeProperty(dpy_, w, check, XA_WINDOW, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&id), 1);
  EXPECT_TRUE(WindowManagerPresent(dpy_, s));
  XDestroyWindow(dpy_, w);  // the manager is gone, its property stays
  XSync(dpy_, False);
  EXPECT_FALSE(WindowManagerPresent(dpy_, s));
  XDeleteProperty(dpy_, root, check);
  XSync(dpy_, False);
}

// Watches a few frames of a real show and ends it.
class FewFrames final : public FrameObserver {
 public:
  explicit FewFrames(int Frames) : left_(Frames) {}
  bool Unpaced() const override { return false; }
  bool FramePresented(const FramePacer& Pacer, FramePacer::Clock::time_point, int Steps) override {
    Plan = Pacer.Current();
    StepsSeen.push_back(Steps);
    if (Renderer.empty()) {
      const GLubyte* name = glGetString(GL_RENDERER);
      Renderer = name ? reinterpret_cast<const char*>(name) : "";
    }
    return --left_ <= 0;
  }
  PacingPlan Plan;
  std::vector<int> StepsSeen;
  std::string Renderer;

 private:
  int left_;
};

// The test display renders with Mesa's software rasteriser: the show plans
// to draw every second step there (30 frames a second), and -delay asks for
// more steps per frame. The first frame is one step; no frame stands for more
// than the catch-up allows. (How many steps the later frames stand for
// depends on the machine's speed: the pacing's own tests pin that.)
TEST_F(X11Test, OnTheSoftwareRendererTheShowPlansTwoStepsAFrameAndDelayMore) {
  SettingsRecord settings;
  settings.StarSize = 12.0f;
  for (const long Delay : {-1L, 100000L}) {
    FewFrames frames(12);
    {
      Sorvane_S show(dpy_, settings, false);
      if (Delay >= 0) show.SetFrameDelay(Delay);
      show.Observe(&frames);
      ASSERT_EQ(show.RunOwnWindow(), 0);
    }
    ASSERT_TRUE(IsSoftwareRenderer(frames.Renderer.c_str())) << "renderer " << frames.Renderer;
    const int Expected = Delay < 0 ? 2 : 6;  // 100 ms: six steps of 1/60 s
    EXPECT_EQ(frames.Plan.StepsPerFrame, Expected) << "delay " << Delay;
    ASSERT_EQ(frames.StepsSeen.size(), 12u);
    EXPECT_EQ(frames.StepsSeen[0], 1);
    for (int Steps : frames.StepsSeen) {
      EXPECT_GE(Steps, 1);
      EXPECT_LE(Steps, FramePacer::kMaxStepsPerFrame);
    }
  }
}

}  // namespace
}  // namespace sorvane
