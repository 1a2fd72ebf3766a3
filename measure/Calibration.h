// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The zero level of the input: the mean of its samples with no signal,
// measured once and kept in the settings key as "zero".
#include <cstdint>

#include "KeyStore.h"
#include "MeasureHost.h"

namespace lmx {
extern int32_t zero;  // sample units; 0 until read or measured
}

constexpr int kCalibrationWaitSteps = 20;    // 20 x 100 ms before the capture
constexpr int kCalibrationStepMs = 100;
constexpr int kCalibrationCaptureMs = 100;
constexpr int kCalibrationFillWaitMs = 2000;  // longest wait for a partly filled buffer

// Reads "zero" from the key, or measures and stores it when absent. Shows the
// progress window while measuring. Errors are reported through the host; a
// failed measurement leaves "zero" absent and the zero level 0.
void Calibrate(KeyStore& store, MeasureHost& host);

// The zero level of a full Signal buffer: the rounded mean of its samples.
int32_t ZeroLevelOf(const int16_t* samples, int count);
