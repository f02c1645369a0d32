// Frame figures for the show's benchmark programs (show_bench_x11.cpp,
// show_bench_win32.cpp): an observer of the frame loop that collects the
// intervals between presented frames and the steps they stood for, ends the
// show after a number of frames or seconds, and prints one line of figures.
// Portable; benchmarks only, never linked into the shipped programs.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "saver_loop.h"

namespace sorvane {

class FrameStats final : public FrameObserver {
 public:
  using Clock = FramePacer::Clock;

  // Frames: end after this many frames (0: no limit); Seconds: end after this
  // long (0: no limit). CpuSeconds: the process's CPU clock.
  FrameStats(bool Unpaced, long Frames, double Seconds, double (*CpuSeconds)())
      : unpaced_(Unpaced), frames_(Frames), seconds_(Seconds), cpu_(CpuSeconds) {}

  bool Unpaced() const override { return unpaced_; }

  // Called after the first frame is on the display.
  void (*FirstFrame)() = nullptr;

  bool FramePresented(const FramePacer& Pacer, Clock::time_point Now, int Steps) override {
    if (count_ == 0) {
      if (FirstFrame) FirstFrame();
      start_ = Now;
      startCpu_ = cpu_();
    } else {
      intervals_.push_back(std::chrono::duration<double, std::milli>(Now - last_).count());
      steps_ += Steps;  // the steps after the first frame, over the time measured
    }
    last_ = Now;
    ++count_;
    plan_ = Pacer.Current();
    const double elapsed = std::chrono::duration<double>(Now - start_).count();
    const bool done = (frames_ > 0 && count_ >= frames_) || (seconds_ > 0 && elapsed >= seconds_);
    if (done) Print(elapsed);
    return done;
  }

 private:
  void Print(double Elapsed) {
    const double cpu = cpu_() - startCpu_;
    std::vector<double> sorted = intervals_;
    std::sort(sorted.begin(), sorted.end());
    double mean = 0, spread = 0;
    for (double v : sorted) mean += v;
    if (!sorted.empty()) mean /= static_cast<double>(sorted.size());
    for (double v : sorted) spread += (v - mean) * (v - mean);
    if (sorted.size() > 1) spread = std::sqrt(spread / static_cast<double>(sorted.size() - 1));
    auto at = [&](double q) {
      return sorted.empty() ? 0.0 : sorted[static_cast<size_t>(q * static_cast<double>(sorted.size() - 1))];
    };
    const double seconds = Elapsed > 0 ? Elapsed : 1e-9;
    std::printf(
        "frames %ld seconds %.3f fps %.1f steps-per-second %.1f cpu-percent %.1f cpu-ms-per-frame %.3f "
        "interval-ms mean %.3f sd %.3f min %.3f p1 %.3f median %.3f p99 %.3f max %.3f "
        "plan steps-per-frame %d swap-interval %d timer %d\n",
        count_, seconds, static_cast<double>(count_ - 1) / seconds, static_cast<double>(steps_) / seconds,
        100.0 * cpu / seconds, count_ > 1 ? 1000.0 * cpu / static_cast<double>(count_ - 1) : 0.0, mean, spread,
        at(0), at(0.01), at(0.5), at(0.99), at(1), plan_.StepsPerFrame, plan_.SwapInterval, plan_.TimerWaits ? 1 : 0);
    std::fflush(stdout);
  }

  bool unpaced_;
  long frames_;
  double seconds_;
  double (*cpu_)();
  long count_ = 0;
  long steps_ = 0;
  Clock::time_point start_{}, last_{};
  double startCpu_ = 0;
  std::vector<double> intervals_;
  PacingPlan plan_;
};

}  // namespace sorvane
