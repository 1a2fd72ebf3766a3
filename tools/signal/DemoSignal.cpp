// SPDX-License-Identifier: GPL-3.0-or-later
#include "DemoSignal.h"

#include <algorithm>
#include <cmath>

namespace demo {

namespace {

constexpr double kPi = 3.14159265358979323846;

uint64_t samplesOf(double seconds) {
  if (!(seconds > 0)) return 0;
  const double samples = seconds * kRate + 0.5;
  return samples < 1e18 ? static_cast<uint64_t>(samples) : static_cast<uint64_t>(1e18);
}

// splitmix64: small, fast and the same on every platform, so a seed always
// gives the same samples.
uint64_t nextRandom(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// Uniform in (0, 1].
double uniform(uint64_t& state) { return (static_cast<double>(nextRandom(state) >> 11) + 1.0) / 9007199254740992.0; }

}  // namespace

// Roughly the strong lines of a low-pressure mercury lamp between 1800 and
// 4400 angstrom; heights fit the drawing area at attenuation 1.
const std::vector<Line>& LampLines() {
  static const std::vector<Line> lines = {
      {1849.0, 90.0}, {2537.0, 400.0}, {2967.0, 70.0}, {3131.0, 120.0},
      {3650.0, 230.0}, {4047.0, 150.0}, {4358.0, 300.0},
  };
  return lines;
}

double LampIntensity(double angstrom, double lineWidthAngstrom) {
  // A weak, broad continuum under the lines.
  const double hump = (angstrom - 3400.0) / 1600.0;
  double intensity = 12.0 + 18.0 * std::exp(-hump * hump);
  for (const Line& line : LampLines()) {
    const double d = (angstrom - line.angstrom) / lineWidthAngstrom;
    intensity += line.height * std::exp(-0.5 * d * d);
  }
  return intensity;
}

int16_t ToSample(double value) {
  const double clipped = std::clamp(value, -32768.0, 32767.0);
  return static_cast<int16_t>(std::lround(clipped));
}

// The fraction of a period after `n` samples. A whole number of hertz is
// reduced in integers, so every period of a long run has the same samples.
double ToneGenerator::cycles(uint64_t n) const {
  const double f = options_.frequency;
  if (f >= 1.0 && f < 1e9 && f == std::floor(f))
    return static_cast<double>((static_cast<uint64_t>(f) * (n % kRate)) % kRate) / kRate;
  const double c = f * static_cast<double>(n) / kRate;
  return c - std::floor(c);
}

ToneGenerator::ToneGenerator(const ToneOptions& options, double leadInSeconds)
    : options_(options), leadIn_(samplesOf(leadInSeconds)) {
  // Anything beyond the 16-bit range is clipped anyway.
  options_.amplitude = std::clamp(options_.amplitude, -65536.0, 65536.0);
  options_.offset = std::clamp(options_.offset, -65536.0, 65536.0);
}

void ToneGenerator::next(int16_t* out, size_t count) {
  for (size_t i = 0; i < count; ++i, ++n_) {
    if (n_ < leadIn_) {
      out[i] = 0;
      continue;
    }
    out[i] = ToSample(options_.offset + std::lround(options_.amplitude * std::sin(2.0 * kPi * cycles(n_ - leadIn_))));
  }
}

LampGenerator::LampGenerator(const LampOptions& options, double leadInSeconds)
    : options_(options), leadIn_(samplesOf(leadInSeconds)), rng_(options.seed) {
  options_.lineWidthAngstrom = std::max(options_.lineWidthAngstrom, 0.1);
  double sum = 0.0;
  constexpr int kSteps = 100000;
  for (int i = 0; i < kSteps; ++i) sum += std::fabs(chopper((i + 0.5) / kSteps));
  chopperScale_ = kSteps / sum;
}

double LampGenerator::wavelengthAt(double seconds) const {
  if (options_.holdAngstrom >= 0) return options_.holdAngstrom;
  const double span = options_.finishAngstrom - options_.startAngstrom;
  const double progress = options_.sweepSeconds > 0 ? std::clamp(seconds / options_.sweepSeconds, 0.0, 1.0) : 1.0;
  return options_.startAngstrom + span * progress;
}

// The light passes the chopper blade during one half of the period and is
// blocked during the other; the blade edge takes a tenth of a period to cross
// the beam. The sound card's input is AC coupled, so the wave swings about 0.
double LampGenerator::chopper(double phase) const {
  const double shifted = phase + 0.25 - std::floor(phase + 0.25);
  const double triangle = 1.0 - 4.0 * std::fabs(shifted - 0.5);
  return std::clamp(5.0 * triangle, -1.0, 1.0);
}

// Gaussian noise by the Box-Muller transform.
double LampGenerator::noiseSample() {
  if (haveSpare_) {
    haveSpare_ = false;
    return spare_;
  }
  const double r = std::sqrt(-2.0 * std::log(uniform(rng_)));
  const double angle = 2.0 * kPi * uniform(rng_);
  spare_ = r * std::sin(angle);
  haveSpare_ = true;
  return r * std::cos(angle);
}

void LampGenerator::next(int16_t* out, size_t count) {
  for (size_t i = 0; i < count; ++i, ++n_) {
    const double noise = options_.noise * noiseSample();
    if (n_ < leadIn_) {
      out[i] = ToSample(noise);  // the detector in the dark
      continue;
    }
    const double t = static_cast<double>(n_ - leadIn_) / kRate;
    const double phase = options_.chopperHz * t - std::floor(options_.chopperHz * t);
    const double level = LampIntensity(wavelengthAt(t), options_.lineWidthAngstrom) * chopperScale_;
    out[i] = ToSample(level * chopper(phase) + noise);
  }
}

}  // namespace demo
