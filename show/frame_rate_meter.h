// The numbers of the -fps overlay: frames per second and the load (the
// process's CPU time as a share of the time passed, as top shows it), worked
// out once a second from the frames drawn. Portable and clock-free: the caller
// passes the wall-clock and CPU seconds. Pairs with frame_rate_meter.cpp; the
// drawing is frame_rate_overlay_x11.h.
#pragma once

#include <string>

namespace sorvane {

class FrameRateMeter {
 public:
  // How often the numbers are worked out again.
  static constexpr double kUpdateSeconds = 1.0;

  // Starts counting at the given clocks (seconds).
  void Start(double WallSeconds, double CpuSeconds);

  // Counts one drawn frame; true when the text changed.
  bool FrameDrawn(double WallSeconds, double CpuSeconds);

  // Two lines, "FPS: 59.9" and "Load: 12.3%", with a "." whatever the
  // locale; "FPS: -" and "Load: -" until the first second has passed.
  const std::string& Text() const { return text_; }

 private:
  double wall_ = 0, cpu_ = 0;
  long frames_ = 0;
  std::string text_ = "FPS: -\nLoad: -";
};

// Value with one decimal, rounded, always with a "." (negative values give 0.0).
std::string OneDecimal(double Value);

}  // namespace sorvane
