// The frame loop's waitable timer on Windows (see frame_timer_win32.h).

#include "frame_timer_win32.h"

#include <mmsystem.h>

#include <chrono>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace sorvane {

void FrameTimer::Create() {
  Release();
  timer_ = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
  highResolution_ = timer_ != nullptr;
  if (!timer_) {
    timer_ = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
    periodSet_ = timeBeginPeriod(1) == TIMERR_NOERROR;
  }
}

void FrameTimer::WaitUntil(FramePacer::Clock::time_point Until) {
  const auto now = FramePacer::Clock::now();
  if (Until <= now) return;
  const long long hundredNs = std::chrono::duration_cast<std::chrono::nanoseconds>(Until - now).count() / 100;
  LARGE_INTEGER due{};
  due.QuadPart = -hundredNs;  // negative: relative to now
  if (timer_ && SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE)) {
    WaitForSingleObject(timer_, 1000);
  } else {
    Sleep(static_cast<DWORD>(hundredNs / 10000));
  }
}

void FrameTimer::Release() {
  if (timer_) CloseHandle(timer_);
  timer_ = nullptr;
  highResolution_ = false;
  if (periodSet_) timeEndPeriod(1);
  periodSet_ = false;
}

}  // namespace sorvane
