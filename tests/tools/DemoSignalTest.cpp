// SPDX-License-Identifier: GPL-3.0-or-later
#include "DemoSignal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<int16_t> take(demo::Generator& generator, size_t count) {
  std::vector<int16_t> samples(count);
  generator.next(samples.data(), count);
  return samples;
}

double meanDeviation(const int16_t* samples, size_t count) {
  double sum = 0;
  for (size_t i = 0; i < count; ++i) sum += std::fabs(samples[i]);
  return sum / count;
}

// What a scan point sees: the mean of 20 captures of 150 samples, one every
// 70 ms, from `samples` starting at `first`.
double pointValue(const std::vector<int16_t>& samples, size_t first) {
  double sum = 0;
  for (int c = 0; c < 20; ++c) sum += meanDeviation(samples.data() + first + c * 3087, 150);
  return sum / 20;
}

}  // namespace

TEST(ToneGenerator, IsTheRoundedSineAfterTheLeadIn) {
  demo::ToneOptions options;
  options.frequency = 441;
  options.amplitude = 6000;
  demo::ToneGenerator tone(options, 0.5);
  const std::vector<int16_t> lead = take(tone, 22050);
  EXPECT_TRUE(std::all_of(lead.begin(), lead.end(), [](int16_t s) { return s == 0; }));
  const std::vector<int16_t> first = take(tone, 100);
  for (int n = 0; n < 100; ++n)
    ASSERT_EQ(first[n], std::lround(6000 * std::sin(2 * kPi * n / 100.0))) << n;
  EXPECT_EQ(*std::max_element(first.begin(), first.end()), 6000);
  EXPECT_EQ(*std::min_element(first.begin(), first.end()), -6000);
  // Every period has the same samples.
  take(tone, 44100 - 100);
  EXPECT_EQ(take(tone, 100), first);
}

TEST(ToneGenerator, AddsTheOffsetAndClipsToSixteenBits) {
  demo::ToneOptions options;
  options.frequency = 441;
  options.amplitude = 40000;
  options.offset = -37;
  demo::ToneGenerator tone(options, 0);
  const std::vector<int16_t> s = take(tone, 100);
  EXPECT_EQ(s[0], -37);
  EXPECT_EQ(s[25], 32767);
  EXPECT_EQ(s[75], -32768);
  EXPECT_EQ(s[50], -37);
}

TEST(LampSpectrum, HasItsLinesOnAWeakContinuum) {
  for (const demo::Line& line : demo::LampLines()) {
    const double peak = demo::LampIntensity(line.angstrom);
    EXPECT_GT(peak, line.height) << line.angstrom;
    EXPECT_LT(peak, line.height + 40) << line.angstrom;
    // Half a line width away from every line the continuum is all there is.
    EXPECT_LT(demo::LampIntensity(line.angstrom + 100), 40) << line.angstrom;
  }
  // The strongest line fits the drawing area of a scan at attenuation 1.
  EXPECT_LT(demo::LampIntensity(2537), 452);
  for (double a = 1000; a <= 5000; a += 5) ASSERT_GT(demo::LampIntensity(a), 10) << a;
}

TEST(LampGenerator, LeadInIsDarkDetectorNoise) {
  demo::LampOptions options;
  options.noise = 3;
  demo::LampGenerator lamp(options, 3.0);
  const std::vector<int16_t> dark = take(lamp, 3 * 44100);
  double sum = 0, squares = 0;
  for (int16_t s : dark) {
    sum += s;
    squares += double(s) * s;
  }
  const double mean = sum / dark.size();
  // A calibration during the lead-in measures a zero level of 0.
  EXPECT_LT(std::fabs(mean), 0.1);
  EXPECT_NEAR(std::sqrt(squares / dark.size()), 3.0, 0.15);
}

TEST(LampGenerator, SameSeedSameSamplesOtherSeedOtherNoise) {
  demo::LampOptions options;
  demo::LampGenerator a(options, 1.0), b(options, 1.0);
  options.seed = 2;
  demo::LampGenerator c(options, 1.0);
  const std::vector<int16_t> sa = take(a, 100000), sb = take(b, 100000), sc = take(c, 100000);
  EXPECT_EQ(sa, sb);
  EXPECT_NE(sa, sc);
}

TEST(LampGenerator, ScanPointsShowTheIntensityOfTheHeldWavelength) {
  for (double angstrom : {2537.0, 3650.0, 1500.0, 4200.0}) {
    demo::LampOptions options;
    options.holdAngstrom = angstrom;
    demo::LampGenerator lamp(options, 0);
    const std::vector<int16_t> s = take(lamp, 3 * 44100);
    const double expected = demo::LampIntensity(angstrom);
    EXPECT_NEAR(pointValue(s, 1000), expected, expected * 0.03) << angstrom;
    EXPECT_NEAR(pointValue(s, 50000), expected, expected * 0.03) << angstrom;
  }
}

TEST(LampGenerator, CarrierRunsAtTheChopperFrequency) {
  demo::LampOptions options;
  options.holdAngstrom = 2537;
  options.noise = 0;
  demo::LampGenerator lamp(options, 0);
  const std::vector<int16_t> s = take(lamp, 44100);
  int rising = 0;
  for (size_t i = 1; i < s.size(); ++i) rising += s[i - 1] < 0 && s[i] >= 0;
  EXPECT_NEAR(rising, 270, 1);
}

TEST(LampGenerator, SweepRunsFromStartToFinishAndStaysThere) {
  demo::LampOptions options;
  options.sweepSeconds = 100;
  demo::LampGenerator lamp(options, 3.0);
  EXPECT_DOUBLE_EQ(lamp.wavelengthAt(0), 1000);
  EXPECT_DOUBLE_EQ(lamp.wavelengthAt(50), 3000);
  EXPECT_DOUBLE_EQ(lamp.wavelengthAt(100), 5000);
  EXPECT_DOUBLE_EQ(lamp.wavelengthAt(500), 5000);
  options.holdAngstrom = 4358;
  demo::LampGenerator held(options, 0);
  EXPECT_DOUBLE_EQ(held.wavelengthAt(0), 4358);
  EXPECT_DOUBLE_EQ(held.wavelengthAt(77), 4358);
}

TEST(LampGenerator, AShortenedSweepPutsTheStrongestLineWhereTheScanExpectsIt) {
  // 60 scan points of 1.4 s carry the whole sweep, with a slit wide enough
  // that every line spans several points.
  demo::LampOptions options;
  options.sweepSeconds = 84;
  options.lineWidthAngstrom = 150;
  demo::LampGenerator lamp(options, 0);
  const std::vector<int16_t> s = take(lamp, 85 * 44100);
  int strongest = 0;
  double best = 0;
  for (int k = 0; k < 60; ++k) {
    const double v = pointValue(s, static_cast<size_t>(k * 1.4 * 44100));
    if (v > best) best = v, strongest = k;
  }
  // 2537 angstrom is 38 % of the way from 1000 to 5000: point 23.
  EXPECT_NEAR(strongest, 23, 1);
  EXPECT_NEAR(best, demo::LampIntensity(2537, 150), 0.05 * best);
}
