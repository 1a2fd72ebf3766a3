// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Wraps the real audio back end and keeps a copy of every sample it hands to
// a measurement, so that a test can recompute the measurement from the very
// samples it was made of.
#include <string>
#include <vector>

#include "CaptureFormat.h"

// The real back end of this build: PortAudio's on Linux, the wave-input
// API's on Windows.
#ifdef _WIN32
#include "WaveInApiSource.h"
using RealBackEnd = WaveInApiSource;
#else
#include "PortAudioSource.h"
using RealBackEnd = PortAudioSource;
#endif

class RecordingSource : public AudioSource {
 public:
  explicit RecordingSource(RealBackEnd& inner) : inner_(inner) {}

  // What one take() call handed over. `cycle` counts the discards since the
  // last clear(): a capture cycle starts with one. `buffer` is the whole armed
  // capture buffer right after the take: where a take comes short, the rest of
  // the buffer still holds what was there before, and the measurement is made
  // of that too.
  struct Take {
    int cycle = 0;
    size_t wanted = 0;
    std::vector<int16_t> samples;
    std::vector<int16_t> buffer;
  };

  std::vector<Take> takes;
  int cycles = 0;
  int opens = 0;
  int closes = 0;
  std::string openedDevice;   // name of the device last opened
  std::string failureReason;  // first failure the back end reported

  void clear() {
    takes.clear();
    cycles = opens = closes = 0;
    openedDevice.clear();
    failureReason.clear();
  }

  // Samples of one cycle, in order, over all its takes.
  std::vector<int16_t> cycleSamples(int cycle) const {
    std::vector<int16_t> all;
    for (const Take& t : takes)
      if (t.cycle == cycle) all.insert(all.end(), t.samples.begin(), t.samples.end());
    return all;
  }

  // The capture buffer as the measurement of `cycle` found it.
  std::vector<int16_t> cycleBuffer(int cycle) const {
    for (auto t = takes.rbegin(); t != takes.rend(); ++t)
      if (t->cycle == cycle) return t->buffer;
    return {};
  }

  // Cycles whose takes together came short of the armed buffer.
  int shortCycles() const {
    int count = 0;
    for (int c = 1; c <= cycles; ++c) count += cycleSamples(c).size() < cycleBuffer(c).size();
    return count;
  }

  int deviceCount() override { return inner_.deviceCount(); }
  bool open(const WaveFormat& format, std::string& reason) override {
    ++opens;
    const bool ok = inner_.open(format, reason);
    if (ok) openedDevice = inner_.deviceName();
    return ok;
  }
  void discard() override {
    ++cycles;
    inner_.discard();
  }
  size_t take(int16_t* dst, size_t max) override {
    const size_t got = inner_.take(dst, max);
    const int16_t* armed = CaptureHdr.lpData;
    takes.push_back(Take{cycles, max, std::vector<int16_t>(dst, dst + got),
                         std::vector<int16_t>(armed, armed + CaptureHdr.dwBufferLength / sizeof(int16_t))});
    return got;
  }
  uint64_t delivered() const override { return inner_.delivered(); }
  bool failed(std::string& reason) override {
    const bool f = inner_.failed(reason);
    if (f && failureReason.empty()) failureReason = reason.empty() ? "(no reason)" : reason;
    return f;
  }
  void close() override {
    if (inner_.isOpen()) ++closes;
    inner_.close();
  }

 private:
  RealBackEnd& inner_;
};
