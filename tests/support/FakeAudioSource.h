// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A wave input in virtual time: samples arrive at 44100 per second of the
// virtual clock, with values and faults scripted by the test.
#include <functional>
#include <string>
#include <vector>

#include "AudioSource.h"
#include "Clock.h"

class FakeAudioSource : public AudioSource {
 public:
  explicit FakeAudioSource(Clock& clock) : clock_(clock) {}

  // Script.
  int devices = 1;
  std::string openError;         // non-empty: open fails with this reason
  int64_t startupDelayMs = 0;    // no sample arrives before this much time after open
  int silentFromCycle = -1;      // from this cycle on no sample arrives
  int failFromCycle = -1;        // from this cycle on the stream reports `failReason`
  std::string failReason = "device unplugged";
  // Value of sample i (counted from 0 in each cycle) of capture cycle `cycle`.
  std::function<int16_t(int cycle, size_t i)> signal = [](int, size_t) { return int16_t{0}; };
  // If set, at most this many samples reach the buffer in `cycle`.
  std::function<size_t(int cycle)> cycleLimit;

  // Record.
  int opens = 0;
  int closes = 0;
  int cycles = 0;  // capture cycles begun since the source was made
  std::vector<uint32_t> headerFlagsAtOpen;
  bool openedWhileOpen = false;  // a second measurement inside the first
  bool isOpen() const { return open_; }

  int deviceCount() override { return devices; }
  bool open(const WaveFormat& format, std::string& reason) override;
  void discard() override;
  size_t take(int16_t* dst, size_t max) override;
  uint64_t delivered() const override;
  bool failed(std::string& reason) override;
  void close() override;

 private:
  uint64_t arrived() const;

  Clock& clock_;
  bool open_ = false;
  int64_t openedAt_ = 0;
  uint64_t readPosition_ = 0;
  size_t takenThisCycle_ = 0;
  int cycleOfOpen_ = 0;
  uint64_t silentSince_ = 0;
  bool silent_ = false;
};
