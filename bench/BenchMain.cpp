// SPDX-License-Identifier: GPL-3.0-or-later
// Runs Google Benchmark inside a QApplication on Qt's offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

#include "bench/BenchWindow.h"

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  ReleaseWindow();
  return 0;
}
