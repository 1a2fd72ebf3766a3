// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The audio back end on Windows: device 0 of the system's wave-input API
// (winmm), read through a few 10 ms buffers that a worker thread hands over
// in a SampleRing as the driver fills them. It is the platform's own capture
// API, present on every Windows, so the program needs no PortAudio built
// for Windows.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "AudioSource.h"
#include "SampleRing.h"

class WaveInApiSource : public AudioSource {
 public:
  WaveInApiSource();
  ~WaveInApiSource() override;  // closes the device

  WaveInApiSource(const WaveInApiSource&) = delete;
  WaveInApiSource& operator=(const WaveInApiSource&) = delete;

  int deviceCount() override;
  bool open(const WaveFormat& format, std::string& reason) override;
  void discard() override;
  size_t take(int16_t* dst, size_t max) override;
  uint64_t delivered() const override;
  bool failed(std::string& reason) override;
  void close() override;

  bool isOpen() const { return device_ != nullptr; }
  // Name of the open device; empty when closed.
  const std::string& deviceName() const { return deviceName_; }

 private:
  struct Device;  // the wave-input handle, its event and its buffers, in the .cpp

  void run();  // the worker: hands filled buffers over and queues them again

  std::unique_ptr<Device> device_;
  std::thread worker_;
  std::string deviceName_;
  int lastCount_ = 0;  // device count seen before the device was opened
  uint64_t deliveredAtOpen_ = 0;
  SampleRing ring_;
  std::atomic<bool> stop_{false};
  // Set by the worker once the driver refused a buffer; failure_ is written
  // before it and never after, so the UI thread may read it once it sees the flag.
  std::atomic<bool> failed_{false};
  std::string failure_;
};
