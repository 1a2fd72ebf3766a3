// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaveInApiSource.h"

#include <windows.h>
#include <mmsystem.h>

#include <functional>
#include <system_error>

#include "SystemAudioSource.h"

namespace {

// Each buffer holds 10 ms, as the blocks of the other back end: a capture
// cycle forgets what has arrived, pauses 40 or 70 ms and takes the first 760
// or 150 samples after. Eight of them queued give the worker 70 ms to hand a
// filled one over before the driver runs out.
constexpr size_t kSamplesPerBuffer = kSampleRate / 100;
constexpr size_t kBufferCount = 8;

WAVEFORMATEX pcmFormat(const WaveFormat& f) {
  WAVEFORMATEX w{};
  w.wFormatTag = f.wFormatTag;
  w.nChannels = f.nChannels;
  w.nSamplesPerSec = f.nSamplesPerSec;
  w.nAvgBytesPerSec = f.nAvgBytesPerSec;
  w.nBlockAlign = f.nBlockAlign;
  w.wBitsPerSample = f.wBitsPerSample;
  w.cbSize = 0;
  return w;
}

// The system's text in UTF-8, the program's encoding for every text. The
// system's own code page would garble any text that is not ASCII.
std::string utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return std::string();
  std::string converted(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, converted.data(), size, nullptr, nullptr);
  converted.resize(static_cast<size_t>(size) - 1);  // without the terminating zero
  return converted;
}

// "reason (device)", the reason in the system's words.
std::string describe(MMRESULT err, const std::string& device) {
  wchar_t text[MAXERRORLENGTH] = {};
  std::string reason = waveInGetErrorTextW(err, text, MAXERRORLENGTH) == MMSYSERR_NOERROR ? utf8(text) : "";
  if (reason.empty()) reason = "wave-input error " + std::to_string(err);
  if (!device.empty()) reason += " (" + device + ")";
  return reason;
}

}  // namespace

struct WaveInApiSource::Device {
  std::string name;
  HWAVEIN handle = nullptr;
  HANDLE done = nullptr;  // signalled by the driver whenever it has filled a buffer
  int16_t samples[kSamplesPerBuffer * kBufferCount] = {};
  WAVEHDR headers[kBufferCount] = {};
  size_t prepared = 0;
  size_t next = 0;  // the buffer the driver fills next: they come back in queue order
};

// Every step is tried, so that the system can let the device go. Where one
// fails, the driver may still hold buffers (a driver whose device has gone
// may fail the reset and leave the buffers queued), write into them and
// signal the event: such a device is kept, a small leak instead of memory
// that is overwritten after it was freed.
void WaveInApiSource::CloseDevice::operator()(Device* device) const {
  bool released = true;
  if (device->handle) {
    released = waveInReset(device->handle) == MMSYSERR_NOERROR;  // returns the queued buffers
    for (size_t i = 0; i < device->prepared; ++i)
      released = waveInUnprepareHeader(device->handle, &device->headers[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR &&
                 released;
    released = waveInClose(device->handle) == MMSYSERR_NOERROR && released;
  }
  if (!released) return;
  if (device->done) CloseHandle(device->done);
  delete device;
}

WaveInApiSource::WaveInApiSource() = default;

WaveInApiSource::~WaveInApiSource() { close(); }

// Wave-input devices in the system's order that take mono 16-bit 44100 Hz.
// The sound mapper (WAVE_MAPPER) is never one of them: it stands for
// whichever device the user's settings name, so device 0 would change with them.
bool WaveInApiSource::findDevices(std::vector<int>& devices, std::string&) {
  WAVEFORMATEX format = pcmFormat(ProgramCaptureFormat());
  const UINT count = waveInGetNumDevs();
  for (UINT id = 0; id < count; ++id) {
    if (waveInOpen(nullptr, id, &format, 0, 0, WAVE_FORMAT_QUERY) == MMSYSERR_NOERROR)
      devices.push_back(static_cast<int>(id));
  }
  return true;
}

bool WaveInApiSource::startDevice(int id, std::string& name, std::string& reason) {
  WAVEINCAPSW caps{};
  name = waveInGetDevCapsW(id, &caps, sizeof caps) == MMSYSERR_NOERROR ? utf8(caps.szPname) : "";
  std::unique_ptr<Device, CloseDevice> device(new Device);
  device->name = name;
  device->done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (!device->done) {
    reason = "no event for the audio input (" + name + ")";
    return false;
  }
  WAVEFORMATEX wave = pcmFormat(ProgramCaptureFormat());
  MMRESULT err = waveInOpen(&device->handle, id, &wave, reinterpret_cast<DWORD_PTR>(device->done), 0, CALLBACK_EVENT);
  if (err != MMSYSERR_NOERROR) {
    device->handle = nullptr;
    reason = describe(err, name);
    return false;
  }
  for (size_t i = 0; i < kBufferCount && err == MMSYSERR_NOERROR; ++i) {
    WAVEHDR& header = device->headers[i];
    header.lpData = reinterpret_cast<LPSTR>(device->samples + i * kSamplesPerBuffer);
    header.dwBufferLength = kSamplesPerBuffer * sizeof(int16_t);
    err = waveInPrepareHeader(device->handle, &header, sizeof(WAVEHDR));
    if (err == MMSYSERR_NOERROR) {
      ++device->prepared;
      err = waveInAddBuffer(device->handle, &header, sizeof(WAVEHDR));
    }
  }
  if (err == MMSYSERR_NOERROR) err = waveInStart(device->handle);
  if (err != MMSYSERR_NOERROR) {
    reason = describe(err, name);
    return false;  // CloseDevice closes what was opened
  }

  // The worker is not running yet, so what it shares can be reset from here.
  stop_.store(false, std::memory_order_relaxed);
  failed_.store(false, std::memory_order_relaxed);
  failure_.clear();
  // The device is kept only once its worker runs: close() joins that worker.
  try {
    worker_ = std::thread(&WaveInApiSource::run, this, std::ref(*device));
  } catch (const std::system_error& e) {
    reason = std::string("the audio input's thread did not start: ") + e.what() + " (" + name + ")";
    return false;
  }
  device_ = std::move(device);
  return true;
}

// The worker waits for the driver's signal and passes the filled buffers on
// in their order. waveIn functions may not be called from a driver callback,
// which is why the driver signals an event and this thread does the work.
// The wait is bounded: a device that has delivered and then stays silent for
// kSilenceLimitMs is lost (the wave-input API reports no error when a device
// goes, it just stops filling buffers). Before its first buffer, a device is
// still starting, which the caller's start-up wait judges.
void WaveInApiSource::run(Device& device) {
  bool delivering = false;
  for (;;) {
    const bool signalled = WaitForSingleObject(device.done, kSilenceLimitMs) == WAIT_OBJECT_0;
    if (stop_.load(std::memory_order_acquire)) return;
    if (!signalled && delivering) return fail(SilenceReason());
    while (device.headers[device.next].dwFlags & WHDR_DONE) {
      WAVEHDR& header = device.headers[device.next];
      ring_.push(reinterpret_cast<const int16_t*>(header.lpData), header.dwBytesRecorded / sizeof(int16_t));
      delivering = true;
      header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
      const MMRESULT err = waveInAddBuffer(device.handle, &header, sizeof(WAVEHDR));
      if (err != MMSYSERR_NOERROR) return fail(describe(err, device.name));
      device.next = (device.next + 1) % kBufferCount;
    }
  }
}

void WaveInApiSource::fail(std::string reason) {
  failure_ = std::move(reason);
  failed_.store(true, std::memory_order_release);
}

bool WaveInApiSource::deviceFailed(std::string& reason) {
  if (!failed_.load(std::memory_order_acquire)) return false;
  reason = failure_;
  return true;
}

void WaveInApiSource::stopDevice() {
  // The worker ends first, so that no waveIn call runs beside the ones that
  // close the device. Its wait is bounded, so it ends even without the signal.
  stop_.store(true, std::memory_order_release);
  SetEvent(device_->done);
  worker_.join();
  device_.reset();
}

AudioSource& SystemAudioSource() {
  static WaveInApiSource source;
  return source;
}
