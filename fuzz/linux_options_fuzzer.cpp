// libFuzzer target for the Linux program's command line: any arguments (the
// input split at NUL bytes, the last piece as XSCREENSAVER_WINDOW when it
// starts with "W"), through the public parser. Checks what its interface
// promises: a size from 1 to 20, a delay and a change interval within their
// limits, window ids within 32 bits and not 0 where one is required, and the
// same answer twice. Built and run by scripts/fuzz.sh.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "linux_options.h"

namespace {

void Check(bool Condition) {
  if (!Condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::vector<std::string> args;
  std::string piece;
  for (size_t i = 0; i < Size && args.size() < 64; ++i) {
    if (Data[i] == 0) {
      args.push_back(piece);
      piece.clear();
    } else {
      piece.push_back(static_cast<char>(Data[i]));
    }
  }
  const bool environment = !piece.empty() && piece[0] == 'W';
  const std::string windowVariable = environment ? piece.substr(1) : std::string();
  if (!environment && !piece.empty()) args.push_back(piece);

  using sorvane::LinuxMode;
  const sorvane::LinuxOptions o =
      sorvane::ParseLinuxOptions(args, environment ? windowVariable.c_str() : nullptr);
  if (o.SizeGiven) Check(o.Size >= 1.0f && o.Size <= 20.0f);
  if (o.DelayMicroseconds) Check(*o.DelayMicroseconds >= 0 && *o.DelayMicroseconds <= sorvane::kMaxDelayMicroseconds);
  if (o.ChangeEverySeconds) Check(*o.ChangeEverySeconds >= 0 && *o.ChangeEverySeconds <= sorvane::kMaxChangeSeconds);
  if (o.Mode == LinuxMode::Preview) Check(o.PreviewWindow >= 1 && o.PreviewWindow <= 0xFFFFFFFFu);
  if (o.Mode == LinuxMode::IntoWindow) Check(o.TargetWindow <= 0xFFFFFFFFu);

  const sorvane::LinuxOptions again =
      sorvane::ParseLinuxOptions(args, environment ? windowVariable.c_str() : nullptr);
  Check(again.Mode == o.Mode && again.ImagePath == o.ImagePath && again.Size == o.Size &&
        again.TargetWindow == o.TargetWindow && again.PreviewWindow == o.PreviewWindow && again.Error == o.Error &&
        again.ChangeEverySeconds == o.ChangeEverySeconds);

  uint64_t id = 0;
  for (const std::string& a : args)
    if (sorvane::ParseWindowId(a, id)) Check(id >= 1 && id <= 0xFFFFFFFFu);
  if (o.Mode != LinuxMode::End) {
    const sorvane::SettingsRecord r = sorvane::CommandLineSettings(o);
    Check(r.StarSize >= 1.0f && r.StarSize <= 20.0f);
  }
  return 0;
}
