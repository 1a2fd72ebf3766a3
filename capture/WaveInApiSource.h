// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The audio back end on Windows: device 0 of the system's wave-input API
// (winmm), read through a few 10 ms buffers that a worker thread hands over
// in the core's SampleRing as the driver fills them. It is the platform's own
// capture API, present on every Windows, so the program needs no PortAudio
// built for Windows.
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "AudioSourceCore.h"

class WaveInApiSource : public AudioSourceCore {
 public:
  WaveInApiSource();
  ~WaveInApiSource() override;  // closes the device

 private:
  struct Device;  // the wave-input handle, its event and its buffers, in the .cpp
  // Resets, unprepares and closes a device, and frees it only where the
  // driver gave every buffer back.
  struct CloseDevice {
    void operator()(Device* device) const;
  };

  bool findDevices(std::vector<int>& devices, std::string& reason) override;
  bool startDevice(int device, std::string& name, std::string& reason) override;
  bool deviceFailed(std::string& reason) override;
  void stopDevice() override;

  void run(Device& device);  // the worker: hands filled buffers over and queues them again
  void fail(std::string reason);  // from the worker

  std::unique_ptr<Device, CloseDevice> device_;
  std::thread worker_;
  std::atomic<bool> stop_{false};
  // Set by the worker once the device failed; failure_ is written before it
  // and never after, so the UI thread may read it once it sees the flag.
  std::atomic<bool> failed_{false};
  std::string failure_;
};
