// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/FakeAudioSource.h"

#include <algorithm>

bool FakeAudioSource::open(const WaveFormat& format, std::string& reason) {
  ++opens;
  if (open_) openedWhileOpen = true;
  headerFlagsAtOpen.push_back(CaptureHdr.dwFlags);
  if (!openError.empty() || format.nSamplesPerSec != 44100 || format.nChannels != 1 ||
      format.wBitsPerSample != 16) {
    reason = openError.empty() ? "unsupported format" : openError;
    return false;
  }
  open_ = true;
  openedAt_ = clock_.nowMs();
  readPosition_ = 0;
  silent_ = false;
  return true;
}

uint64_t FakeAudioSource::arrived() const {
  if (!open_) return 0;
  const int64_t flowing = clock_.nowMs() - openedAt_ - startupDelayMs;
  const uint64_t count = flowing > 0 ? static_cast<uint64_t>(flowing) * 44100 / 1000 : 0;
  return silent_ ? std::min(count, silentSince_) : count;
}

void FakeAudioSource::discard() {
  if (cycles == silentFromCycle && !silent_) {
    silentSince_ = arrived();
    silent_ = true;
  }
  ++cycles;
  readPosition_ = arrived();
  takenThisCycle_ = 0;
}

size_t FakeAudioSource::take(int16_t* dst, size_t max) {
  const int cycle = cycles - 1;
  size_t n = static_cast<size_t>(std::min<uint64_t>(max, arrived() - readPosition_));
  if (cycleLimit) n = std::min(n, cycleLimit(cycle) > takenThisCycle_ ? cycleLimit(cycle) - takenThisCycle_ : 0);
  for (size_t i = 0; i < n; ++i) dst[i] = signal(cycle, takenThisCycle_ + i);
  takenThisCycle_ += n;
  readPosition_ += n;
  return n;
}

uint64_t FakeAudioSource::delivered() const { return arrived(); }

bool FakeAudioSource::failed(std::string& reason) {
  if (open_ && failFromCycle >= 0 && cycles > failFromCycle) {
    reason = failReason;
    return true;
  }
  return false;
}

void FakeAudioSource::close() {
  if (open_) ++closes;
  open_ = false;
}
