// The Windows show built for measurement: the same saver window as
// Sorvane.scr, with an observer of its frame loop (frame_stats.h), run under
// Wine by scripts/bench-show.sh. A console program, so that its figures reach
// standard output; it leaves the system's screen-saver flags and the cursor
// alone. Environment (read here only, never by Sorvane.scr):
//   SORVANE_NO_PACING=1      no swap interval, no waits
//   SORVANE_BENCH_FRAMES=N   end after N frames
//   SORVANE_BENCH_SECONDS=S  end after S seconds
// With the argument --timer it draws nothing: it runs the frame loop's waits
// alone (a 60-frames-a-second plan that waits itself, 4 ms of work a frame)
// on the frame timer and on plain Sleep, and prints the spread of the
// intervals of each. With --power [SECONDS] (default 10) the show runs paced
// for SECONDS each with the display on, on battery, and with the display off,
// told so through the show's own power notifications, and prints the CPU,
// frames and steps a second of each.

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "frame_stats.h"
#include "frame_timer_win32.h"
#include "saver_window_win32.h"
#include "settings_file.h"
#include "startup_win32.h"

namespace {

// The show's system calls, left out: a measurement changes no system state.
class NoSystemCalls final : public sorvane::ShowSystemCalls {
 public:
  void ShowCursor(bool) override {}
  void AllowSystemKeys(bool) override {}
  void SwitchScreenSavingOn() override {}
};

double EnvironmentNumber(const char* Name) {
  const char* v = std::getenv(Name);
  return v ? std::strtod(v, nullptr) : 0.0;
}

// CPU time of this process (all threads), in seconds.
double ProcessCpuSeconds() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0.0;
  auto seconds = [](const FILETIME& t) {
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

using Clock = sorvane::FramePacer::Clock;

// Frame intervals of a 144 Hz plan (the loop waits itself, one step a frame)
// over Frames frames of 4 ms work, waiting with Wait.
template <class Wait>
std::vector<double> PacedIntervals(int Frames, Wait WaitUntil) {
  sorvane::FramePacer pacer;
  sorvane::PacingInputs inputs;
  inputs.RefreshHz = 144;
  pacer.Plan(inputs);
  pacer.SwapIntervalResult(false);
  auto now = Clock::now();
  pacer.Start(now);
  std::vector<double> intervals;
  auto previous = now;
  for (int i = 0; i < Frames; ++i) {
    pacer.StepsForFrame(Clock::now());
    const auto busy = Clock::now() + std::chrono::milliseconds(4);
    while (Clock::now() < busy) {
    }
    WaitUntil(pacer.FramePresented(Clock::now()));
    now = Clock::now();
    if (i > 0) intervals.push_back(std::chrono::duration<double, std::milli>(now - previous).count());
    previous = now;
  }
  return intervals;
}

void PrintSpread(const char* Label, std::vector<double> Intervals) {
  std::sort(Intervals.begin(), Intervals.end());
  double mean = 0, sd = 0;
  for (double v : Intervals) mean += v;
  mean /= static_cast<double>(Intervals.size());
  for (double v : Intervals) sd += (v - mean) * (v - mean);
  sd = std::sqrt(sd / static_cast<double>(Intervals.size() - 1));
  auto at = [&](double q) { return Intervals[static_cast<size_t>(q * static_cast<double>(Intervals.size() - 1))]; };
  std::printf("%s interval-ms mean %.3f sd %.3f min %.3f p1 %.3f median %.3f p99 %.3f max %.3f\n", Label, mean, sd,
              at(0), at(0.01), at(0.5), at(0.99), at(1));
}

int TimerOnly() {
  constexpr int kFrames = 600;
  sorvane::FrameTimer timer;
  timer.Create();
  std::printf("frame timer: high resolution %d, system timer set to 1 ms %d\n", timer.HighResolution() ? 1 : 0,
              timer.PeriodSet() ? 1 : 0);
  PrintSpread("waitable timer:", PacedIntervals(kFrames, [&](Clock::time_point until) { timer.WaitUntil(until); }));
  timer.Release();
  PrintSpread("plain Sleep:   ", PacedIntervals(kFrames, [](Clock::time_point until) {
                const auto left = until - Clock::now();
                if (left > Clock::duration::zero())
                  Sleep(static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(left).count()));
              }));
  std::fflush(stdout);
  return 0;
}

// Counts frames and steps for the power phases; never ends the show itself.
class PowerPhases final : public sorvane::FrameObserver {
 public:
  bool Unpaced() const override { return false; }
  bool FramePresented(const sorvane::FramePacer&, sorvane::FramePacer::Clock::time_point, int Steps) override {
    frames.fetch_add(1);
    steps.fetch_add(Steps);
    return false;
  }
  std::atomic<long> frames{0};
  std::atomic<long> steps{0};
};

// Tells the show's window that Setting now has Value, as the system would.
void TellPower(HWND Window, const GUID& Setting, DWORD Value) {
  struct {
    POWERBROADCAST_SETTING Header;
    BYTE Rest[sizeof(DWORD)];
  } message{};
  message.Header.PowerSetting = Setting;
  message.Header.DataLength = sizeof Value;
  std::memcpy(message.Header.Data, &Value, sizeof Value);
  SendMessageW(Window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&message));
}

// The phases, run from a thread of their own while the show's loop runs.
void RunPowerPhases(HWND Window, PowerPhases& Counts, double Seconds) {
  struct Phase {
    const char* Name;
    const GUID* Setting;
    DWORD Value;
  };
  const Phase phases[] = {{"display on", &sorvane::kConsoleDisplayState, 1},
                          {"on battery", &sorvane::kAcDcPowerSource, 1},
                          {"display off", &sorvane::kConsoleDisplayState, 0}};
  Sleep(2000);  // the start and the first frames are not measured
  for (const Phase& phase : phases) {
    TellPower(Window, *phase.Setting, phase.Value);
    Sleep(500);
    const long frames = Counts.frames.load(), steps = Counts.steps.load();
    const double cpu = ProcessCpuSeconds();
    const auto began = Clock::now();
    Sleep(static_cast<DWORD>(Seconds * 1000));
    const double elapsed = std::chrono::duration<double>(Clock::now() - began).count();
    std::printf("%-12s cpu-percent %6.2f fps %5.1f steps-per-second %5.1f\n", phase.Name,
                100.0 * (ProcessCpuSeconds() - cpu) / elapsed, (Counts.frames.load() - frames) / elapsed,
                (Counts.steps.load() - steps) / elapsed);
    std::fflush(stdout);
  }
  PostMessageW(Window, WM_KEYDOWN, VK_SPACE, 0);  // a key ends the show, display off or not
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--timer") == 0) return TimerOnly();
  if (argc > 1 && std::strcmp(argv[1], "--power") == 0) {
    const double seconds = argc > 2 && std::atof(argv[2]) > 0 ? std::atof(argv[2]) : 10.0;
    sorvane::SettingsRecord settings;
    settings.StarCount = 30;
    settings.StarSize = 12.0f;
    static NoSystemCalls calls;
    static PowerPhases counts;
    static sorvane::Sorvane_S show(settings, '\0', calls);
    show.Observe(&counts);
    if (!show.Create()) return 1;
    std::thread(RunPowerPhases, show.Window(), std::ref(counts), seconds).detach();
    show.Form_Load();  // ends the program
  }
  sorvane::SettingsRecord settings;
  settings.StarCount = 30;
  settings.StarSize = 12.0f;
  const char* pacing = std::getenv("SORVANE_NO_PACING");
  static sorvane::FrameStats stats(pacing && pacing[0] == '1',
                                   static_cast<long>(EnvironmentNumber("SORVANE_BENCH_FRAMES")),
                                   EnvironmentNumber("SORVANE_BENCH_SECONDS"), ProcessCpuSeconds);
  static NoSystemCalls calls;
  static sorvane::Sorvane_S show(settings, '\0', calls);
  show.Observe(&stats);
  show.Load();  // ends the program
}
