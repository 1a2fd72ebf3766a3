// SPDX-License-Identifier: GPL-3.0-or-later
// lmx-input: tells which audio input the program would measure from, with the
// program's own device choice and start-up wait, and what arrives there.
//
//   lmx-input            prints the device, the way its samples come, and one
//                        second's level, or why not
//
// Exit status: 0 when samples arrive, 1 when they do not, 2 without a device.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "CaptureFormat.h"
#include "PortAudioSource.h"
#include "WaveIn.h"

// Under the sanitizers: libasound's plugins keep their start-up allocations
// for the life of the process; full unwinding traces them back through
// libasound after the plugin is unloaded (as in the capture tests).
extern "C" const char* __lsan_default_suppressions() { return "leak:libasound.so\n"; }
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }

namespace {

// The way the samples reach device 0, as far as its ALSA name tells. Behind
// "pulse" and "pipewire" the sound server picks the source and converts its
// format; which server and which format, only the server can say.
void describeWay(const std::string& device) {
  if (device == "pulse") {
    std::puts("  through a sound server's PulseAudio service: PulseAudio, or PipeWire's pipewire-pulse\n"
              "  (`pactl info` names it). It records from its default source (`pactl get-default-source`) and\n"
              "  converts it to mono 44100 Hz: unless the source is mono at 44100 Hz (`pactl list short sources`;\n"
              "  on PipeWire also clock.rate in `pw-metadata -n settings`), mixing and resampling change the numbers.");
  } else if (device == "pipewire") {
    std::puts("  through PipeWire (pipewire-alsa), from its default source (`wpctl status`), converted to mono\n"
              "  44100 Hz: unless the source is mono (`pactl list short sources`) and PipeWire runs at 44100 Hz\n"
              "  (clock.rate in `pw-metadata -n settings`), mixing and resampling change the numbers.");
  } else if (device.find("(hw:") != std::string::npos) {
    std::puts("  directly from the sound card: the samples are the card's own.");
  }
}

}  // namespace

int main() {
  FillCaptureFormat();
  PortAudioSource source;
  const int count = source.deviceCount();
  std::printf("usable input devices: %d\n", count);
  if (count == 0) {
    std::puts("no device takes mono 16-bit 44100 Hz input: the program says \"Audio devices absent!\"");
    return 2;
  }
  std::string reason;
  if (!source.open(CaptureFormat, reason)) {
    std::printf("device 0 cannot be opened: %s\n", reason.c_str());
    return 1;
  }
  std::printf("device 0 (the program's input): %s\n", source.deviceName().c_str());
  describeWay(source.deviceName());

  using Clock = std::chrono::steady_clock;
  const auto opened = Clock::now();
  while (source.delivered() == 0 && Clock::now() - opened < std::chrono::milliseconds(kStartupWaitMs))
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  if (source.delivered() == 0) {
    std::printf("no samples arrived within %d s\n", kStartupWaitMs / 1000);
    return 1;
  }
  const double wait = std::chrono::duration<double>(Clock::now() - opened).count();
  source.discard();
  std::this_thread::sleep_for(std::chrono::seconds(1));
  std::vector<int16_t> samples(2 * kSampleRate);
  samples.resize(source.take(samples.data(), samples.size()));
  if (source.failed(reason)) {
    std::printf("the input stopped: %s\n", reason.c_str());
    return 1;
  }
  double sum = 0, deviation = 0;
  int low = 32767, high = -32768;
  for (int16_t s : samples) {
    sum += s;
    low = std::min<int>(low, s);
    high = std::max<int>(high, s);
  }
  const double mean = samples.empty() ? 0 : sum / samples.size();
  for (int16_t s : samples) deviation += std::fabs(s - mean);
  std::printf("first samples after %.1f s; in one second %zu samples, mean %.1f, "
              "mean deviation %.1f, from %d to %d\n",
              wait, samples.size(), mean, samples.empty() ? 0 : deviation / samples.size(), low, high);
  return samples.empty() ? 1 : 0;
}
