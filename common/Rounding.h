// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one conversion of a floating-point result to an integer used anywhere
// in the program: nearest integer, ties to the even one (2.5 -> 2, 3.5 -> 4,
// -2.5 -> -2). Results beyond the 32-bit range saturate; NaN gives 0.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

inline int32_t RoundHalfEven(double x) {
  // std::nearbyint rounds in the current rounding mode, which the program
  // leaves at the default FE_TONEAREST: to nearest, ties to even.
  constexpr double kMin = std::numeric_limits<int32_t>::min(), kMax = std::numeric_limits<int32_t>::max();
  const double rounded = std::nearbyint(x);
  if (std::isnan(rounded)) return 0;
  return static_cast<int32_t>(std::clamp(rounded, kMin, kMax));
}
