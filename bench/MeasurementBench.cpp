// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own work in one monitor frame and one scan point, on the real
// main window (offscreen), with the pauses taken by a virtual clock. The
// "*Parts" benchmarks split the same work into its steps and count the heap
// allocations of the program's own steps with the replaced global allocator
// of tests/measure. scripts/bench.sh runs the monitor frame once more with
// QT_SCALE_FACTOR=2.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <algorithm>
#include <chrono>

#include "Calibration.h"
#include "CaptureFormat.h"
#include "DataUnit.h"
#include "MainUnit.h"
#include "Monitor.h"
#include "Rounding.h"
#include "Scan.h"
#include "Settings.h"
#include "WaveIn.h"
#include "bench/BenchWindow.h"
#include "tests/measure/AllocationCounter.h"

namespace {

using Steady = std::chrono::steady_clock;

double Micros(Steady::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

// Counts the paint events of one widget, to show that every frame reaches the screen.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) : widget_(widget) { widget_->installEventFilter(this); }
  ~PaintCounter() override { widget_->removeEventFilter(this); }
  long paints = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == widget_ && event->type() == QEvent::Paint) ++paints;
    return false;
  }

 private:
  QWidget* widget_;
};

benchmark::Counter PerItem(double itemsPerIteration) {
  return benchmark::Counter(itemsPerIteration,
                            benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

benchmark::Counter Average(double total) { return benchmark::Counter(total, benchmark::Counter::kAvgIterations); }

// Frames per run of the monitor: 10 s of virtual time, so that opening the
// input is a negligible share.
constexpr int kFramesPerRun = 250;

// Start with "Input signal" checked, as the user gives it: RunMonitor with
// per frame the capture call, Clean, scaling, the trace on both surfaces and
// the message pass that paints the client area.
void BM_MonitorFrame(benchmark::State& state) {
  BenchWindow& window = Window();
  BenchWindow::Settle();
  int frames = 0;
  window.env.clock.onPause = [&frames](int ms) {
    if (ms == kMonitorFrameMs && ++frames == kFramesPerRun) MainForm->Stopped = true;
  };
  PaintCounter painted(MainForm->Client);
  MainForm->Spectr1Input->setChecked(true);
  for (auto _ : state) {
    frames = 0;
    MainForm->StartButtonClick();  // runs until the last frame's message pass
  }
  window.env.clock.onPause = nullptr;
  MainForm->StopButtonClick();
  BenchWindow::Settle();
  const double frameCount = static_cast<double>(state.iterations()) * kFramesPerRun;
  state.counters["frame"] = PerItem(kFramesPerRun);
  state.counters["paints_per_frame"] = static_cast<double>(painted.paints) / frameCount;
}
BENCHMARK(BM_MonitorFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same frame step by step, as DrawMonitorFrame and RunMonitor do it.
void BM_MonitorFrameParts(benchmark::State& state) {
  Window();
  BenchWindow::Settle();
  PlotSurface& plot = MainForm->Plot;
  WaveInArm(SignalBuffer, sizeof SignalBuffer);
  WaveInOpen();
  double capture = 0, clean = 0, scale = 0, trace = 0, messages = 0;
  long drawMost = 0;
  for (auto _ : state) {
    const Steady::time_point t0 = Steady::now();
    allocations::Begin();
    WaveInCycle(kMonitorFrameMs);
    benchmark::DoNotOptimize(WaveInLost());
    const Steady::time_point t1 = Steady::now();
    plot.Clean();
    const Steady::time_point t2 = Steady::now();
    for (int n = 0; n < kSignalSamples; ++n)
      SignalBuffer[n] = static_cast<int16_t>(RoundHalfEven(SignalBuffer[n] / static_cast<double>(lmx::weak)));
    const Steady::time_point t3 = Steady::now();
    const int base = kMonitorBaseline - RoundHalfEven(lmx::zero / static_cast<double>(lmx::weak));
    plot.MoveTo(kMonitorFirstSample + kMonitorLeft, base + SignalBuffer[kMonitorFirstSample]);
    for (int n = kMonitorFirstSample + 1; n < kSignalSamples; ++n)
      plot.LineTo(n + kMonitorLeft, base + SignalBuffer[n]);
    const Steady::time_point t4 = Steady::now();
    drawMost = std::max(drawMost, allocations::End());
    benchmark::DoNotOptimize(MainForm->ProcessMessagesAndCheckStopped());
    const Steady::time_point t5 = Steady::now();
    capture += Micros(t1 - t0);
    clean += Micros(t2 - t1);
    scale += Micros(t3 - t2);
    trace += Micros(t4 - t3);
    messages += Micros(t5 - t4);
  }
  WaveInClose();
  state.counters["capture_us"] = Average(capture);
  state.counters["clean_us"] = Average(clean);
  state.counters["scale_us"] = Average(scale);
  state.counters["trace_us"] = Average(trace);
  state.counters["messages_us"] = Average(messages);
  state.counters["draw_allocs_max"] = static_cast<double>(drawMost);
}
BENCHMARK(BM_MonitorFrameParts)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// Start with "Input signal" unchecked: RunScan over all 750 points, per point
// 20 capture calls with the arithmetic, the data list line, the curve segment
// and the message pass.
// With state.range(0) = 1 the data list window is open on the screen.
void BM_ScanPoint(benchmark::State& state) {
  Window();
  const bool listShown = state.range(0) != 0;
  if (listShown) DataForm->show();
  BenchWindow::Settle();
  MainForm->Spectr1Input->setChecked(false);
  for (auto _ : state) MainForm->StartButtonClick();  // a whole scan
  MainForm->Spectr1Input->setChecked(true);
  if (listShown) DataForm->hide();
  BenchWindow::Settle();
  state.counters["point"] = PerItem(kScanPoints);
}
BENCHMARK(BM_ScanPoint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// One scan point step by step, as RunScan does it.
void BM_ScanPointParts(benchmark::State& state) {
  Window();
  BenchWindow::Settle();
  PlotSurface& plot = MainForm->Plot;
  WaveInArm(PointBuffer, sizeof PointBuffer);
  WaveInOpen();
  int k = 0;
  auto restart = [&plot, &k] {
    MainForm->ClearDataList();
    plot.Clean();
    plot.Coordinat(lmx::start, lmx::finish);
    std::fill(std::begin(lmx::Spectrum), std::end(lmx::Spectrum), 0);
    BenchWindow::Settle();
    k = 0;
  };
  restart();
  double capture = 0, line = 0, curve = 0, messages = 0;
  long ownMost = 0;
  for (auto _ : state) {
    if (k == kScanPoints) {
      state.PauseTiming();
      restart();
      state.ResumeTiming();
    }
    const Steady::time_point t0 = Steady::now();
    allocations::Begin();
    for (int c = 0; c < kCapturesPerPoint; ++c) {
      WaveInCycle(kScanCaptureMs);
      benchmark::DoNotOptimize(WaveInLost());
      lmx::Spectrum[k] += CaptureMeanDeviation(PointBuffer, kPointSamples, lmx::zero);
    }
    lmx::Spectrum[k] = PointValue(lmx::Spectrum[k], lmx::weak);
    long own = allocations::End();
    const Steady::time_point t1 = Steady::now();
    MainForm->AppendDataLine(QString::number(lmx::Spectrum[k]));
    const Steady::time_point t2 = Steady::now();
    allocations::Begin();
    if (k == 0)
      plot.MoveTo(kScanLeft, kScanBottom - lmx::Spectrum[0]);
    else
      plot.LineTo(kScanLeft + k, kScanBottom - lmx::Spectrum[k]);
    own += allocations::End();
    ownMost = std::max(ownMost, own);
    const Steady::time_point t3 = Steady::now();
    benchmark::DoNotOptimize(MainForm->ProcessMessagesAndCheckStopped());
    const Steady::time_point t4 = Steady::now();
    capture += Micros(t1 - t0);
    line += Micros(t2 - t1);
    curve += Micros(t3 - t2);
    messages += Micros(t4 - t3);
    ++k;
  }
  WaveInClose();
  state.counters["capture_arith_us"] = Average(capture);
  state.counters["dataline_us"] = Average(line);
  state.counters["curve_us"] = Average(curve);
  state.counters["messages_us"] = Average(messages);
  state.counters["own_allocs_max"] = static_cast<double>(ownMost);
}
BENCHMARK(BM_ScanPointParts)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace
