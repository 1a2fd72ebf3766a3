// SPDX-License-Identifier: GPL-3.0-or-later
#include "PortAudioSource.h"

#include <portaudio.h>

#include <algorithm>
#include <cstring>

#include "SystemAudioSource.h"

#ifdef LMX_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif

#if __has_include(<dlfcn.h>)
#include <dlfcn.h>
#define LMX_HAVE_DLFCN 1
#endif

namespace {

#ifdef LMX_HAVE_ALSA
void quietAlsa(const char*, int, const char*, int, const char*, ...) {}
#endif
void quietJack(const char*) {}

// Probing devices makes ALSA and JACK print a page of complaints about
// unavailable cards and servers; none of it is useful to the user.
void silenceAudioLibraries() {
#ifdef LMX_HAVE_ALSA
  snd_lib_error_set_handler(&quietAlsa);
#endif
#ifdef LMX_HAVE_DLFCN
  // JACK is only present when PortAudio was built with it, so look it up at
  // run time instead of linking to it.
  using SetPrinter = void (*)(void (*)(const char*));
  for (const char* name : {"jack_set_error_function", "jack_set_info_function"}) {
    if (void* fn = dlsym(RTLD_DEFAULT, name)) reinterpret_cast<SetPrinter>(fn)(&quietJack);
  }
#endif
}

// Device names that stand for another device rather than a card of their own.
bool isMapperOrAlias(const char* name) {
  if (!name) return true;
  for (const char* alias : {"default", "sysdefault", "dmix", "null"}) {
    if (std::strcmp(name, alias) == 0) return true;
  }
  return std::strstr(name, "Sound Mapper") || std::strstr(name, "Primary Sound Capture");
}

// Samples are handed over in blocks of 10 ms, three or more of them buffered. A
// capture cycle forgets what has arrived, pauses (40 ms for a monitor frame,
// 70 ms for a scan capture) and takes the first 760 or 150 samples that
// arrived after. Even when a block lands just before the forgetting, the next
// two bring 882 samples within 20 ms, leaving 20 ms for a block that comes
// late. Smaller blocks only wake the sound server and the audio thread more
// often: at a sound server's default low latency (about 9 ms, split in small
// pieces) both ran some 500 times a second.
constexpr unsigned long kFramesPerBlock = kSampleRate / 100;
constexpr double kInputLatencySeconds = 0.03;

PaStreamParameters monoInput(PaDeviceIndex device, const PaDeviceInfo& info) {
  PaStreamParameters p{};
  p.device = device;
  p.channelCount = 1;
  p.sampleFormat = paInt16;
  // At least the higher of the two latencies PortAudio suggests for the
  // device (about 35 ms): a sound server's cycle must fit into the device's
  // buffer. With the low one (about 9 ms), PipeWire's ALSA plug-in loses
  // samples in every cycle once PipeWire runs cycles of 1024 samples (as on
  // virtual machines), and it pulls PipeWire's whole graph down to cycles of
  // a few milliseconds, which a busy machine misses.
  p.suggestedLatency = std::max(kInputLatencySeconds, info.defaultHighInputLatency);
  p.hostApiSpecificStreamInfo = nullptr;
  return p;
}

std::string describe(PaError err, const std::string& device) {
  std::string text = Pa_GetErrorText(err);
  if (err == paUnanticipatedHostError) {
    const PaHostErrorInfo* host = Pa_GetLastHostErrorInfo();
    if (host && host->errorText && *host->errorText) {
      text += ": ";
      text += host->errorText;
    }
  }
  if (!device.empty()) text += " (" + device + ")";
  return text;
}


}  // namespace

// Runs on PortAudio's audio thread: nothing here may allocate, lock or block.
struct PortAudioCallbacks {
  static int audio(const void* input, void*, unsigned long frames,
                   const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void* self) {
    if (input) static_cast<PortAudioSource*>(self)->ring_.push(static_cast<const int16_t*>(input), frames);
    return paContinue;
  }

  // Called whenever the stream becomes inactive: after close() asked for it,
  // or on its own when the host API gave up on the device.
  static void finished(void* self) {
    static_cast<PortAudioSource*>(self)->finished_.store(true, std::memory_order_release);
  }
};

PortAudioSource::PortAudioSource() = default;

PortAudioSource::~PortAudioSource() {
  close();
  if (initialized_) Pa_Terminate();
}

bool PortAudioSource::initialize(std::string& reason) {
  if (initialized_) return true;
  silenceAudioLibraries();
  const PaError err = Pa_Initialize();
  if (err != paNoError) {
    reason = describe(err, std::string());
    return false;
  }
  initialized_ = true;
  return true;
}

// Input devices of the default host API, in its list order, that take mono
// 16-bit 44100 Hz. The order is the host's, never its idea of a default device,
// so device 0 is the same card on every run.
bool PortAudioSource::findDevices(std::vector<int>& devices, std::string& reason) {
  if (!initialize(reason)) return false;
  const PaHostApiIndex api = Pa_GetDefaultHostApi();
  if (api < 0) return true;
  const PaHostApiInfo* apiInfo = Pa_GetHostApiInfo(api);
  if (!apiInfo) return true;
  for (int i = 0; i < apiInfo->deviceCount; ++i) {
    const PaDeviceIndex device = Pa_HostApiDeviceIndexToDeviceIndex(api, i);
    if (device < 0) continue;
    const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
    if (!info || info->maxInputChannels < 1 || isMapperOrAlias(info->name)) continue;
    const PaStreamParameters in = monoInput(device, *info);
    if (Pa_IsFormatSupported(&in, nullptr, kSampleRate) == paFormatIsSupported) devices.push_back(device);
  }
  return true;
}

bool PortAudioSource::startDevice(int device, std::string& name, std::string& reason) {
  const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
  if (!info) {
    reason = "no audio input device";
    return false;
  }
  name = info->name ? info->name : "";
  finished_.store(false, std::memory_order_relaxed);

  const PaStreamParameters in = monoInput(device, *info);
  PaStream* stream = nullptr;
  PaError err = Pa_OpenStream(&stream, &in, nullptr, kSampleRate, kFramesPerBlock, paNoFlag,
                              &PortAudioCallbacks::audio, this);
  if (err != paNoError) {
    reason = describe(err, name);
    return false;
  }
  err = Pa_SetStreamFinishedCallback(stream, &PortAudioCallbacks::finished);
  if (err == paNoError) err = Pa_StartStream(stream);
  if (err != paNoError) {
    reason = describe(err, name);
    Pa_CloseStream(stream);
    return false;
  }
  stream_ = stream;
  return true;
}

bool PortAudioSource::deviceFailed(std::string& reason) {
  const PaError active = Pa_IsStreamActive(stream_);
  if (active == 1 && !finished_.load(std::memory_order_acquire)) return false;
  reason = active < 0 ? describe(active, deviceName()) : std::string("the audio stream stopped");
  return true;
}

void PortAudioSource::stopDevice() {
  PaStream* stream = stream_;
  stream_ = nullptr;
  // Pa_CloseStream would skip the close if an abort inside it failed, so abort first.
  if (Pa_IsStreamStopped(stream) == 0) Pa_AbortStream(stream);
  Pa_CloseStream(stream);
}

AudioSource& SystemAudioSource() {
  static PortAudioSource source;
  return source;
}
