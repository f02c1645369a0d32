// Where the show's swarms go when the display has several monitors: the
// show's one window covers the bounding box of all monitors (the virtual
// screen), and each monitor gets a viewport of its own inside it. Portable
// arithmetic only; the platform files ask the system for the monitors
// (saver_window_win32.cpp, saver_window_x11.cpp) and swarms.h draws.
#pragma once

#include <cstdint>
#include <vector>

namespace sorvane {

// A rectangle of the virtual screen in pixels, y growing downwards. Windows
// puts the primary monitor's corner at (0, 0), so monitors left of or above
// it have negative coordinates.
struct ScreenArea {
  int X = 0, Y = 0;
  int Width = 0, Height = 0;
};

// A viewport in the window's OpenGL coordinates: from its bottom-left corner,
// y growing upwards.
struct SwarmViewport {
  int X = 0, Y = 0;
  int Width = 0, Height = 0;
};

struct MonitorLayout {
  ScreenArea Window;                     // the show's window: the bounding box of the monitors
  std::vector<SwarmViewport> Viewports;  // one per monitor, the primary's first
};

// Monitors: the primary first. Empty monitors and mirrors (a monitor with the
// same rectangle as one before it) are left out. No monitors at all gives an
// empty layout.
MonitorLayout LayOutMonitors(const std::vector<ScreenArea>& Monitors);

// The same layout drawn into a window that is already there over Window (the
// root window, which may reach beyond the monitors): the viewports count from
// Window's bottom-left corner, and the layout's Window is Window.
MonitorLayout LayOutMonitorsIn(const std::vector<ScreenArea>& Monitors, const ScreenArea& Window);

// The seed of the swarm on further monitor Index (1, 2, ...) from the primary
// swarm's seed: each monitor its own colours, the primary's sequence untouched.
uint32_t SwarmSeed(uint32_t PrimarySeed, int Index);

}  // namespace sorvane
