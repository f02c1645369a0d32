// The tilt sweep and the frame pacing of the show (pairs with saver_loop.h).

#include "saver_loop.h"

#include <cstdlib>

namespace sorvane {

void SweepTilt(float& TiltAngle, int16_t& TiltUp) {
  // The sum is formed in extended precision from the single-precision angle
  // and the double constant, then rounded to single when stored.
  const long double step = static_cast<long double>(0.2);
  if (TiltUp) {
    TiltAngle = static_cast<float>(static_cast<long double>(TiltAngle) + step);
    if (TiltAngle > 270.0f) {
      TiltAngle = 270.0f;
      TiltUp = 0;
    }
  } else {
    TiltAngle = static_cast<float>(static_cast<long double>(TiltAngle) - step);
    if (TiltAngle < 90.0f) {
      TiltAngle = 90.0f;
      TiltUp = -1;
    }
  }
}

bool PacingWanted() {
  const char* off = std::getenv("SORVANE_NO_PACING");
  return !(off && off[0] == '1');
}

void FramePacer::SetSwapIntervalAccepted(bool Accepted) {
  vsync_ = Accepted;
  calibrated_ = !Accepted;
  frames_ = 0;
}

FramePacer::Clock::time_point FramePacer::FramePresented(Clock::time_point Now) {
  if (!enabled_) return Now;
  if (!calibrated_) {
    // A swap interval that holds gives at most about one frame per refresh;
    // far faster frames mean the display does not wait (virtual X servers).
    if (frames_ == 0) first_ = Now;
    if (++frames_ <= kCalibrationFrames) return Now;
    calibrated_ = true;
    const auto mean = (Now - first_) / kCalibrationFrames;
    if (mean >= kFrameInterval * 4 / 5) return Now;
    vsync_ = false;
    deadline_ = Now;
  }
  if (vsync_) return Now;
  deadline_ += kFrameInterval;
  // After a stall, start afresh rather than race to catch up.
  if (deadline_ < Now) deadline_ = Now;
  return deadline_;
}

bool TickTimer::TickDue(Clock::time_point Now) {
  if (Now < due_) return false;
  due_ += kInterval;
  // A long stall (a suspended process) does not turn into hundreds of ticks.
  if (Now - due_ > kInterval * 5) due_ = Now + kInterval;
  return true;
}

}  // namespace sorvane
