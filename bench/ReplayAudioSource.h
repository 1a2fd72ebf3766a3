// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A wave input for benchmarks: replays a prepared signal at 44100 samples per
// second of the given clock and hands samples over with memcpy, as cheaply as
// the real back end's ring, so that timings show the program's own work.
#include <cstdint>
#include <vector>

#include "AudioSource.h"
#include "Clock.h"

class ReplayAudioSource : public AudioSource {
 public:
  ReplayAudioSource(Clock& clock, std::vector<int16_t> signal);

  int deviceCount() override { return 1; }
  bool open(const WaveFormat& format, std::string& reason) override;
  void discard() override;
  size_t take(int16_t* dst, size_t max) override;
  uint64_t delivered() const override;
  bool failed(std::string&) override { return false; }
  void close() override { open_ = false; }

 private:
  Clock& clock_;
  std::vector<int16_t> signal_;
  bool open_ = false;
  int64_t openedAt_ = 0;
  uint64_t readPosition_ = 0;
};

// A detector-like input: a 50 Hz hum of 60 units with noise of up to 16 units
// around 0, repeating every `samples` samples.
std::vector<int16_t> DetectorSignal(size_t samples = 44100);
