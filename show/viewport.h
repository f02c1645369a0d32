// The show's viewport and projection for a client area. Portable OpenGL + GLU;
// used by both rendering contexts (render_context_win32.h, render_context_x11.h),
// implemented in viewport.cpp. Makes no context of its own.
#pragma once

#include <cstdint>

namespace sorvane {

// With a context current: viewport (0, 0, Width, Height) and a 45-degree
// perspective with aspect Width / Height (double), near 0.1, far 100; the
// model-view matrix is left as the identity. A Height of 0 is taken as 1.
void ResizeViewport(int32_t Width, int32_t Height);

// With a context current: the viewport (X, Y, Width, Height), from the
// window's bottom-left corner, the scissor test on that same rectangle (a
// clear then stays inside it), and the projection as above for its aspect.
void MonitorViewport(int32_t X, int32_t Y, int32_t Width, int32_t Height);

}  // namespace sorvane
