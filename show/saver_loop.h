// The show's time keeping, shared by the Windows and the Linux saver windows
// (saver_window_win32.cpp, saver_window_x11.cpp): the tilt sweep that the
// 100 ms timer drives, and the frame loop's pacing decision. Portable; draws
// nothing, owns no window and reads no clock of its own (times come in).
#pragma once

#include <chrono>
#include <cstdint>

namespace sorvane {

// One tick of the tilt sweep: Angle moves 0.2 degrees in the direction of
// TiltUp (a 16-bit boolean, -1 true), is pinned at 270 or 90 when it passes
// them (strictly) and then turns round.
void SweepTilt(float& TiltAngle, int16_t& TiltUp);

// True for a renderer string of a software rasteriser (Mesa's llvmpipe,
// softpipe and swrast; Windows' "GDI Generic"), compared without case.
bool IsSoftwareRenderer(const char* Renderer);

// What the system has said about the display and the power supply, as a
// show hears it (on Windows through its power notifications).
struct ShowPower {
  enum class Display : uint8_t { On, Off, Dimmed };
  Display DisplayState = Display::On;
  bool OnBattery = false;     // a battery or another short-term supply (a UPS)
  bool BatterySaver = false;  // the system's battery saver is on

  // While the display is off nothing is drawn; dimmed, the show goes on.
  bool Drawing() const { return DisplayState != Display::Off; }
  // On battery or with battery saver on the show draws half as often.
  bool Frugal() const { return OnBattery || BatterySaver; }
};

// What the pacing decision starts from.
struct PacingInputs {
  int RefreshHz = 0;              // the display's refresh rate; 0 when unknown
  bool SoftwareRenderer = false;  // IsSoftwareRenderer of the context's renderer
  bool Frugal = false;            // ShowPower::Frugal: 30 frames a second, as a software renderer has
  long DelayMicroseconds = -1;    // XScreenSaver's -delay between frames; -1 when not given
  bool Unpaced = false;           // measurements only: draw as fast as possible
};

// The decision: how many motion steps each drawn frame stands for, the swap
// interval to ask the display for, and whether the loop waits on a timer.
struct PacingPlan {
  int StepsPerFrame = 1;  // 1: every step drawn (60 frames a second); 2: 30 frames a second
  int SwapInterval = 1;   // refreshes per frame; 0: the swap does not wait
  bool TimerWaits = false;
};

// The one place where the frame loop's pacing is decided. The motion runs at
// 60 steps a second whatever the frame rate: each frame is told how many
// steps it stands for (the drawn one and any it missed). Frames are drawn
// every StepsPerFrame steps: on a display whose refresh is a multiple of
// 60 Hz the swap interval gives the rhythm; elsewhere, or where the swap
// interval is refused or does not hold (frames come faster than it would
// allow), the loop waits until the next frame's time, which the caller does
// on a precise timer.
//
// Use: Plan(inputs); ask the display for Current().SwapInterval and tell the
// result to SwapIntervalResult; Start(now); then each frame run
// StepsForFrame(now) steps (all but the last undrawn), present, and wait
// until FramePresented(now).
class FramePacer {
 public:
  using Clock = std::chrono::steady_clock;

  static constexpr Clock::duration kStepInterval = std::chrono::nanoseconds(16666667);  // 60 steps a second
  // A frame catches up on at most this many steps (half a second); beyond,
  // the time is dropped, so that a stalled machine does not freeze catching up.
  static constexpr int kMaxStepsPerFrame = 30;
  // Frames measured before deciding whether the swap interval holds.
  static constexpr int kCalibrationFrames = 30;

  // Makes the plan for Inputs and returns it.
  const PacingPlan& Plan(const PacingInputs& Inputs);

  // What the display answered to the request for Current().SwapInterval.
  void SwapIntervalResult(bool Accepted);

  // The motion's clock starts: the first frame stands for one step. Called
  // again after a pause (the display was off), it drops the time in between
  // instead of running it as missed steps.
  void Start(Clock::time_point Now);

  // The steps the frame about to be drawn stands for: at least one (the drawn
  // step), more when the frame is late, at most kMaxStepsPerFrame.
  int StepsForFrame(Clock::time_point Now);

  // Called after each presented frame; returns the time until which the loop
  // should wait (Now when it should not wait).
  Clock::time_point FramePresented(Clock::time_point Now);

  const PacingPlan& Current() const { return plan_; }
  Clock::duration FrameInterval() const { return kStepInterval * plan_.StepsPerFrame; }
  bool Unpaced() const { return unpaced_; }

 private:
  PacingPlan plan_;
  bool unpaced_ = false;
  bool calibrating_ = false;
  int frames_ = 0;
  Clock::time_point first_{};
  Clock::time_point deadline_{};
  Clock::time_point last_{};
  Clock::duration owed_{};  // motion time not yet run as steps
  bool started_ = false;
};

// Watches a show's frame loop from outside: benchmark programs hand one to the
// saver window; the shipped programs hand none and measure nothing.
class FrameObserver {
 public:
  virtual ~FrameObserver() = default;

  // True: no swap interval and no waits, frames as fast as they come.
  virtual bool Unpaced() const = 0;

  // After each presented frame (the first one also shown by the display):
  // Steps is what the frame stood for. True ends the show.
  virtual bool FramePresented(const FramePacer& Pacer, FramePacer::Clock::time_point Now, int Steps) = 0;
};

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
