// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <limits>

#include "Calibration.h"
#include "CaptureFormat.h"
#include "Scan.h"
#include "Settings.h"
#include "WaveIn.h"
#include "tests/measure/AllocationCounter.h"
#include "tests/measure/RecordingHost.h"
#include "tests/support/TestEnvironment.h"

namespace {

class ScanTest : public testing::Test {
 protected:
  void SetUp() override { FillCaptureFormat(); }

  void input(std::function<int16_t(size_t)> sample) {
    env.audio.signal = [sample](int, size_t i) { return sample(i); };
  }
  // Stop is given while point `k` is being measured.
  void stopDuringPoint(int k) {
    env.clock.onPause = [this, k](int) {
      if (env.audio.cycles > k * kCapturesPerPoint && env.audio.cycles <= (k + 1) * kCapturesPerPoint)
        host.stopped = true;
    };
  }
  TestEnvironment env;
  RecordingHost host;
};

}  // namespace

TEST(ScanArithmetic, ThreeRoundingsHalfToEven) {
  // Deviations summing to 375 over a capture: mean 2.5 rounds to 2.
  int16_t samples[150];
  for (int i = 0; i < 150; ++i) samples[i] = static_cast<int16_t>(i < 75 ? 2 : 3);
  EXPECT_EQ(CaptureMeanDeviation(samples, 150, 0), 2);
  EXPECT_EQ(PointValue(20 * 2, 2), 1);
  // Alternating +100 / -100: the deviation, not the signed mean.
  for (int i = 0; i < 150; ++i) samples[i] = static_cast<int16_t>(i % 2 ? -100 : 100);
  EXPECT_EQ(CaptureMeanDeviation(samples, 150, 0), 100);
  EXPECT_EQ(PointValue(20 * 10, 3), 3);   // 10 / 3
  EXPECT_EQ(PointValue(20 * 15, 2), 8);   // 7.5 rounds to 8
  EXPECT_EQ(PointValue(20 * 13, 2), 6);   // 6.5 rounds to 6
  EXPECT_EQ(PointValue(20 * 2 + 10, 1), 2);  // average 2.5 rounds to 2
  // Full-width deviations: -32768 from a zero level of 32767.
  for (int16_t& s : samples) s = -32768;
  EXPECT_EQ(CaptureMeanDeviation(samples, 150, 32767), 65535);
}

TEST(ScanCsv, WavelengthsOverTheWholeIntegerRangeAndTiesToEven) {
  int32_t values[kScanPoints] = {};
  values[1] = -3;
  values[749] = 65535;
  const QList<QByteArray> lines =
      ScanCsv({std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), kScanPoints}, values)
          .split('\n');
  ASSERT_EQ(lines.size(), 752);  // the last line end leaves an empty piece
  EXPECT_EQ(lines[0], "point,wavelength,value\r");
  EXPECT_EQ(lines[1], "0,-2147483648.0,0\r");
  EXPECT_EQ(lines[2], "1,-2141749379.2,-3\r");
  EXPECT_EQ(lines[375], "374,-2867134.9,0\r");
  EXPECT_EQ(lines[750], "749,2147483647.0,65535\r");
  EXPECT_EQ(lines[751], "");
  EXPECT_EQ(ScanCsv({1000, 5000, 0}, values), "point,wavelength,value\r\n");
  // No scan's wavelength lies halfway between two tenths (749 has no factor
  // 2 or 5); the formatting rounds such values to the even tenth.
  EXPECT_EQ(WavelengthText(1000.25), "1000.2");
  EXPECT_EQ(WavelengthText(1000.75), "1000.8");
  EXPECT_EQ(WavelengthText(-2.25), "-2.2");
}

TEST_F(ScanTest, ConstantInputGives750EqualPointsAndAFlatCurve) {
  input([](size_t) { return int16_t{7}; });
  RunScan(host);
  ASSERT_EQ(host.lines.size(), 750);
  for (const QString& line : host.lines) ASSERT_EQ(line, "7");
  EXPECT_EQ(host.RedRun(478), std::make_pair(30, 778));
  EXPECT_EQ(lmx::Spectrum[0], 7);
  EXPECT_EQ(lmx::Spectrum[749], 7);
  EXPECT_TRUE(host.ended);
  EXPECT_EQ(host.status, " Stop");
  EXPECT_EQ(env.audio.cycles, 750 * 20);
  EXPECT_EQ(env.audio.closes, 1);
  // 17.5 minutes of virtual time, plus the wait at open for the device to
  // deliver its first 2048 samples (47 ms, in steps of 10).
  EXPECT_EQ(env.clock.nowMs(), 750 * 20 * 70 + 5 * kPollMs);
  // The axes are there, in gray, and the first point has no message pass.
  EXPECT_EQ(host.plot.PlotImage().pixel(29, 300), kAxisGray);
  EXPECT_EQ(host.passes, 749);
}

TEST_F(ScanTest, ValuesDependOnZeroLevelAndAttenuation) {
  lmx::zero = -20;
  lmx::weak = 3;
  input([](size_t i) { return static_cast<int16_t>(i % 2 ? -10 : -30); });  // deviation 10
  host.onPass = [this](int pass) { host.stopped = pass == 3; };
  RunScan(host);
  EXPECT_EQ(host.lines, QStringList({"3", "3", "3", "3"}));
  EXPECT_EQ(host.plot.PlotImage().pixel(30, 482), kTraceRed);
}

TEST_F(ScanTest, StopDuringTheFifthPointKeepsFivePoints) {
  input([](size_t) { return int16_t{40}; });
  stopDuringPoint(4);
  RunScan(host);
  EXPECT_EQ(host.lines.size(), 5);
  EXPECT_EQ(host.RedRun(445), std::make_pair(30, 33));
  EXPECT_EQ(lmx::Spectrum[4], 40);
  EXPECT_EQ(lmx::Spectrum[5], 0);
  EXPECT_TRUE(host.ended);
  EXPECT_EQ(env.audio.closes, 1);
}

TEST_F(ScanTest, StopDuringTheFirstPointTakesEffectAfterTheSecond) {
  input([](size_t) { return int16_t{40}; });
  stopDuringPoint(0);
  RunScan(host);
  EXPECT_EQ(host.lines.size(), 2);
  EXPECT_EQ(host.passes, 1);
}

TEST_F(ScanTest, ANewScanClearsTheDataListAndThePlot) {
  host.lines << "old";
  host.plot.PlotImage().fill(Qt::blue);
  input([](size_t) { return int16_t{1}; });
  host.onPass = [this](int) { host.stopped = true; };
  RunScan(host);
  EXPECT_EQ(host.lines, QStringList({"1", "1"}));
  EXPECT_EQ(host.plot.PlotImage().pixel(700, 100), kWhite);
}

TEST_F(ScanTest, LostInputEndsTheScanAndKeepsThePointsMeasuredBefore) {
  input([](size_t) { return int16_t{12}; });
  // Silence from capture 5 of point 10; two seconds (29 captures) later,
  // during point 11, the input counts as lost.
  env.audio.silentFromCycle = 10 * kCapturesPerPoint + 5;
  RunScan(host);
  EXPECT_EQ(host.lines.size(), 11);
  EXPECT_EQ(lmx::Spectrum[10], 12);
  EXPECT_EQ(lmx::Spectrum[11], 0);
  EXPECT_EQ(env.audio.cycles, 10 * kCapturesPerPoint + 5 + 2000 / 70 + 1);
  EXPECT_EQ(host.RedRun(473), std::make_pair(30, 39));
  EXPECT_TRUE(host.ended);
  EXPECT_EQ(host.status, " Stop");
  EXPECT_FALSE(env.audio.isOpen());
  ASSERT_EQ(env.boxes.size(), 1u);
  EXPECT_TRUE(env.boxes[0].text.startsWith("The audio input was lost (no samples arrived for 2 seconds)"));
}

TEST_F(ScanTest, APointDuringWhichNothingArrivesIsNotKept) {
  input([](size_t) { return int16_t{12}; });
  // Silence from the first capture of point 10: the point repeats the last
  // samples only; measured again, it runs into the loss.
  env.audio.silentFromCycle = 10 * kCapturesPerPoint;
  RunScan(host);
  EXPECT_EQ(host.lines.size(), 10);
  EXPECT_EQ(lmx::LastScan.points, 10);
  EXPECT_EQ(lmx::Spectrum[10], 0);
  EXPECT_EQ(env.audio.cycles, 10 * kCapturesPerPoint + 2000 / 70 + 1);
  ASSERT_EQ(env.boxes.size(), 1u);
}

TEST_F(ScanTest, InputThatCannotBeOpenedLeavesThePlotAlone) {
  env.audio.openError = "No such device";
  host.plot.PlotImage().fill(Qt::blue);
  lmx::LastScan = {2000, 3000, 1};
  lmx::Spectrum[0] = 9;
  RunScan(host);
  EXPECT_TRUE(host.ended);
  EXPECT_TRUE(host.lines.isEmpty());
  EXPECT_EQ(ScanCsv(lmx::LastScan, lmx::Spectrum), "point,wavelength,value\r\n0,2000.0,9\r\n");
  EXPECT_EQ(host.plot.PlotImage().pixel(5, 5), QColor(Qt::blue).rgb());
  ASSERT_EQ(env.boxes.size(), 1u);
  EXPECT_TRUE(env.boxes[0].text.contains("(No such device)"));
}

#if LMX_COUNTS_ALLOCATIONS
TEST_F(ScanTest, APointAllocatesOnlyItsDataListLine) {
  input([](size_t i) { return static_cast<int16_t>(i % 7); });
  auto allocationsForPoints = [this](int points) {
    RecordingHost quiet;
    quiet.onPass = [&quiet, points](int pass) { quiet.stopped = pass + 1 >= points; };
    quiet.lines.reserve(800);
    allocations::Begin();
    RunScan(quiet);
    return allocations::End();
  };
  allocationsForPoints(10);  // warm up
  const long few = allocationsForPoints(100);
  const long many = allocationsForPoints(300);
  EXPECT_EQ(many - few, 200);  // one text line per point
}
#endif
