// The timer the Windows show's frame loop waits on between frames, where the
// pacing decision (saver_loop.h) says the loop waits itself. Pairs with
// frame_timer_win32.cpp; used by saver_window_win32.cpp. The Linux show
// sleeps on the monotonic clock instead, which is precise there.
#pragma once

#include <windows.h>

#include "saver_loop.h"

namespace sorvane {

class FrameTimer {
 public:
  FrameTimer() = default;
  FrameTimer(const FrameTimer&) = delete;
  FrameTimer& operator=(const FrameTimer&) = delete;
  ~FrameTimer() { Release(); }

  // Makes a high-resolution waitable timer; where the system refuses that
  // kind (before Windows 10 1803), an ordinary one, with the system timer set
  // to 1 ms until Release (the default 15.6 ms would scatter the frames).
  void Create();

  // Waits until Until (at once when it has passed). Without a timer, sleeps.
  void WaitUntil(FramePacer::Clock::time_point Until);

  // Closes the timer and gives the system timer its period back.
  void Release();

  bool HighResolution() const { return highResolution_; }
  bool PeriodSet() const { return periodSet_; }

 private:
  HANDLE timer_ = nullptr;
  bool highResolution_ = false;
  bool periodSet_ = false;  // timeBeginPeriod(1) in force
};

}  // namespace sorvane
