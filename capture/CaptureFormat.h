// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The process-wide capture records shared by every measurement: the one fixed
// capture format, the one buffer header, and the two sample buffers.
#include <cstdint>

// Mirrors the multimedia WAVEFORMATEX record.
struct WaveFormat {
  uint16_t wFormatTag = 0;
  uint16_t nChannels = 0;
  uint32_t nSamplesPerSec = 0;
  uint32_t nAvgBytesPerSec = 0;
  uint16_t nBlockAlign = 0;
  uint16_t wBitsPerSample = 0;
  uint16_t cbSize = 0;
};

// Mirrors the three fields of WAVEHDR that the measurements set before each open.
struct CaptureHeader {
  int16_t* lpData = nullptr;
  uint32_t dwBufferLength = 0;  // bytes
  uint32_t dwFlags = 0;
};

constexpr uint16_t kWaveFormatPcm = 1;
constexpr uint32_t kHeaderDone = 1;  // WHDR_DONE
constexpr int kSampleRate = 44100;
constexpr int kSignalSamples = 760;
constexpr int kPointSamples = 150;

extern WaveFormat CaptureFormat;
extern CaptureHeader CaptureHdr;
extern int16_t SignalBuffer[kSignalSamples];
extern int16_t PointBuffer[kPointSamples];

// PCM, mono, 44100 Hz, 16 bits; filled once at main-window creation.
// The one format the program captures in: PCM, mono, 16 bits, 44100 Hz.
WaveFormat ProgramCaptureFormat();
// True for that format, the only one a back end opens.
bool IsProgramCaptureFormat(const WaveFormat& format);

void FillCaptureFormat();
