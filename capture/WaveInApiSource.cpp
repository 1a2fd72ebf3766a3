// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaveInApiSource.h"

#include <windows.h>
#include <mmsystem.h>

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

// "reason (device)", the reason in the system's words.
std::string describe(MMRESULT err, const std::string& device) {
  char text[MAXERRORLENGTH] = {};
  std::string reason = waveInGetErrorTextA(err, text, sizeof text) == MMSYSERR_NOERROR && text[0]
                           ? std::string(text)
                           : "wave-input error " + std::to_string(err);
  if (!device.empty()) reason += " (" + device + ")";
  return reason;
}

// Wave-input devices in the system's order that take mono 16-bit 44100 Hz.
// The sound mapper (WAVE_MAPPER) is never one of them: it stands for
// whichever device the user's settings name, so device 0 would change with them.
std::vector<UINT> usableDevices() {
  std::vector<UINT> devices;
  WAVEFORMATEX format = pcmFormat(ProgramCaptureFormat());
  const UINT count = waveInGetNumDevs();
  for (UINT id = 0; id < count; ++id) {
    if (waveInOpen(nullptr, id, &format, 0, 0, WAVE_FORMAT_QUERY) == MMSYSERR_NOERROR) devices.push_back(id);
  }
  return devices;
}

}  // namespace

struct WaveInApiSource::Device {
  HWAVEIN handle = nullptr;
  HANDLE done = nullptr;  // signalled by the driver whenever it has filled a buffer
  std::vector<int16_t> samples = std::vector<int16_t>(kSamplesPerBuffer * kBufferCount);
  WAVEHDR headers[kBufferCount] = {};
  size_t prepared = 0;
  size_t next = 0;  // the buffer the driver fills next: they come back in queue order

  ~Device() {
    if (handle) {
      waveInReset(handle);  // returns the queued buffers
      for (size_t i = 0; i < prepared; ++i) waveInUnprepareHeader(handle, &headers[i], sizeof(WAVEHDR));
      waveInClose(handle);
    }
    if (done) CloseHandle(done);
  }
};

WaveInApiSource::WaveInApiSource() = default;

WaveInApiSource::~WaveInApiSource() { close(); }

int WaveInApiSource::deviceCount() {
  // An open device would answer for its own use; report what was found before.
  if (device_) return lastCount_;
  lastCount_ = static_cast<int>(usableDevices().size());
  return lastCount_;
}

bool WaveInApiSource::open(const WaveFormat& format, std::string& reason) {
  close();
  if (!IsProgramCaptureFormat(format)) {
    reason = "unsupported capture format";
    return false;
  }
  const std::vector<UINT> devices = usableDevices();
  lastCount_ = static_cast<int>(devices.size());
  if (devices.empty()) {
    reason = "no audio input device";
    return false;
  }
  const UINT id = devices.front();
  WAVEINCAPSA caps{};
  const std::string name = waveInGetDevCapsA(id, &caps, sizeof caps) == MMSYSERR_NOERROR ? caps.szPname : "";

  auto device = std::make_unique<Device>();
  device->done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
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
    header.lpData = reinterpret_cast<LPSTR>(device->samples.data() + i * kSamplesPerBuffer);
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
    return false;  // the Device closes what was opened
  }

  // The worker is not running yet, so everything it shares can be reset from here.
  ring_.discardAll();
  deliveredAtOpen_ = ring_.delivered();
  stop_.store(false, std::memory_order_relaxed);
  failed_.store(false, std::memory_order_relaxed);
  failure_.clear();
  deviceName_ = name;
  device_ = std::move(device);
  worker_ = std::thread(&WaveInApiSource::run, this);
  return true;
}

// The worker waits for the driver's signal and passes the filled buffers on
// in their order. waveIn functions may not be called from a driver callback,
// which is why the driver signals an event and this thread does the work.
void WaveInApiSource::run() {
  Device& device = *device_;
  for (;;) {
    WaitForSingleObject(device.done, INFINITE);
    if (stop_.load(std::memory_order_acquire)) return;
    while (device.headers[device.next].dwFlags & WHDR_DONE) {
      WAVEHDR& header = device.headers[device.next];
      ring_.push(reinterpret_cast<const int16_t*>(header.lpData), header.dwBytesRecorded / sizeof(int16_t));
      header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
      const MMRESULT err = waveInAddBuffer(device.handle, &header, sizeof(WAVEHDR));
      if (err != MMSYSERR_NOERROR) {
        failure_ = describe(err, deviceName_);
        failed_.store(true, std::memory_order_release);
        return;
      }
      device.next = (device.next + 1) % kBufferCount;
    }
  }
}

void WaveInApiSource::discard() { ring_.discardAll(); }

size_t WaveInApiSource::take(int16_t* dst, size_t max) { return ring_.pop(dst, max); }

uint64_t WaveInApiSource::delivered() const { return ring_.delivered() - deliveredAtOpen_; }

bool WaveInApiSource::failed(std::string& reason) {
  if (!device_ || !failed_.load(std::memory_order_acquire)) return false;
  reason = failure_;
  return true;
}

void WaveInApiSource::close() {
  if (!device_) return;
  // The worker ends first, so that no waveIn call runs beside the ones below.
  stop_.store(true, std::memory_order_release);
  SetEvent(device_->done);
  worker_.join();
  device_.reset();  // reset, unprepare and close the device
  deviceName_.clear();
}

AudioSource& SystemAudioSource() {
  static WaveInApiSource source;
  return source;
}
