// The show's viewport and 45-degree projection (see viewport.h). Portable
// OpenGL + GLU; knows nothing of windows.

#include "viewport.h"

#if defined(_WIN32)
#include <windows.h>
#endif
#include <GL/gl.h>
#include <GL/glu.h>

namespace sorvane {

namespace {

// Viewport at (X, Y) and the projection for its aspect.
void SetViewportAndProjection(int32_t X, int32_t Y, int32_t Width, int32_t Height) {
  if (Height == 0) Height = 1;  // no division by zero
  glViewport(X, Y, Width, Height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, static_cast<double>(Width) / static_cast<double>(Height), 0.1, 100.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

}  // namespace

// Sets viewport and projection for a Width x Height client area.
void ResizeViewport(int32_t Width, int32_t Height) { SetViewportAndProjection(0, 0, Width, Height); }

// One monitor's part of a window over several monitors.
void MonitorViewport(int32_t X, int32_t Y, int32_t Width, int32_t Height) {
  glEnable(GL_SCISSOR_TEST);
  glScissor(X, Y, Width, Height > 0 ? Height : 1);
  SetViewportAndProjection(X, Y, Width, Height);
}

}  // namespace sorvane
