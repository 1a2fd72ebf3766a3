// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's windows as a user has them, for benchmarks: created and shown
// on the offscreen platform with the zero level stored, a virtual clock and a
// replayed detector signal in place of the machine.
#include "bench/ReplayAudioSource.h"
#include "tests/support/TestEnvironment.h"

class BenchWindow {
 public:
  BenchWindow();
  ~BenchWindow();

  // Handles everything pending, so a measurement starts from an idle window.
  static void Settle();

  TestEnvironment env;
  ReplayAudioSource audio{env.clock, DetectorSignal()};
};

// The one set of windows of this process, created on first use and
// destroyed by ReleaseWindow() while the application object still exists.
BenchWindow& Window();
void ReleaseWindow();
