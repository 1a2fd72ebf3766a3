// SPDX-License-Identifier: GPL-3.0-or-later
#include "Monitor.h"

#include "AudioLoss.h"
#include "Calibration.h"
#include "CaptureFormat.h"
#include "PlotSurface.h"
#include "Rounding.h"
#include "Settings.h"
#include "WaveIn.h"

void DrawMonitorFrame(PlotSurface& plot, int16_t* samples, int32_t zeroLevel, int32_t attenuation) {
  plot.Clean();
  for (int n = 0; n < kSignalSamples; ++n)
    samples[n] = static_cast<int16_t>(RoundHalfEven(samples[n] / static_cast<double>(attenuation)));
  // Larger samples are drawn lower: the scaled sample is added to the baseline.
  const int base = kMonitorBaseline - RoundHalfEven(zeroLevel / static_cast<double>(attenuation));
  plot.MoveTo(kMonitorFirstSample + kMonitorLeft, base + samples[kMonitorFirstSample]);
  for (int n = kMonitorFirstSample + 1; n < kSignalSamples; ++n) plot.LineTo(n + kMonitorLeft, base + samples[n]);
}

void RunMonitor(MeasureHost& host) {
  WaveInArm(SignalBuffer, sizeof SignalBuffer);
  host.SetRecordStatus(QStringLiteral(" Input signal record"));
  if (!WaveInOpen()) {
    EndWithAudioFailure(host, AudioFailure::CannotOpen);
    return;
  }
  for (;;) {
    WaveInCycle(kMonitorFrameMs);
    if (WaveInLost()) {
      WaveInClose();
      EndWithAudioFailure(host, AudioFailure::Lost);
      return;
    }
    DrawMonitorFrame(host.Surfaces(), SignalBuffer, lmx::zero, lmx::weak);
    if (host.ProcessMessagesAndCheckStopped()) break;
  }
  WaveInClose();
}
