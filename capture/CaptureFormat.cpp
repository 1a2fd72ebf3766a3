// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptureFormat.h"

WaveFormat CaptureFormat;
CaptureHeader CaptureHdr;
int16_t SignalBuffer[kSignalSamples];
int16_t PointBuffer[kPointSamples];

WaveFormat ProgramCaptureFormat() {
  WaveFormat f;
  f.wFormatTag = kWaveFormatPcm;
  f.nChannels = 1;
  f.nSamplesPerSec = kSampleRate;
  f.nAvgBytesPerSec = kSampleRate * 2;
  f.nBlockAlign = 2;
  f.wBitsPerSample = 16;
  f.cbSize = 0;
  return f;
}

bool IsProgramCaptureFormat(const WaveFormat& f) {
  return f.wFormatTag == kWaveFormatPcm && f.nChannels == 1 && f.wBitsPerSample == 16 &&
         f.nSamplesPerSec == static_cast<uint32_t>(kSampleRate);
}

void FillCaptureFormat() { CaptureFormat = ProgramCaptureFormat(); }
