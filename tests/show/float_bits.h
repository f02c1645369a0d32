// The bits of a single-precision value, for the show's tests that compare
// scene and timer state exactly (scene_test.cpp, swarms_test.cpp,
// saver_loop_test.cpp). Test-only.
#pragma once

#include <cstdint>
#include <cstring>

namespace sorvane::testing {

inline uint32_t BitsOf(float Value) {
  uint32_t Bits;
  std::memcpy(&Bits, &Value, sizeof Bits);
  return Bits;
}

}  // namespace sorvane::testing
