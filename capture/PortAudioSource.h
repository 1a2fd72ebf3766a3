// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real audio back end: device 0 of the default PortAudio host API, read
// through a callback stream that hands samples over in a SampleRing.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "AudioSource.h"
#include "SampleRing.h"

class PortAudioSource : public AudioSource {
 public:
  PortAudioSource();
  ~PortAudioSource() override;  // closes the stream and releases PortAudio

  PortAudioSource(const PortAudioSource&) = delete;
  PortAudioSource& operator=(const PortAudioSource&) = delete;

  int deviceCount() override;
  bool open(const WaveFormat& format, std::string& reason) override;
  void discard() override;
  size_t take(int16_t* dst, size_t max) override;
  uint64_t delivered() const override;
  bool failed(std::string& reason) override;
  void close() override;

  bool isOpen() const { return stream_ != nullptr; }
  // Name of the open device; empty when closed.
  const std::string& deviceName() const { return deviceName_; }

 private:
  bool initialize(std::string& reason);
  std::vector<int> usableDevices() const;

  friend struct PortAudioCallbacks;  // the stream callbacks, in the .cpp

  bool initialized_ = false;
  void* stream_ = nullptr;  // PaStream*
  std::string deviceName_;
  int lastCount_ = 0;  // device count seen before the stream was opened
  uint64_t deliveredAtOpen_ = 0;
  SampleRing ring_;
  std::atomic<bool> finished_{false};  // set by PortAudio when the stream ends
};
