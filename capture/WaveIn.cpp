// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaveIn.h"

#include <future>
#include <utility>

#include "CaptureFormat.h"
#include "Clock.h"
#include "SystemAudioSource.h"

namespace {

AudioSource* installed = nullptr;
std::future<int> countAhead;

struct DeviceState {
  bool open = false;
  bool lost = false;
  std::string error;
  uint64_t lastDelivered = 0;
  int64_t lastArrivalMs = 0;
} state;

size_t armedSamples() { return CaptureHdr.dwBufferLength / sizeof(int16_t); }

void markLost(const std::string& reason) {
  state.lost = true;
  state.error = reason;
}

// Notes fresh arrivals, or a silence long enough to call the input lost.
void watchDelivery() {
  std::string reason;
  if (audioSource().failed(reason)) {
    markLost(reason.empty() ? "the audio stream stopped" : reason);
    return;
  }
  const uint64_t delivered = audioSource().delivered();
  const int64_t now = activeClock().nowMs();
  if (delivered != state.lastDelivered) {
    state.lastDelivered = delivered;
    state.lastArrivalMs = now;
  } else if (now - state.lastArrivalMs >= kSilenceLimitMs) {
    markLost(SilenceReason());
  }
}

}  // namespace

AudioSource& audioSource() { return installed ? *installed : SystemAudioSource(); }

AudioSource* SetAudioSource(AudioSource* source) { return std::exchange(installed, source); }

int WaveInDeviceCount() { return countAhead.valid() ? countAhead.get() : audioSource().deviceCount(); }

void WaveInCountDevicesAhead() {
  AudioSource& source = audioSource();
  countAhead = std::async(std::launch::async, [&source] { return source.deviceCount(); });
}

void WaveInArm(int16_t* buffer, uint32_t bytes) {
  CaptureHdr.lpData = buffer;
  CaptureHdr.dwBufferLength = bytes;
  CaptureHdr.dwFlags = kHeaderDone;
}

bool WaveInOpen() { return WaveInStart() && WaveInAwaitFirstSamples(); }

bool WaveInStart() {
  state = DeviceState{};
  std::string reason;
  if (!audioSource().open(CaptureFormat, reason)) {
    audioSource().close();
    markLost(reason.empty() ? "the audio input cannot be opened" : reason);
    return false;
  }
  state.open = true;
  return true;
}

bool WaveInAwaitFirstSamples() {
  std::string reason;
  for (int waited = 0; audioSource().delivered() < kSettleSamples; waited += kPollMs) {
    if (audioSource().failed(reason)) {
      markLost(reason.empty() ? "the audio stream stopped" : reason);
      break;
    }
    if (waited >= kStartupWaitMs) {
      const uint64_t arrived = audioSource().delivered();
      const std::string within = " within " + std::to_string(kStartupWaitMs / 1000) + " seconds";
      markLost(arrived == 0 ? "no samples arrived" + within
                            : "only " + std::to_string(arrived) + " of the " + std::to_string(kSettleSamples) +
                                  " samples needed to start arrived" + within);
      break;
    }
    Pause(kPollMs);
  }
  if (state.lost) {
    WaveInClose();
    return false;
  }
  state.lastDelivered = audioSource().delivered();
  state.lastArrivalMs = activeClock().nowMs();
  RestartPace();  // the first capture cycle starts the measurement's rhythm
  return true;
}

size_t WaveInCycle(int ms) {
  audioSource().discard();
  // Paced, so that a measurement's cycles keep their rhythm over a whole scan.
  PacedPause(ms);
  const size_t got = audioSource().take(CaptureHdr.lpData, armedSamples());
  watchDelivery();
  return got;
}

size_t WaveInFillRest(size_t have, int maxWaitMs) {
  const size_t want = armedSamples();
  for (int waited = 0; have < want && waited < maxWaitMs && !state.lost; waited += kPollMs) {
    Pause(kPollMs);
    have += audioSource().take(CaptureHdr.lpData + have, want - have);
    watchDelivery();
  }
  return have;
}

bool WaveInLost() { return state.lost; }

const std::string& WaveInError() { return state.error; }

void WaveInClose() {
  audioSource().close();
  state.open = false;
}
