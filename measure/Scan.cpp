#include "Scan.h"

#include <algorithm>
#include <cstdlib>

#include "AudioLoss.h"
#include "Calibration.h"
#include "CaptureFormat.h"
#include "PlotSurface.h"
#include "Rounding.h"
#include "Settings.h"
#include "WaveIn.h"

namespace lmx {
int32_t Spectrum[kScanPoints];
}

int32_t CaptureMeanDeviation(const int16_t* samples, int count, int32_t zeroLevel) {
  int64_t sum = 0;
  for (int i = 0; i < count; ++i) sum += std::llabs(int64_t{samples[i]} - zeroLevel);
  return RoundHalfEven(static_cast<double>(sum) / count);
}

int32_t PointValue(int32_t sumOfMeans, int32_t attenuation) {
  const int32_t average = RoundHalfEven(sumOfMeans / static_cast<double>(kCapturesPerPoint));
  return RoundHalfEven(average / static_cast<double>(attenuation));
}

namespace {

// Measures point k into Spectrum[k]; false when the input was lost meanwhile.
bool MeasurePoint(int k) {
  for (int capture = 0; capture < kCapturesPerPoint; ++capture) {
    WaveInCycle(kScanCaptureMs);
    if (WaveInLost()) {
      lmx::Spectrum[k] = 0;  // an incomplete point is not a measurement
      return false;
    }
    lmx::Spectrum[k] += CaptureMeanDeviation(PointBuffer, kPointSamples, lmx::zero);
  }
  lmx::Spectrum[k] = PointValue(lmx::Spectrum[k], lmx::weak);
  return true;
}

}  // namespace

void RunScan(MeasureHost& host) {
  PlotSurface& plot = host.Surfaces();
  host.SetRecordStatus(QStringLiteral(" Spectrum record"));
  // The data list still holds the last scan's numbers: it is cleared only
  // once the device is open, so a scan that cannot start loses nothing.
  WaveInArm(PointBuffer, sizeof PointBuffer);
  std::fill(std::begin(lmx::Spectrum), std::end(lmx::Spectrum), 0);
  if (!WaveInOpen()) {
    EndWithAudioFailure(host, AudioFailure::CannotOpen);
    return;
  }
  plot.Clean();
  plot.Coordinat(lmx::start, lmx::finish);
  // The first point takes 1.4 s without a message pass: the cleared plot with
  // its axes must be on the screen before it.
  host.ShowDrawingNow();
  host.ClearDataList();
  bool lost = false;
  for (int k = 0; k < kScanPoints; ++k) {
    if (!MeasurePoint(k)) {
      lost = true;
      break;
    }
    host.AppendDataLine(QString::number(lmx::Spectrum[k]));
    if (k == 0)
      plot.MoveTo(kScanLeft, kScanBottom - lmx::Spectrum[0]);
    else
      plot.LineTo(kScanLeft + k, kScanBottom - lmx::Spectrum[k]);
    // The first point runs without message processing and without a stop check.
    if (k >= 1 && host.ProcessMessagesAndCheckStopped()) break;
  }
  WaveInClose();
  if (lost)
    EndWithAudioFailure(host, AudioFailure::Lost);
  else
    host.EndRecording();
}
