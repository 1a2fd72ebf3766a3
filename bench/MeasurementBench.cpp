// The program's own work in one monitor frame and one scan point, on the real
// main window (offscreen), with the pauses taken by a virtual clock. The
// "*Parts" benchmarks split the same work into its steps; allocation counts
// come from the replaced global allocator of tests/measure.
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
  long allocated = 0;
  MainForm->Spectr1Input->setChecked(true);
  for (auto _ : state) {
    frames = 0;
    allocations::Begin();
    MainForm->StartButtonClick();  // runs until the last frame's message pass
    allocated += allocations::End();
  }
  window.env.clock.onPause = nullptr;
  MainForm->StopButtonClick();
  BenchWindow::Settle();
  const double frameCount = static_cast<double>(state.iterations()) * kFramesPerRun;
  state.counters["frame"] = PerItem(kFramesPerRun);
  state.counters["allocs_per_frame"] = static_cast<double>(allocated) / frameCount;
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
  double capture = 0, clean = 0, scale = 0, trace = 0, handOver = 0;
  long drawAllocations = 0, handOverAllocations = 0, drawMost = 0, handOverMost = 0;
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
    const long drawn = allocations::End();
    allocations::Begin();
    benchmark::DoNotOptimize(MainForm->ProcessMessagesAndCheckStopped());
    const long shown = allocations::End();
    const Steady::time_point t5 = Steady::now();
    capture += Micros(t1 - t0);
    clean += Micros(t2 - t1);
    scale += Micros(t3 - t2);
    trace += Micros(t4 - t3);
    handOver += Micros(t5 - t4);
    drawAllocations += drawn;
    handOverAllocations += shown;
    drawMost = std::max(drawMost, drawn);
    handOverMost = std::max(handOverMost, shown);
  }
  WaveInClose();
  state.counters["capture_us"] = Average(capture);
  state.counters["clean_us"] = Average(clean);
  state.counters["scale_us"] = Average(scale);
  state.counters["trace_us"] = Average(trace);
  state.counters["handover_us"] = Average(handOver);
  state.counters["draw_allocs"] = Average(static_cast<double>(drawAllocations));
  state.counters["draw_allocs_max"] = static_cast<double>(drawMost);
  state.counters["handover_allocs"] = Average(static_cast<double>(handOverAllocations));
  state.counters["handover_allocs_max"] = static_cast<double>(handOverMost);
}
BENCHMARK(BM_MonitorFrameParts)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// A repaint of the whole client area (as after the window was covered):
// ClientArea::paintEvent with the tool bar and status bar on top.
void BM_ClientAreaFullRepaint(benchmark::State& state) {
  Window();
  BenchWindow::Settle();
  long allocated = 0;
  for (auto _ : state) {
    allocations::Begin();
    MainForm->Client->repaint();
    allocated += allocations::End();
  }
  state.counters["allocs"] = Average(static_cast<double>(allocated));
}
BENCHMARK(BM_ClientAreaFullRepaint)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

// Start with "Input signal" unchecked: RunScan over all 750 points, per point
// 20 capture calls with the arithmetic, the data list line, the curve segment
// and the message pass.
// With state.range(0) = 1 the data list window is open on the screen.
void BM_ScanPoint(benchmark::State& state) {
  Window();
  const bool listShown = state.range(0) != 0;
  if (listShown) DataForm->show();
  BenchWindow::Settle();
  long allocated = 0;
  MainForm->Spectr1Input->setChecked(false);
  for (auto _ : state) {
    allocations::Begin();
    MainForm->StartButtonClick();  // a whole scan
    allocated += allocations::End();
  }
  MainForm->Spectr1Input->setChecked(true);
  if (listShown) DataForm->hide();
  BenchWindow::Settle();
  state.counters["point"] = PerItem(kScanPoints);
  state.counters["allocs_per_point"] =
      static_cast<double>(allocated) / (static_cast<double>(state.iterations()) * kScanPoints);
}
BENCHMARK(BM_ScanPoint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The arithmetic of one point alone: 20 capture means over 150 samples and the point value.
void BM_PointArithmetic(benchmark::State& state) {
  std::vector<int16_t> samples = DetectorSignal(kCapturesPerPoint * kPointSamples);
  for (auto _ : state) {
    int32_t sum = 0;
    for (int capture = 0; capture < kCapturesPerPoint; ++capture)
      sum += CaptureMeanDeviation(samples.data() + capture * kPointSamples, kPointSamples, lmx::zero);
    benchmark::DoNotOptimize(PointValue(sum, lmx::weak));
  }
}
BENCHMARK(BM_PointArithmetic)->Unit(benchmark::kMicrosecond);

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
  long captureAllocations = 0, lineAllocations = 0, curveAllocations = 0, messageAllocations = 0;
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
    captureAllocations += allocations::End();
    const Steady::time_point t1 = Steady::now();
    allocations::Begin();
    MainForm->AppendDataLine(QString::number(lmx::Spectrum[k]));
    lineAllocations += allocations::End();
    const Steady::time_point t2 = Steady::now();
    allocations::Begin();
    if (k == 0)
      plot.MoveTo(kScanLeft, kScanBottom - lmx::Spectrum[0]);
    else
      plot.LineTo(kScanLeft + k, kScanBottom - lmx::Spectrum[k]);
    curveAllocations += allocations::End();
    const Steady::time_point t3 = Steady::now();
    allocations::Begin();
    benchmark::DoNotOptimize(MainForm->ProcessMessagesAndCheckStopped());
    messageAllocations += allocations::End();
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
  state.counters["capture_allocs"] = Average(static_cast<double>(captureAllocations));
  state.counters["dataline_allocs"] = Average(static_cast<double>(lineAllocations));
  state.counters["curve_allocs"] = Average(static_cast<double>(curveAllocations));
  state.counters["messages_allocs"] = Average(static_cast<double>(messageAllocations));
}
BENCHMARK(BM_ScanPointParts)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace
