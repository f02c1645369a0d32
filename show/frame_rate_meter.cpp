// Frames per second and load for the -fps overlay (see frame_rate_meter.h).

#include "frame_rate_meter.h"

#include <cmath>

namespace sorvane {

std::string OneDecimal(double Value) {
  if (!(Value > 0)) return "0.0";
  if (Value > 1e9) Value = 1e9;
  const long long tenths = std::llround(Value * 10.0);
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

void FrameRateMeter::Start(double WallSeconds, double CpuSeconds) {
  wall_ = WallSeconds;
  cpu_ = CpuSeconds;
  frames_ = 0;
}

bool FrameRateMeter::FrameDrawn(double WallSeconds, double CpuSeconds) {
  ++frames_;
  const double passed = WallSeconds - wall_;
  if (passed < kUpdateSeconds) return false;
  const double fps = frames_ / passed;
  const double load = 100.0 * (CpuSeconds - cpu_) / passed;
  text_ = "FPS: " + OneDecimal(fps) + "\nLoad: " + OneDecimal(load) + "%";
  Start(WallSeconds, CpuSeconds);
  return true;
}

}  // namespace sorvane
