// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/ReplayAudioSource.h"

#include <algorithm>
#include <cmath>
#include <cstring>

ReplayAudioSource::ReplayAudioSource(Clock& clock, std::vector<int16_t> signal)
    : clock_(clock), signal_(std::move(signal)) {}

bool ReplayAudioSource::open(const WaveFormat&, std::string&) {
  open_ = true;
  openedAt_ = clock_.nowMs();
  readPosition_ = 0;
  return true;
}

uint64_t ReplayAudioSource::delivered() const {
  if (!open_) return 0;
  const int64_t flowing = clock_.nowMs() - openedAt_;
  return flowing > 0 ? static_cast<uint64_t>(flowing) * 44100 / 1000 : 0;
}

void ReplayAudioSource::discard() { readPosition_ = delivered(); }

size_t ReplayAudioSource::take(int16_t* dst, size_t max) {
  const size_t n = static_cast<size_t>(std::min<uint64_t>(max, delivered() - readPosition_));
  for (size_t done = 0; done < n;) {
    const size_t at = static_cast<size_t>((readPosition_ + done) % signal_.size());
    const size_t run = std::min(n - done, signal_.size() - at);
    std::memcpy(dst + done, signal_.data() + at, run * sizeof(int16_t));
    done += run;
  }
  readPosition_ += n;
  return n;
}

std::vector<int16_t> DetectorSignal(size_t samples) {
  std::vector<int16_t> signal(samples);
  uint32_t noise = 12345;
  for (size_t i = 0; i < samples; ++i) {
    noise = noise * 1664525u + 1013904223u;
    const double hum = 60.0 * std::sin(2.0 * 3.14159265358979 * 50.0 * static_cast<double>(i) / 44100.0);
    signal[i] = static_cast<int16_t>(std::lround(hum) + static_cast<int>(noise >> 27) - 16);
  }
  return signal;
}
