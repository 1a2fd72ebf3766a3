// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptureFormat.h"

WaveFormat CaptureFormat;
CaptureHeader CaptureHdr;
int16_t SignalBuffer[kSignalSamples];
int16_t PointBuffer[kPointSamples];

void FillCaptureFormat() {
  CaptureFormat.wFormatTag = kWaveFormatPcm;
  CaptureFormat.nChannels = 1;
  CaptureFormat.nSamplesPerSec = kSampleRate;
  CaptureFormat.nAvgBytesPerSec = kSampleRate * 2;
  CaptureFormat.nBlockAlign = 2;
  CaptureFormat.wBitsPerSample = 16;
  CaptureFormat.cbSize = 0;
}
