// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The audio back end behind the wave-input operations: the first usable input
// device, started once per measurement, delivering mono 16-bit samples.
#include <cstddef>
#include <cstdint>
#include <string>

#include "CaptureFormat.h"

// A device that delivers no sample for this long is lost, for the wave-input
// operations and for a back end that watches its device itself.
constexpr int kSilenceLimitMs = 2000;
// The reason given for such a loss.
inline std::string SilenceReason() {
  return "no samples arrived for " + std::to_string(kSilenceLimitMs / 1000) + " seconds";
}

class AudioSource {
 public:
  virtual ~AudioSource() = default;

  // Number of usable input devices; device 0 is the first of them.
  virtual int deviceCount() = 0;

  // Opens device 0 in the given format and starts it. On failure returns false
  // and puts the back end's reason into `reason`.
  virtual bool open(const WaveFormat& format, std::string& reason) = 0;

  // Forgets every sample that has arrived but has not been taken yet.
  virtual void discard() = 0;

  // Moves up to `max` arrived samples, oldest first, into `dst`; returns how many.
  virtual size_t take(int16_t* dst, size_t max) = 0;

  // Samples the device has delivered since open (monotonic, includes dropped ones).
  virtual uint64_t delivered() const = 0;

  // True once the stream has reported an error or stopped on its own; the
  // back end's reason goes into `reason`.
  virtual bool failed(std::string& reason) = 0;

  // Stops and closes the device. Safe to call when not open.
  virtual void close() = 0;
};
