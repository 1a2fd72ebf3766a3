// RoundHalfEven against its definition (floor, then a tie goes to the even
// neighbour, saturated to 32 bits) over edge cases and many random values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "Rounding.h"

namespace {

int32_t Definition(double x) {
  if (std::isnan(x)) return 0;
  double r = std::floor(x);
  const double fraction = x - r;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(r, 2.0) != 0.0)) r += 1.0;
  if (r >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (r <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(r);
}

}  // namespace

TEST(RoundingFastPath, EdgesOfTheRangeAndOfEveryTie) {
  const double inf = std::numeric_limits<double>::infinity();
  std::vector<double> values = {0.0, -0.0, 0.5, -0.5, 1.5, -1.5, 2.5, -2.5, 0.49999999999999994,
                                -0.49999999999999994, 1e-300, -1e-300, 4.9e-324, -4.9e-324, inf, -inf,
                                std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
                                4503599627370495.5, -4503599627370495.5, 9007199254740993.0, 1e18, -1e18};
  for (double edge : {2147483647.0, -2147483648.0, 2147483646.0, -2147483647.0, 2147483648.0, -2147483649.0}) {
    for (double offset : {-1.0, -0.75, -0.5, -0.25, 0.0, 0.25, 0.5, 0.75, 1.0}) values.push_back(edge + offset);
    values.push_back(std::nextafter(edge, inf));
    values.push_back(std::nextafter(edge, -inf));
  }
  for (double x : values) EXPECT_EQ(RoundHalfEven(x), Definition(x)) << x;
  EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
}

TEST(RoundingFastPath, RandomValuesQuotientsAndBitPatterns) {
  std::mt19937_64 random(20240611);
  std::uniform_real_distribution<double> wide(-3e9, 3e9), narrow(-40000.0, 40000.0);
  std::uniform_int_distribution<int64_t> whole(-3000000000LL, 3000000000LL);
  std::uniform_int_distribution<int> sample(-32768, 32767), weak(1, 2000);
  for (int i = 0; i < 200000; ++i) {
    const double a = wide(random), b = narrow(random);
    const double tie = static_cast<double>(whole(random)) + 0.5;
    const double quotient = sample(random) / static_cast<double>(weak(random));
    uint64_t bits = random();
    double pattern;
    std::memcpy(&pattern, &bits, sizeof pattern);
    for (double x : {a, b, tie, quotient, pattern}) ASSERT_EQ(RoundHalfEven(x), Definition(x)) << x;
  }
}
