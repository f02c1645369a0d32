// Number helpers shared by every part of the program: the photo fit, the
// settings dialog's layout, the button's geometry and the command line. Pairs
// with numeric.cpp. Portable; no parsing, no platform calls.
#pragma once

namespace sorvane {

// Rounds to the nearest integer, ties to even (12.5 gives 12, 13.5 gives 14):
// the conversion used wherever a fractional value becomes an integer. The
// result does not depend on the floating-point rounding mode in force, which
// drivers and libraries loaded into the process may change. Infinities and
// NaN come back unchanged.
double RoundHalfEven(double Value);

}  // namespace sorvane
