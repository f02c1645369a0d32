// The -fps overlay (show/frame_rate_overlay_x11.h) drawn by real OpenGL on
// the test display: its text and box land in the lower left corner, and the
// scene's OpenGL state is the same after it as before. Skipped without a
// display.

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <vector>

#include "frame_rate_overlay_x11.h"
#include "render_context_x11.h"

namespace sorvane {
namespace {

constexpr int kWidth = 320, kHeight = 240;

class OverlayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) GTEST_SKIP() << "no X display";
    // A busy Xvfb now and then refuses a connection for a moment.
    for (int attempt = 0; attempt < 50 && !dpy_; ++attempt) {
      dpy_ = XOpenDisplay(nullptr);
      if (!dpy_) usleep(20000);
    }
    ASSERT_NE(dpy_, nullptr);
    XVisualInfo* visual = ChooseShowVisual(dpy_, DefaultScreen(dpy_));
    ASSERT_NE(visual, nullptr);
    XSetWindowAttributes a{};
    a.colormap = colormap_ = XCreateColormap(dpy_, RootWindow(dpy_, visual->screen), visual->visual, AllocNone);
    a.override_redirect = True;
    win_ = XCreateWindow(dpy_, RootWindow(dpy_, visual->screen), 0, 0, kWidth, kHeight, 0, visual->depth, InputOutput,
                         visual->visual, CWColormap | CWOverrideRedirect, &a);
    context_ = glXCreateContext(dpy_, visual, nullptr, True);
    XFree(visual);
    ASSERT_NE(context_, nullptr);
    XMapWindow(dpy_, win_);
    XSync(dpy_, False);
    ASSERT_TRUE(glXMakeCurrent(dpy_, win_, context_));
    glViewport(0, 0, kWidth, kHeight);
  }
  void TearDown() override {
    if (!dpy_) return;
    overlay_.Close();
    glXMakeCurrent(dpy_, None, nullptr);
    if (context_) glXDestroyContext(dpy_, context_);
    if (win_) XDestroyWindow(dpy_, win_);
    if (colormap_) XFreeColormap(dpy_, colormap_);
    XCloseDisplay(dpy_);
  }
  // The back buffer, bottom row first, RGB.
  std::vector<unsigned char> Pixels() {
    std::vector<unsigned char> p(kWidth * kHeight * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, p.data());
    return p;
  }
  static std::array<int, 3> At(const std::vector<unsigned char>& p, int x, int y) {
    const unsigned char* q = &p[(y * kWidth + x) * 3];
    return {q[0], q[1], q[2]};
  }

  Display* dpy_ = nullptr;
  ::Window win_ = 0;
  Colormap colormap_ = 0;
  GLXContext context_ = nullptr;
  FrameRateOverlay overlay_;
};

TEST_F(OverlayTest, TextOnADarkBoxInTheLowerLeftCornerAndTheScenesStateKept) {
  ASSERT_TRUE(overlay_.Open(dpy_));
  // State as the scene leaves it, plus a few things the overlay must not keep.
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glFrustum(-1, 1, -0.75, 0.75, 1, 100);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(0, 0, -13);
  // A clip plane that lets nothing through, and a polygon stipple of holes:
  // the overlay must draw whatever else is set.
  const GLdouble nothing[4] = {0.0, 0.0, 0.0, -1.0};
  glClipPlane(GL_CLIP_PLANE0, nothing);
  glEnable(GL_CLIP_PLANE0);
  GLubyte holes[128] = {};
  glPolygonStipple(holes);
  glEnable(GL_POLYGON_STIPPLE);
  glColor4ub(10, 20, 30, 255);
  glClearColor(0.5f, 0.5f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  GLfloat projectionBefore[16], modelviewBefore[16], colourBefore[4];
  glGetFloatv(GL_PROJECTION_MATRIX, projectionBefore);
  glGetFloatv(GL_MODELVIEW_MATRIX, modelviewBefore);
  glGetFloatv(GL_CURRENT_COLOR, colourBefore);

  overlay_.DrawText("FPS: 60.0\nLoad: 25.0%");
  const std::vector<unsigned char> p = Pixels();

  // White glyph pixels and darkened background inside the box; the box is
  // about 12 characters wide and two lines high, the rest untouched.
  int white = 0, dark = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 60; ++x) {
      const auto c = At(p, x, y);
      if (c[0] == 255 && c[1] == 255 && c[2] == 255) ++white;
      if (c[0] >= 45 && c[0] <= 58 && c[2] >= 96 && c[2] <= 108) ++dark;  // 40 % of (128, 128, 255)
    }
  EXPECT_GT(white, 60) << "glyphs";
  EXPECT_GT(dark, 300) << "box";
  for (auto xy : {std::array<int, 2>{150, 10}, {10, 60}, {160, 120}, {319, 239}}) {
    const auto c = At(p, xy[0], xy[1]);
    EXPECT_EQ(c, (std::array<int, 3>{128, 128, 255})) << xy[0] << "," << xy[1];
  }
  // Two lines: glyphs in the lower and in the upper half of the box.
  auto whiteInRows = [&](int from, int to) {
    int n = 0;
    for (int y = from; y < to; ++y)
      for (int x = 0; x < 80; ++x) n += At(p, x, y)[0] == 255 && At(p, x, y)[1] == 255;
    return n;
  };
  const int rows = whiteInRows(0, 40);
  ASSERT_GT(rows, 0);
  int splitY = 0, seen = 0;
  for (; splitY < 40 && seen * 2 < rows; ++splitY) seen += whiteInRows(splitY, splitY + 1);
  EXPECT_GT(whiteInRows(0, splitY - 3), rows / 5);
  EXPECT_GT(whiteInRows(splitY + 3, 40), rows / 5);

  // The scene's state is back.
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_CLIP_PLANE0));
  EXPECT_TRUE(glIsEnabled(GL_POLYGON_STIPPLE));
  GLint src = 0, dst = 0, mode = 0;
  glGetIntegerv(GL_BLEND_SRC, &src);
  glGetIntegerv(GL_BLEND_DST, &dst);
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(src, GL_SRC_ALPHA);
  EXPECT_EQ(dst, GL_ONE);
  EXPECT_EQ(mode, GL_MODELVIEW);
  GLfloat projection[16], modelview[16], colour[4];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  glGetFloatv(GL_CURRENT_COLOR, colour);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(projection[i], projectionBefore[i]) << i;
    EXPECT_EQ(modelview[i], modelviewBefore[i]) << i;
  }
  for (int i = 0; i < 4; ++i) EXPECT_EQ(colour[i], colourBefore[i]);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(OverlayTest, CountsFramesAndDrawsOnlyWhenOpen) {
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  overlay_.Draw();  // not open: nothing
  std::vector<unsigned char> p = Pixels();
  int lit = 0;
  for (unsigned char c : p) lit += c != 0;
  EXPECT_EQ(lit, 0);
  ASSERT_TRUE(overlay_.Open(dpy_));
  overlay_.Draw();
  p = Pixels();
  for (unsigned char c : p) lit += c == 255;
  EXPECT_GT(lit, 20) << "the first frames show the placeholder text";
  overlay_.Close();
  EXPECT_FALSE(overlay_.IsOpen());
  overlay_.Close();
}

}  // namespace
}  // namespace sorvane
