// Number helpers (see numeric.h).

#include "numeric.h"

#include <cmath>

namespace sorvane {

// Split into whole and fractional part: both are exact in double precision,
// so the tie test is exact too.
double RoundHalfEven(double Value) {
  if (!std::isfinite(Value)) return Value;
  const double below = std::floor(Value);
  const double fraction = Value - below;
  if (fraction < 0.5) return below;
  if (fraction > 0.5) return below + 1.0;
  return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

}  // namespace sorvane
