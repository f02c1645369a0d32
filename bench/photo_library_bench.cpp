// Benchmark of the photo library's walk: 100,000 files in nested folders,
// made at run time under /tmp and removed afterwards, walked a few times.
// Prints the time, the CPU time, the peak memory rise and the bytes of the
// list of paths, and the pick of one file with the history. Figures only,
// no pass or fail. Linux only (reads /proc/self/status).

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "photo_library.h"
#include "process_clock_posix.h"

namespace {

// A figure from /proc/self/status, in kB.
long StatusKb(const char* Key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string key = std::string(Key) + ":";
  while (std::getline(status, line)) {
    if (line.compare(0, key.size(), key) == 0) return std::atol(line.c_str() + key.size());
  }
  return -1;
}

// 10 years x 10 trips x 10 days x 100 photographs, named as cameras do.
void MakeTree(const std::string& Root) {
  char name[96];
  for (int year = 0; year < 10; ++year) {
    for (int trip = 0; trip < 10; ++trip) {
      for (int day = 0; day < 10; ++day) {
        std::snprintf(name, sizeof name, "%s/%d/%d-%02d trip/day %02d", Root.c_str(), 2015 + year, 2015 + year,
                      trip + 1, day + 1);
        std::filesystem::create_directories(name);
        const std::string folder = name;
        for (int photo = 0; photo < 100; ++photo) {
          std::snprintf(name, sizeof name, "/IMG_%d%02d%02d_%04d.jpg", 2015 + year, trip + 1, day + 1, photo);
          const int fd = open((folder + name).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
          if (fd >= 0) close(fd);
        }
      }
    }
  }
}

}  // namespace

int main() {
  char root[] = "/tmp/sorvane-walk-bench.XXXXXX";
  if (!mkdtemp(root)) {
    std::perror("mkdtemp");
    return 1;
  }
  std::printf("making 100,000 empty files in 1,000 nested folders under %s ...\n", root);
  MakeTree(root);
  char cache[] = "/tmp/sorvane-walk-cache.XXXXXX";
  if (mkdtemp(cache)) setenv("XDG_CACHE_HOME", cache, 1);

  for (int run = 1; run <= 3; ++run) {
    // Peak resident memory is measured from here (writing 5 resets it).
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = StatusKb("VmRSS");
    const double cpu0 = sorvane::CpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    sorvane::PhotoLibrary library;
    const bool ok = library.Walk(root);
    const auto t1 = std::chrono::steady_clock::now();
    const double cpu = sorvane::CpuSeconds() - cpu0;
    const long peak = StatusKb("VmHWM");
    const double ms = std::chrono::duration<double, std::milli>(t1 - t0).count();

    sorvane::ShowRandom random(static_cast<uint32_t>(run));
    const auto p0 = std::chrono::steady_clock::now();
    sorvane::PhotoHistory history;
    const std::string historyFile = sorvane::PhotoHistoryFile();
    history.Load(historyFile);
    const long pick = sorvane::PickFromLibrary(library, history, {}, random);
    history.Shown(library.PathAt(static_cast<size_t>(pick)));
    history.Save(historyFile);
    const double pickMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - p0).count();

    std::printf(
        "walk %d (%s, warm cache): %zu files in %.1f ms wall, %.1f ms CPU (%.0f %% of one core); "
        "peak memory rise %ld kB; list of paths %.2f MB; pick with history %.2f ms\n",
        run, ok ? "read" : "FAILED", library.Count(), ms, cpu * 1000.0, ms > 0 ? 100.0 * cpu * 1000.0 / ms : 0.0,
        peak >= 0 && before >= 0 ? peak - before : -1, static_cast<double>(library.ListBytes()) / 1e6, pickMs);
  }
  std::error_code ec;
  std::filesystem::remove_all(root, ec);
  std::filesystem::remove_all(cache, ec);
  return 0;
}
