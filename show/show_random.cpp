// The show's random numbers (see show_random.h): SplitMix64 steps, whose 53
// high bits make a double in [0, 1).

#include "show_random.h"

#include <ctime>

namespace sorvane {

void ShowRandom::Seed(uint32_t Seed) { state_ = 0x9E3779B97F4A7C15ull ^ Seed; }

void ShowRandom::SeedFromTimeOfDay() { Seed(SecondsSinceMidnight()); }

namespace {

// SplitMix64's finaliser: every input bit reaches every output bit.
uint64_t Mix(uint64_t z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

void ShowRandom::SeedFromTimeOfDayAnd(uint64_t Process, uint64_t Window) {
  SeedMixed(SecondsSinceMidnight(), Process, Window);
}

void ShowRandom::SeedMixed(uint32_t Seconds, uint64_t Process, uint64_t Window) {
  state_ = Mix(Mix(Mix(Seconds) ^ Process) ^ Window);
}

double ShowRandom::Next() {
  state_ += 0x9E3779B97F4A7C15ull;
  uint64_t z = state_;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return static_cast<double>(z >> 11) * (1.0 / 9007199254740992.0);
}

uint32_t ShowRandom::SecondsSinceMidnight() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#if defined(_WIN32)
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return static_cast<uint32_t>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec);
}

}  // namespace sorvane
