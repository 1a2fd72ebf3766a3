// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the audio back ends share: the device count as last seen while closed,
// the one format they open, the case of no device, and the samples their
// audio thread hands over in a SampleRing. A back end lists its usable
// devices, starts and stops device 0, tells whether its stream failed, and
// pushes the samples into ring_ from its audio thread.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "AudioSource.h"
#include "SampleRing.h"

class AudioSourceCore : public AudioSource {
 public:
  AudioSourceCore(const AudioSourceCore&) = delete;
  AudioSourceCore& operator=(const AudioSourceCore&) = delete;

  int deviceCount() final;
  bool open(const WaveFormat& format, std::string& reason) final;
  void discard() final;
  size_t take(int16_t* dst, size_t max) final;
  uint64_t delivered() const final;
  bool failed(std::string& reason) final;
  void close() final;

  bool isOpen() const { return open_; }
  // Name of the open device; empty when closed.
  const std::string& deviceName() const { return deviceName_; }

 protected:
  // Each back end's destructor calls close(), while its part of the object still exists.
  AudioSourceCore() = default;

  // The usable input devices in the back end's own order; false, with the
  // back end's reason, when it cannot list them at all.
  virtual bool findDevices(std::vector<int>& devices, std::string& reason) = 0;
  // Opens and starts `device`, whose name goes into `name`. The audio thread
  // starts here, so the ring has been emptied before.
  virtual bool startDevice(int device, std::string& name, std::string& reason) = 0;
  // True once the open stream has failed or stopped on its own.
  virtual bool deviceFailed(std::string& reason) = 0;
  // Stops and closes the open device; the audio thread has ended on return.
  virtual void stopDevice() = 0;

  SampleRing ring_;

 private:
  bool open_ = false;
  std::string deviceName_;
  int lastCount_ = 0;  // device count seen before the device was opened
  uint64_t deliveredAtOpen_ = 0;
};
