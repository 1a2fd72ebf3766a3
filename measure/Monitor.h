// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The input-signal monitor: an oscilloscope-like live trace of the input,
// redrawn every 40 ms until Stop.
#include <cstdint>

#include "MeasureHost.h"

constexpr int kMonitorFrameMs = 40;
constexpr int kMonitorBaseline = 250;
constexpr int kMonitorFirstSample = 9;  // samples 0 to 8 are not drawn
constexpr int kMonitorLeft = 20;        // sample n stands at x = n + 20

// Runs until the Stopped flag is set or the input is lost.
void RunMonitor(MeasureHost& host);

// One frame: clear the plot, scale the samples in place by the attenuation and
// draw them as a trace around the baseline of the zero level.
void DrawMonitorFrame(PlotSurface& plot, int16_t* samples, int32_t zeroLevel, int32_t attenuation);
