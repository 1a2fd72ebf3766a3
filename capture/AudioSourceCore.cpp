// SPDX-License-Identifier: GPL-3.0-or-later
#include "AudioSourceCore.h"

int AudioSourceCore::deviceCount() {
  // An open device would now answer for its own use (a card refuses the probe
  // as busy); report what was found before.
  if (open_) return lastCount_;
  std::vector<int> devices;
  std::string ignored;
  findDevices(devices, ignored);
  lastCount_ = static_cast<int>(devices.size());
  return lastCount_;
}

bool AudioSourceCore::open(const WaveFormat& format, std::string& reason) {
  close();
  if (!IsProgramCaptureFormat(format)) {
    reason = "unsupported capture format";
    return false;
  }
  std::vector<int> devices;
  if (!findDevices(devices, reason)) return false;
  lastCount_ = static_cast<int>(devices.size());
  if (devices.empty()) {
    reason = "no audio input device";
    return false;
  }
  // The audio thread is not running yet, so the ring can be reset from here.
  ring_.discardAll();
  deliveredAtOpen_ = ring_.delivered();
  std::string name;
  if (!startDevice(devices.front(), name, reason)) return false;
  open_ = true;
  deviceName_ = name;
  return true;
}

void AudioSourceCore::discard() { ring_.discardAll(); }

size_t AudioSourceCore::take(int16_t* dst, size_t max) { return ring_.pop(dst, max); }

uint64_t AudioSourceCore::delivered() const { return ring_.delivered() - deliveredAtOpen_; }

bool AudioSourceCore::failed(std::string& reason) { return open_ && deviceFailed(reason); }

void AudioSourceCore::close() {
  if (!open_) return;
  open_ = false;
  stopDevice();
  deviceName_.clear();
}
