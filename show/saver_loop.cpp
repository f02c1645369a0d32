// The tilt sweep and the frame loop's pacing decision (pairs with saver_loop.h).

#include "saver_loop.h"

#include <algorithm>
#include <cctype>
#include <string>

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

bool IsSoftwareRenderer(const char* Renderer) {
  if (!Renderer) return false;
  std::string lower;
  for (const char* p = Renderer; *p && lower.size() < 512; ++p)
    lower += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
  for (const char* name : {"llvmpipe", "softpipe", "swrast", "gdi generic"}) {
    if (lower.find(name) != std::string::npos) return true;
  }
  return false;
}

namespace {

// Refreshes of the display per 60 Hz step when its rate is a multiple of
// 60 Hz (59.94 and 119.88 Hz displays report 59 and 119); 0 otherwise.
int RefreshesPerStep(int RefreshHz) {
  if (RefreshHz <= 0) return 1;  // unknown: take the common 60 Hz and measure
  const int multiple = (RefreshHz + 30) / 60;
  if (multiple < 1 || multiple > 8) return 0;
  const int off = RefreshHz - multiple * 60;
  return (off >= -1 && off <= 1) ? multiple : 0;
}

}  // namespace

const PacingPlan& FramePacer::Plan(const PacingInputs& Inputs) {
  unpaced_ = Inputs.Unpaced;
  plan_ = PacingPlan{};
  int steps = Inputs.SoftwareRenderer || Inputs.Frugal ? 2 : 1;
  if (Inputs.DelayMicroseconds >= 0) {
    // A delay between frames is kept as a whole number of steps, so that every
    // frame moves the swarm by the same amount: the nearest, at least one.
    const long step = static_cast<long>(std::chrono::duration_cast<std::chrono::microseconds>(kStepInterval).count());
    const long wanted = std::min<long>((Inputs.DelayMicroseconds + step / 2) / step, kMaxStepsPerFrame);
    steps = std::max<int>(steps, static_cast<int>(wanted));
  }
  plan_.StepsPerFrame = steps;
  if (unpaced_) {
    plan_.SwapInterval = 0;
    plan_.TimerWaits = false;
    return plan_;
  }
  const int perStep = RefreshesPerStep(Inputs.RefreshHz);
  if (perStep > 0) {
    plan_.SwapInterval = perStep * steps;
    plan_.TimerWaits = false;
  } else {
    // 75, 144 Hz...: a swap interval would round frames to the refresh and make
    // them uneven; a timer keeps them even.
    plan_.SwapInterval = 0;
    plan_.TimerWaits = true;
  }
  calibrating_ = false;
  return plan_;
}

void FramePacer::SwapIntervalResult(bool Accepted) {
  frames_ = 0;
  calibrating_ = false;
  if (unpaced_ || plan_.SwapInterval == 0) return;
  if (Accepted) {
    calibrating_ = true;  // accepted; whether it holds shows in the first frames
  } else {
    plan_.SwapInterval = 0;
    plan_.TimerWaits = true;
  }
}

void FramePacer::Start(Clock::time_point Now) {
  started_ = true;
  last_ = Now;
  owed_ = kStepInterval;  // the first frame stands for one step
  deadline_ = Now;
  frames_ = 0;
}

int FramePacer::StepsForFrame(Clock::time_point Now) {
  if (!started_) Start(Now);
  if (Now > last_) owed_ += Now - last_;
  last_ = Now;
  // Whole steps owed, to the nearest: frames that come a little early or late
  // around their time (jitter) still stand for their usual count.
  long long steps = (owed_ + kStepInterval / 2) / kStepInterval;
  if (steps > kMaxStepsPerFrame) {
    owed_ = Clock::duration::zero();  // a stall: the rest of the time is dropped
    return kMaxStepsPerFrame;
  }
  if (steps < 1) steps = 1;  // a drawn frame always moves on
  owed_ -= kStepInterval * steps;
  // Frames faster than the motion (unpaced measurements) do not build up a debt.
  if (owed_ < -kStepInterval / 2) owed_ = -kStepInterval / 2;
  return static_cast<int>(steps);
}

FramePacer::Clock::time_point FramePacer::FramePresented(Clock::time_point Now) {
  if (unpaced_) return Now;
  if (calibrating_) {
    // A swap interval that holds gives at most one frame per SwapInterval
    // refreshes; frames far faster mean the display does not wait (virtual X
    // servers, drivers that ignore the request). Measured over and over: a
    // renderer slowed down for a while looks like a display that waits.
    if (frames_ == 0) first_ = Now;
    if (++frames_ <= kCalibrationFrames) return Now;
    const auto mean = (Now - first_) / kCalibrationFrames;
    frames_ = 0;
    if (mean >= FrameInterval() * 4 / 5) return Now;
    calibrating_ = false;
    plan_.TimerWaits = true;
    deadline_ = Now;
  }
  if (!plan_.TimerWaits) return Now;
  deadline_ += FrameInterval();
  // After a slow frame, start afresh rather than race to catch up: the steps
  // it missed are run undrawn.
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
