// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Synthetic detector signals, as 16-bit mono samples at 44100 Hz, for trying
// the program without a spectrometer and for testing it against a real sound
// server.
//
// Tone: a pure sine on a constant offset, offset + A * sin(2 pi f n / 44100),
// rounded; nothing else.
//
// Lamp: what the detector of a spectrometer sees of a low-pressure mercury
// lamp behind a light chopper: a square-ish carrier at the chopper frequency
// whose amplitude follows the lamp's spectrum (emission lines on a weak
// continuum) while the spectrometer sweeps from the initial to the final
// wavelength, with a little detector noise. The amplitude is scaled so that
// the scan value of a point (the mean absolute deviation from the zero level,
// attenuation 1) is the spectrum's intensity at that wavelength.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace demo {

constexpr int kRate = 44100;

struct ToneOptions {
  double frequency = 441.0;  // Hz; 441 Hz repeats every 100 samples exactly
  double amplitude = 6000.0;
  double offset = 0.0;       // sample units
};

struct LampOptions {
  double startAngstrom = 1000.0;   // the sweep, as in the program's default settings
  double finishAngstrom = 5000.0;
  double sweepSeconds = 1050.0;    // 750 points x 1.4 s
  double holdAngstrom = -1.0;      // >= 0: no sweep, the spectrometer stays here
  double lineWidthAngstrom = 12.0;  // sigma of every line: the slit of the spectrometer
  double chopperHz = 270.0;
  double noise = 3.0;              // rms of the detector noise, sample units
  uint64_t seed = 1;
};

// One emission line: a Gaussian in wavelength.
struct Line {
  double angstrom;
  double height;  // scan value at the line's centre, above the continuum
};

// The lines of the demo lamp, from the short wavelengths up.
const std::vector<Line>& LampLines();

// Intensity of the demo lamp at a wavelength, seen with lines of the given
// width (sigma): what a scan with attenuation 1 shows there.
double LampIntensity(double angstrom, double lineWidthAngstrom = 12.0);

// Produces samples one after the other. `leadInSeconds` of silence (Tone) or of
// dark detector noise (Lamp) come first.
class Generator {
 public:
  virtual ~Generator() = default;
  // Fills `out` with the next `count` samples.
  virtual void next(int16_t* out, size_t count) = 0;
};

class ToneGenerator : public Generator {
 public:
  ToneGenerator(const ToneOptions& options, double leadInSeconds);
  void next(int16_t* out, size_t count) override;

 private:
  double cycles(uint64_t n) const;

  ToneOptions options_;
  uint64_t leadIn_;
  uint64_t n_ = 0;
};

class LampGenerator : public Generator {
 public:
  LampGenerator(const LampOptions& options, double leadInSeconds);
  void next(int16_t* out, size_t count) override;

  // Wavelength the spectrometer is at `seconds` after the lead-in: the sweep
  // from start to finish, then the final wavelength; or the held one.
  double wavelengthAt(double seconds) const;

 private:
  double noiseSample();
  double chopper(double phase) const;  // -1 .. 1

  LampOptions options_;
  uint64_t leadIn_;
  uint64_t n_ = 0;
  double chopperScale_;  // 1 / mean |chopper|
  uint64_t rng_;
  bool haveSpare_ = false;
  double spare_ = 0.0;
};

// Rounds and clips to the 16-bit range.
int16_t ToSample(double value);

}  // namespace demo
