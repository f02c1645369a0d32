// The show's time keeping, shared by the Windows and the Linux saver windows
// (saver_window_win32.cpp, saver_window_x11.cpp): the tilt sweep that the
// 100 ms timer drives, and the pacing of the frame loop. Portable; draws
// nothing and owns no window.
#pragma once

#include <chrono>
#include <cstdint>

namespace sorvane {

// One tick of the tilt sweep: Angle moves 0.2 degrees in the direction of
// TiltUp (a 16-bit boolean, -1 true), is pinned at 270 or 90 when it passes
// them (strictly) and then turns round.
void SweepTilt(float& TiltAngle, int16_t& TiltUp);

// Paces the frame loop. The show asks the display for a swap interval of 1;
// when that is unavailable or not effective (frames keep coming faster than a
// display would give them), the loop sleeps until the next 1/60 s deadline.
// The motion stays a fixed step per frame.
class FramePacer {
 public:
  using Clock = std::chrono::steady_clock;

  // Enabled false switches pacing off (for measurements only).
  explicit FramePacer(bool Enabled = true) : enabled_(Enabled) {}

  // Tells the pacer whether the swap interval of 1 was accepted.
  void SetSwapIntervalAccepted(bool Accepted);

  // Called after each presented frame; returns the time until which the
  // loop should sleep (Now when it should not sleep).
  Clock::time_point FramePresented(Clock::time_point Now);

  // False when pacing was switched off (measurements only).
  bool Enabled() const { return enabled_; }

  // True while frames are paced by sleeping.
  bool Sleeping() const { return enabled_ && !vsync_; }

  static constexpr Clock::duration kFrameInterval = std::chrono::microseconds(16667);
  // Frames measured before deciding whether the swap interval holds.
  static constexpr int kCalibrationFrames = 30;

 private:
  bool enabled_;
  bool vsync_ = false;
  bool calibrated_ = true;
  int frames_ = 0;
  Clock::time_point first_{};
  Clock::time_point deadline_{};
};

// False when SORVANE_NO_PACING=1 asks for an unpaced loop; only benchmarks
// set it.
bool PacingWanted();

// The 100 ms timer of the Linux show, read between frames: true when a tick
// is due, Due then moves on by one interval (several overdue ticks are given
// one by one; a long stall gives at most a handful).
class TickTimer {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration kInterval = std::chrono::milliseconds(100);

  void Start(Clock::time_point Now) { due_ = Now + kInterval; }
  bool TickDue(Clock::time_point Now);

 private:
  Clock::time_point due_{};
};

}  // namespace sorvane
