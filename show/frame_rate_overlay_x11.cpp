// The -fps overlay (see frame_rate_overlay_x11.h): glXUseXFont turns the
// printable ASCII glyphs of "fixed" into display lists of glBitmap calls.

#include "frame_rate_overlay_x11.h"

#include <GL/gl.h>
#include <GL/glx.h>

#include <algorithm>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <vector>

namespace sorvane {
namespace {

constexpr int kFirstChar = 32;  // ' '
constexpr int kCharCount = 95;  // ' ' to '~'
constexpr int kMargin = 4;      // pixels around the text inside its box

// The CPU time of the whole process (all its threads, the renderer's too).
double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

bool FrameRateOverlay::Open(Display* Connection) {
  Close();
  XFontStruct* font = nullptr;
  for (const char* name : {"fixed", "6x13", "-*-fixed-medium-r-*-*-13-*-*-*-*-*-iso8859-1", "-*-*-medium-r-*-*-*-*-*-*-m-*-*-*"}) {
    font = XLoadQueryFont(Connection, name);
    if (font) break;
  }
  if (!font) {
    std::fprintf(stderr, "sorvane: the X server offers no fixed font; the frame rate is not shown\n");
    return false;
  }
  const GLuint base = glGenLists(kCharCount);
  if (base == 0) {
    XFreeFont(Connection, font);
    return false;
  }
  charWidth_ = font->max_bounds.width;
  // Mesa reports running out of memory for a glyph without pixels in a
  // display list, so the blank is one unset pixel and an advance.
  glXUseXFont(font->fid, kFirstChar + 1, kCharCount - 1, static_cast<int>(base + 1));
  glNewList(base, GL_COMPILE);
  static const GLubyte kNoPixel[4] = {0, 0, 0, 0};
  glBitmap(1, 1, 0.0f, 0.0f, static_cast<GLfloat>(charWidth_), 0.0f, kNoPixel);
  glEndList();
  ascent_ = font->ascent;
  descent_ = font->descent;
  XFreeFont(Connection, font);
  listBase_ = base;
  meter_.Start(WallSeconds(), CpuSeconds());
  return true;
}

void FrameRateOverlay::Draw() {
  if (!listBase_) return;
  meter_.FrameDrawn(WallSeconds(), CpuSeconds());
  DrawText(meter_.Text());
}

void FrameRateOverlay::DrawText(const std::string& Text) {
  if (!listBase_) return;
  std::vector<std::string> lines(1);
  size_t longest = 0;
  for (char c : Text) {
    if (c == '\n') {
      lines.emplace_back();
    } else if (c >= kFirstChar && c < kFirstChar + kCharCount) {
      lines.back().push_back(c);
    }
  }
  for (const std::string& line : lines) longest = std::max(longest, line.size());
  const int lineHeight = ascent_ + descent_;

  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);

  // Everything the scene set that is changed here comes back with the pops.
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT | GL_LIST_BIT | GL_TRANSFORM_BIT |
               GL_DEPTH_BUFFER_BIT | GL_POLYGON_BIT | GL_TEXTURE_BIT);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, viewport[2], 0.0, viewport[3], -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();

  // Flat, untextured, unlit, on top of everything.
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
  glDisable(GL_FOG);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_STENCIL_TEST);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_COLOR_LOGIC_OP);
  glDisable(GL_DITHER);
  glDisable(GL_POLYGON_STIPPLE);
  glDisable(GL_POLYGON_OFFSET_FILL);
  for (int plane = 0; plane < 6; ++plane) glDisable(GL_CLIP_PLANE0 + plane);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

  // The dark box behind the text keeps it readable over bright squares.
  const int boxWidth = static_cast<int>(longest) * charWidth_ + 2 * kMargin;
  const int boxHeight = static_cast<int>(lines.size()) * lineHeight + 2 * kMargin;
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(0.0f, 0.0f, 0.0f, 0.6f);
  glRecti(0, 0, boxWidth, boxHeight);
  glDisable(GL_BLEND);

  // The colour is taken when the raster position is set.
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glListBase(listBase_ - kFirstChar);
  for (size_t i = 0; i < lines.size(); ++i) {
    const int baseline = kMargin + descent_ + static_cast<int>(lines.size() - 1 - i) * lineHeight;
    glRasterPos2i(kMargin, baseline);
    glCallLists(static_cast<GLsizei>(lines[i].size()), GL_UNSIGNED_BYTE, lines[i].data());
  }

  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glPopAttrib();
}

void FrameRateOverlay::Close() {
  if (listBase_) glDeleteLists(listBase_, kCharCount);
  listBase_ = 0;
}

}  // namespace sorvane
