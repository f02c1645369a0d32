// The show's random numbers: uniform in [0, 1), seeded from the time of day.
// Portable; one generator per show object, so copies never share a sequence.
#pragma once

#include <cstdint>

namespace sorvane {

class ShowRandom {
 public:
  explicit ShowRandom(uint32_t Seed = 1) { this->Seed(Seed); }

  // Restarts the sequence from Seed.
  void Seed(uint32_t Seed);

  // Seeds from the seconds since local midnight.
  void SeedFromTimeOfDay();

  // Seeds from the seconds since local midnight mixed with Process and
  // Window, so that copies started in the same second (one per monitor under
  // XScreenSaver) draw different sequences.
  void SeedFromTimeOfDayAnd(uint64_t Process, uint64_t Window);

  // Restarts the sequence from Seconds mixed with Process and Window.
  void SeedMixed(uint32_t Seconds, uint64_t Process, uint64_t Window);

  // The next number, uniform in [0, 1).
  double Next();

  // The seconds since local midnight (0 to 86399).
  static uint32_t SecondsSinceMidnight();

 private:
  uint64_t state_ = 0;
};

}  // namespace sorvane
