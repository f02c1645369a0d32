// Clocks for the benchmark programs: CPU time of the process and wall-clock
// time comparable between processes. POSIX only.
#pragma once

#include <ctime>

namespace sorvane {

// CPU time used by this process so far, in seconds.
inline double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Wall-clock time in nanoseconds, comparable between processes.
inline long long RealTimeNanoseconds() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

}  // namespace sorvane
