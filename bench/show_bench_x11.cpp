// The Linux show built for measurement: the same saver window as `sorvane`,
// with an observer of its frame loop (frame_stats.h). Pairs with
// scripts/bench-show.sh. Environment (read here only, never by `sorvane`):
//   SORVANE_NO_PACING=1          no swap interval, no waits
//   SORVANE_BENCH_FRAMES=N       end after N frames
//   SORVANE_BENCH_SECONDS=S      end after S seconds
//   SORVANE_BENCH_FIRST_FRAME=1  print the wall-clock time of the first frame
// Arguments: --image PATH (empty: a built-in photograph; a folder), --delay
// MICROSECONDS, --change-every SECONDS.

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "frame_stats.h"
#include "process_clock_posix.h"
#include "saver_window_x11.h"
#include "settings_file.h"

namespace {

bool EnvironmentSays(const char* Name) {
  const char* v = std::getenv(Name);
  return v && v[0] == '1';
}

double EnvironmentNumber(const char* Name) {
  const char* v = std::getenv(Name);
  return v ? std::strtod(v, nullptr) : 0.0;
}

void PrintFirstFrame() {
  std::printf("first-frame-realtime-ns %lld\n", sorvane::RealTimeNanoseconds());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  sorvane::SettingsRecord settings;
  settings.StarCount = 30;
  settings.StarSize = 12.0f;
  long delay = -1, change = -1;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--image") == 0) settings.PicturePath = argv[i + 1];
    if (std::strcmp(argv[i], "--delay") == 0) delay = std::strtol(argv[i + 1], nullptr, 10);
    if (std::strcmp(argv[i], "--change-every") == 0) change = std::strtol(argv[i + 1], nullptr, 10);
  }
  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) return 1;
  sorvane::FrameStats stats(EnvironmentSays("SORVANE_NO_PACING"),
                            static_cast<long>(EnvironmentNumber("SORVANE_BENCH_FRAMES")),
                            EnvironmentNumber("SORVANE_BENCH_SECONDS"), sorvane::CpuSeconds);
  if (EnvironmentSays("SORVANE_BENCH_FIRST_FRAME")) stats.FirstFrame = PrintFirstFrame;
  int status = 0;
  {
    sorvane::Sorvane_S show(dpy, settings, false);
    if (delay >= 0) show.SetFrameDelay(delay);
    if (change >= 0) show.SetChangeSeconds(change);
    show.Observe(&stats);
    status = show.RunOwnWindow();
  }
  XCloseDisplay(dpy);
  return status;
}
