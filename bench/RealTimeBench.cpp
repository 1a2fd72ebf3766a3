// SPDX-License-Identifier: GPL-3.0-or-later
// The real pause and the real pace of a scan: these run in wall time (about
// 85 s in all), so they are kept apart from the quick benchmarks.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <algorithm>
#include <chrono>
#include <thread>

#include "Clock.h"
#include "DataUnit.h"
#include "MainUnit.h"
#include "Scan.h"
#include "WaveIn.h"
#include "bench/BenchWindow.h"
#include "tests/support/FakeAudioSource.h"

namespace {

using Steady = std::chrono::steady_clock;

double Micros(Steady::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

// SystemClock::pause as the program uses it, one pause per iteration.
void BM_Pause(benchmark::State& state) {
  const int ms = static_cast<int>(state.range(0));
  SystemClock clock;
  double total = 0, most = 0;
  for (auto _ : state) {
    const Steady::time_point begin = Steady::now();
    clock.pause(ms);
    const double over = Micros(Steady::now() - begin) - ms * 1000.0;
    total += over;
    most = std::max(most, over);
  }
  state.counters["overshoot_mean_us"] = total / static_cast<double>(state.iterations());
  state.counters["overshoot_max_us"] = most;
}
BENCHMARK(BM_Pause)->Arg(40)->Arg(70)->Arg(100)->Iterations(50)->Unit(benchmark::kMillisecond);

// Paced pauses as the capture cycles use them, with 0.5 ms of work between
// them: how late each one ends against the rhythm started by the first.
void BM_PacedPause(benchmark::State& state) {
  const int ms = static_cast<int>(state.range(0));
  SystemClock clock;
  clock.restartPace();
  double total = 0, most = 0;
  int64_t done = 0;
  Steady::time_point start;
  for (auto _ : state) {
    const Steady::time_point busyUntil = Steady::now() + std::chrono::microseconds(500);
    while (Steady::now() < busyUntil) {
    }
    if (done == 0) start = Steady::now();  // the first paced pause starts the rhythm
    clock.pacedPause(ms);
    const Steady::time_point end = Steady::now();
    const double late = Micros(end - start) - static_cast<double>(done + 1) * ms * 1000.0;
    total += late;
    most = std::max(most, late);
    ++done;
  }
  state.counters["late_mean_us"] = total / static_cast<double>(done);
  state.counters["late_max_us"] = most;
}
BENCHMARK(BM_PacedPause)->Arg(40)->Arg(70)->Iterations(50)->Unit(benchmark::kMillisecond);

// The production clock with the start of the first capture cycle noted.
class NotingClock : public Clock {
 public:
  void pause(int ms) override { clock_.pause(ms); }
  int64_t nowMs() override { return clock_.nowMs(); }
  void pacedPause(int ms) override {
    if (firstCycle == Steady::time_point()) firstCycle = Steady::now();
    clock_.pacedPause(ms);
  }
  void restartPace() override { clock_.restartPace(); }
  Steady::time_point firstCycle;

 private:
  SystemClock clock_;
};

constexpr int kRealPoints = 50;

// 50 points of a scan on the real main window, with the test double's input
// arriving in real time and the real pause: wall time from the start of the
// first capture to the end of the scan, against 50 x 20 x 70 ms.
void BM_RealTimeScan(benchmark::State& state) {
  BenchWindow& window = Window();
  NotingClock clock;
  FakeAudioSource audio(clock);
  audio.signal = [](int cycle, size_t i) { return static_cast<int16_t>((cycle * 7 + static_cast<int>(i)) % 41 - 20); };
  SetActiveClock(&clock);
  SetAudioSource(&audio);
  // The user presses Stop while the 50th line is being added.
  const QMetaObject::Connection stopper =
      QObject::connect(DataForm->DataMemo, &QPlainTextEdit::blockCountChanged, [](int lines) {
        if (lines == kRealPoints) MainForm->StopButtonClick();
      });
  MainForm->Spectr1Input->setChecked(false);
  BenchWindow::Settle();
  double ratio = 0, seconds = 0;
  for (auto _ : state) {
    clock.firstCycle = Steady::time_point();
    MainForm->StartButtonClick();
    const Steady::time_point end = Steady::now();
    seconds = std::chrono::duration<double>(end - clock.firstCycle).count();
    ratio = seconds / (kRealPoints * kCapturesPerPoint * kScanCaptureMs / 1000.0);
    state.SetIterationTime(seconds);
  }
  QObject::disconnect(stopper);
  MainForm->Spectr1Input->setChecked(true);
  SetAudioSource(&window.audio);
  SetActiveClock(&window.env.clock);
  state.counters["points"] = DataForm->DataMemo->document()->blockCount();
  state.counters["wall_s"] = seconds;
  state.counters["ratio"] = ratio;
}
BENCHMARK(BM_RealTimeScan)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
