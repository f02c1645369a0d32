// The Windows show built for measurement: the same saver window as
// Sorvane.scr, with an observer of its frame loop (frame_stats.h), run under
// Wine by scripts/bench-show.sh. A console program, so that its figures reach
// standard output; it leaves the system's screen-saver flags and the cursor
// alone. Environment (read here only, never by Sorvane.scr):
//   SORVANE_NO_PACING=1      no swap interval, no waits
//   SORVANE_BENCH_FRAMES=N   end after N frames
//   SORVANE_BENCH_SECONDS=S  end after S seconds

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "frame_stats.h"
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

}  // namespace

int main() {
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
