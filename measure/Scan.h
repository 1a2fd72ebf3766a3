#pragma once
// The spectrum scan: 750 equally timed points, each the mean absolute
// deviation of the input from its zero level over 20 short captures, divided
// by the attenuation, drawn as a red curve under a wavelength axis.
#include <cstdint>

#include "MeasureHost.h"

constexpr int kScanPoints = 750;
constexpr int kCapturesPerPoint = 20;
constexpr int kScanCaptureMs = 70;
constexpr int kScanLeft = 30;     // point k stands at x = 30 + k
constexpr int kScanBottom = 485;  // and y = 485 - S[k]

namespace lmx {
extern int32_t Spectrum[kScanPoints];  // the points of the last scan
}

// Runs until the scan is complete, Stop is given or the input is lost, and
// leaves the Idle state.
void RunScan(MeasureHost& host);

// Rounded mean of |s - zero| over one capture.
int32_t CaptureMeanDeviation(const int16_t* samples, int count, int32_t zeroLevel);

// The final point value from the sum of its 20 rounded capture means.
int32_t PointValue(int32_t sumOfMeans, int32_t attenuation);
