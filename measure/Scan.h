// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The spectrum scan: 750 equally timed points, each the mean absolute
// deviation of the input from its zero level over 20 short captures, divided
// by the attenuation, drawn as a red curve under a wavelength axis.
#include <QByteArray>
#include <cstdint>

#include "MeasureHost.h"

constexpr int kScanPoints = 750;
constexpr int kCapturesPerPoint = 20;
constexpr int kScanCaptureMs = 70;
constexpr int kScanLeft = 30;     // point k stands at x = 30 + k
constexpr int kScanBottom = 485;  // and y = 485 - S[k]

// The last scan as the data list shows it: the range in force when it began
// and the number of points it measured, Spectrum[0] to Spectrum[points - 1]
// (none before the first scan).
struct ScanRecord {
  int32_t start = 0;
  int32_t finish = 0;
  int points = 0;
};

namespace lmx {
extern int32_t Spectrum[kScanPoints];  // the points of the last scan
extern ScanRecord LastScan;
}

// Runs until the scan is complete, Stop is given or the input is lost, and
// leaves the Idle state.
void RunScan(MeasureHost& host);

// Rounded mean of |s - zero| over one capture.
int32_t CaptureMeanDeviation(const int16_t* samples, int count, int32_t zeroLevel);

// The final point value from the sum of its 20 rounded capture means.
int32_t PointValue(int32_t sumOfMeans, int32_t attenuation);

// The measured points as a CSV file: the line "point,wavelength,value", then
// one line per point k with k, the wavelength
// start + (finish - start) * k / 749 in angstrom and the value, each line
// ended by CR LF.
QByteArray ScanCsv(const ScanRecord& scan, const int32_t* values);

// A wavelength with one decimal and a "." in any locale, rounded to nearest
// with ties to even like every other rounding of the program.
QByteArray WavelengthText(double angstrom);
