#pragma once
// The one conversion of a floating-point result to an integer used anywhere
// in the program: nearest integer, ties to the even one (2.5 -> 2, 3.5 -> 4,
// -2.5 -> -2). Results beyond the 32-bit range saturate; NaN gives 0.
#include <cmath>
#include <cstdint>
#include <limits>

inline int32_t RoundHalfEven(double x) {
  constexpr double kMax = std::numeric_limits<int32_t>::max();
  constexpr double kMin = std::numeric_limits<int32_t>::min();
  // Inside the range the floor fits in 64 bits, so it is found by truncation
  // and the parity test is an integer one: no library calls in the hot loops.
  if (x > kMin && x < kMax) {
    int64_t floor = static_cast<int64_t>(x);  // towards zero
    if (static_cast<double>(floor) > x) --floor;
    const double fraction = x - static_cast<double>(floor);
    if (fraction > 0.5 || (fraction == 0.5 && (floor & 1) != 0)) ++floor;
    return static_cast<int32_t>(floor);
  }
  if (x >= kMax) return std::numeric_limits<int32_t>::max();
  if (x <= kMin) return std::numeric_limits<int32_t>::min();
  return 0;  // NaN
}
