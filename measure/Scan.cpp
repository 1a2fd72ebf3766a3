// SPDX-License-Identifier: GPL-3.0-or-later
#include "Scan.h"

#include <QImage>
#include <algorithm>
#include <charconv>
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
ScanRecord LastScan;
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

QByteArray WavelengthText(double angstrom) {
  // std::to_chars rounds the exact binary value, ties to even, in no locale;
  // QString::number would take ties away from zero.
  char text[400];  // room for the largest double in fixed notation
  const auto end = std::to_chars(std::begin(text), std::end(text), angstrom, std::chars_format::fixed, 1).ptr;
  return QByteArray(text, static_cast<qsizetype>(end - text));
}

QByteArray ScanCsv(const ScanRecord& scan, const int32_t* values) {
  QByteArray csv = "point,wavelength,value\r\n";
  const int64_t span = int64_t{scan.finish} - scan.start;
  for (int k = 0; k < scan.points; ++k) {
    const double wavelength = scan.start + static_cast<double>(span * k) / (kScanPoints - 1);
    csv += QByteArray::number(k) + ',' + WavelengthText(wavelength) + ',' + QByteArray::number(values[k]) + "\r\n";
  }
  return csv;
}

namespace {

// Measures point k into Spectrum[k]; false when the input was lost meanwhile.
// A point during which not one sample arrived would only repeat the last
// capture's samples: it is measured again, and a silence that long is either
// over then or counts as a loss before the point is done. (A stream that
// fails ends the scan at once; a device that only stops delivering is lost
// once it has been silent for kSilenceLimitMs.)
bool MeasurePoint(int k) {
  size_t arrived = 0;
  while (arrived == 0) {
    lmx::Spectrum[k] = 0;
    for (int capture = 0; capture < kCapturesPerPoint; ++capture) {
      arrived += WaveInCycle(kScanCaptureMs);
      if (WaveInLost()) {
        lmx::Spectrum[k] = 0;  // an incomplete point is not a measurement
        return false;
      }
      lmx::Spectrum[k] += CaptureMeanDeviation(PointBuffer, kPointSamples, lmx::zero);
    }
  }
  lmx::Spectrum[k] = PointValue(lmx::Spectrum[k], lmx::weak);
  return true;
}

}  // namespace

void RunScan(MeasureHost& host) {
  PlotSurface& plot = host.Surfaces();
  host.SetRecordStatus(QStringLiteral(" Spectrum record"));
  // A scan that cannot start keeps the last scan's numbers and picture: the
  // data list, Spectrum and LastScan are cleared only once the input delivers.
  WaveInArm(PointBuffer, sizeof PointBuffer);
  if (!WaveInStart()) {
    EndWithAudioFailure(host, AudioFailure::CannotOpen);
    return;
  }
  const QImage before = plot.PlotImage();  // shared until Clean changes it
  plot.Clean();
  plot.Coordinat(lmx::start, lmx::finish);
  // The first point takes 1.4 s without a message pass: the cleared plot with
  // its axes is put on the screen before it, and before the wait for the
  // input's first samples (a sound server takes about half a second).
  host.ShowDrawingNow();
  if (!WaveInAwaitFirstSamples()) {
    plot.PlotImage() = before;
    plot.RepaintFromPlot();
    EndWithAudioFailure(host, AudioFailure::CannotOpen);
    return;
  }
  host.ClearDataList();
  std::fill(std::begin(lmx::Spectrum), std::end(lmx::Spectrum), 0);
  lmx::LastScan = {lmx::start, lmx::finish, 0};
  bool lost = false;
  for (int k = 0; k < kScanPoints; ++k) {
    if (!MeasurePoint(k)) {
      lost = true;
      break;
    }
    host.AppendDataLine(QString::number(lmx::Spectrum[k]));
    lmx::LastScan.points = k + 1;
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
