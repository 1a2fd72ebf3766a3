// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The wave-input operations that every measurement uses, in the fixed order
// arm, open, capture cycles, close, on the process-wide capture header.
//
// Beyond the bare device calls they notice a device that is lost: a stream
// that reports an error, or no sample at all for kSilenceLimitMs
// (AudioSource.h). A device that takes a while to start (a sound server) is
// waited for at open, so its start-up delay never counts as a loss.
#include <cstddef>
#include <cstdint>
#include <string>

#include "AudioSource.h"

constexpr int kStartupWaitMs = 5000;   // longest wait for the first samples after open
// Samples a device delivers before a capture may begin: PipeWire (through
// its PulseAudio service) may start a recording with up to one of its cycles
// (1024 samples) of silence, which must not count as the input.
constexpr int kSettleSamples = 2048;
constexpr int kPollMs = 10;            // step of the waits above

// The back end in use; tests install a double and get back the one it
// replaces. nullptr restores the real one.
AudioSource& audioSource();
AudioSource* SetAudioSource(AudioSource* source);

// Number of usable wave input devices (0: none).
int WaveInDeviceCount();
// Starts the count above on a thread of its own, for a start-up that makes
// its windows meanwhile: a sound system may take a tenth of a second to probe
// its cards. The next WaveInDeviceCount() waits for that count and answers
// with it. Nothing else may use the input until then.
void WaveInCountDevicesAhead();

// Points the capture header at `buffer` of `bytes` bytes, flags = done.
void WaveInArm(int16_t* buffer, uint32_t bytes);

// Opens device 0 with the capture format, starts it and waits (bounded) for
// its first samples. On false, WaveInError() says why and the device is closed.
bool WaveInOpen();

// The same in two steps, so that a measurement can draw between them: the
// first opens and starts the device, the second waits for its first samples
// (a sound server may take a moment to deliver them).
bool WaveInStart();
bool WaveInAwaitFirstSamples();

// One capture cycle: forget older samples, pause `ms`, then copy the first
// samples that arrived into the armed buffer. The pause is a paced one: the
// cycles after an open follow each other every `ms`, the time spent between
// them included. Returns how many were copied;
// the rest of the buffer keeps what it held. Sets WaveInLost() when the
// device failed or has delivered nothing for kSilenceLimitMs.
size_t WaveInCycle(int ms);

// Keeps taking samples into the armed buffer after `have` until it is full,
// waiting at most `maxWaitMs`. Returns the number of samples now in it.
size_t WaveInFillRest(size_t have, int maxWaitMs);

bool WaveInLost();
const std::string& WaveInError();

void WaveInClose();
