// The show's window and viewports over several monitors (see monitor_layout.h).

#include "monitor_layout.h"

#include <algorithm>

namespace sorvane {

MonitorLayout LayOutMonitors(const std::vector<ScreenArea>& Monitors) {
  std::vector<ScreenArea> kept;
  for (const ScreenArea& m : Monitors) {
    if (m.Width <= 0 || m.Height <= 0) continue;
    const bool mirror = std::any_of(kept.begin(), kept.end(), [&](const ScreenArea& k) {
      return k.X == m.X && k.Y == m.Y && k.Width == m.Width && k.Height == m.Height;
    });
    if (!mirror) kept.push_back(m);
  }
  MonitorLayout layout;
  if (kept.empty()) return layout;
  // 64-bit sums: coordinates from the system are not trusted to stay small.
  long long left = kept[0].X, top = kept[0].Y;
  long long right = left + kept[0].Width, bottom = top + kept[0].Height;
  for (const ScreenArea& m : kept) {
    left = std::min<long long>(left, m.X);
    top = std::min<long long>(top, m.Y);
    right = std::max<long long>(right, static_cast<long long>(m.X) + m.Width);
    bottom = std::max<long long>(bottom, static_cast<long long>(m.Y) + m.Height);
  }
  layout.Window = ScreenArea{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                             static_cast<int>(bottom - top)};
  for (const ScreenArea& m : kept) {
    SwarmViewport v;
    v.X = static_cast<int>(m.X - left);
    // OpenGL counts from the bottom: the monitor's lower edge above the window's.
    v.Y = static_cast<int>(bottom - (static_cast<long long>(m.Y) + m.Height));
    v.Width = m.Width;
    v.Height = m.Height;
    layout.Viewports.push_back(v);
  }
  return layout;
}

MonitorLayout LayOutMonitorsIn(const std::vector<ScreenArea>& Monitors, const ScreenArea& Window) {
  MonitorLayout layout = LayOutMonitors(Monitors);
  // Shift from the monitors' bounding box to the window: left edges and
  // bottom edges apart.
  const long long dx = static_cast<long long>(layout.Window.X) - Window.X;
  const long long dy = (static_cast<long long>(Window.Y) + Window.Height) -
                       (static_cast<long long>(layout.Window.Y) + layout.Window.Height);
  for (SwarmViewport& v : layout.Viewports) {
    v.X = static_cast<int>(v.X + dx);
    v.Y = static_cast<int>(v.Y + dy);
  }
  layout.Window = Window;
  return layout;
}

uint32_t SwarmSeed(uint32_t PrimarySeed, int Index) {
  // An odd multiplier spreads neighbouring indices over the seed space; the
  // result differs from the primary's seed for every Index of 1 and above.
  return PrimarySeed ^ (static_cast<uint32_t>(Index) * 0x9E3779B1u);
}

}  // namespace sorvane
