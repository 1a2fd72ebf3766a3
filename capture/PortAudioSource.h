// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real audio back end: device 0 of the default PortAudio host API, read
// through a callback stream that hands samples over in the core's SampleRing.
#include <atomic>
#include <string>
#include <vector>

#include "AudioSourceCore.h"

class PortAudioSource : public AudioSourceCore {
 public:
  PortAudioSource();
  ~PortAudioSource() override;  // closes the stream and releases PortAudio

 private:
  bool initialize(std::string& reason);
  bool findDevices(std::vector<int>& devices, std::string& reason) override;
  bool startDevice(int device, std::string& name, std::string& reason) override;
  bool deviceFailed(std::string& reason) override;
  void stopDevice() override;

  friend struct PortAudioCallbacks;  // the stream callbacks, in the .cpp

  bool initialized_ = false;
  void* stream_ = nullptr;  // PaStream*
  std::atomic<bool> finished_{false};  // set by PortAudio when the stream ends
};
