#pragma once
// The one conversion of a floating-point result to an integer used anywhere
// in the program: nearest integer, ties to the even one (2.5 -> 2, 3.5 -> 4,
// -2.5 -> -2). Results beyond the 32-bit range saturate; NaN gives 0.
#include <cmath>
#include <cstdint>
#include <limits>

inline int32_t RoundHalfEven(double x) {
  if (std::isnan(x)) return 0;
  double r = std::floor(x);
  const double fraction = x - r;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(r, 2.0) != 0.0)) r += 1.0;
  if (r >= static_cast<double>(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  if (r <= static_cast<double>(std::numeric_limits<int32_t>::min()))
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(r);
}
