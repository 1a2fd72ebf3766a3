// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "Calibration.h"
#include "CaptureFormat.h"
#include "Monitor.h"
#include "Settings.h"
#include "WaveIn.h"
#include "tests/measure/AllocationCounter.h"
#include "tests/measure/RecordingHost.h"
#include "tests/support/TestEnvironment.h"

namespace {

class MonitorTest : public testing::Test {
 protected:
  void SetUp() override { FillCaptureFormat(); }

  // Runs the monitor for `frames` frames of a constant input.
  void run(int16_t input, int frames) {
    env.audio.signal = [input](int, size_t) { return input; };
    host.onPass = [this, frames](int pass) {
      if (pass == frames) host.stopped = true;
    };
    RunMonitor(host);
  }

  int redPixels() {
    int count = 0;
    for (int y = 0; y < 566; ++y)
      for (int x = 0; x < 800; ++x) count += host.plot.PlotImage().pixel(x, y) == kTraceRed;
    return count;
  }

  TestEnvironment env;
  RecordingHost host;
};

}  // namespace

TEST_F(MonitorTest, ConstantInputIsAHorizontalTraceBelowTheBaseline) {
  run(100, 1);
  EXPECT_EQ(host.RedRun(350), std::make_pair(29, 778));
  EXPECT_EQ(redPixels(), 750);
  EXPECT_EQ(host.status, " Input signal record");
}

TEST_F(MonitorTest, ZeroLevelAndAttenuationRoundHalfToEvenBothTimes) {
  lmx::zero = 10;
  lmx::weak = 4;
  run(10, 1);  // 250 - round(2.5) + round(2.5) = 250
  EXPECT_EQ(host.RedRun(250), std::make_pair(29, 778));
  run(14, 1);  // 250 - 2 + round(3.5) = 252
  EXPECT_EQ(host.RedRun(252), std::make_pair(29, 778));
  EXPECT_EQ(redPixels(), 750);  // every frame starts from a clean plot
  // The samples were scaled in place.
  EXPECT_EQ(SignalBuffer[0], 4);
  EXPECT_EQ(SignalBuffer[759], 4);
}

TEST_F(MonitorTest, OnlySamplesNineOnwardAreDrawnOneColumnEach) {
  env.audio.signal = [](int, size_t i) { return static_cast<int16_t>(i < 9 ? 200 : (i == 9 ? -50 : 0)); };
  host.onPass = [this](int) { host.stopped = true; };
  RunMonitor(host);
  // Sample 9 at x = 29, y = 200; then a steep line to (30, 250) and flat on.
  EXPECT_EQ(host.plot.PlotImage().pixel(29, 200), kTraceRed);
  EXPECT_EQ(host.plot.PlotImage().pixel(30, 250), kTraceRed);
  EXPECT_EQ(host.plot.PlotImage().pixel(778, 250), kTraceRed);
  EXPECT_EQ(host.plot.PlotImage().pixel(779, 250), kWhite);
  for (int x = 0; x < 29; ++x) EXPECT_EQ(host.plot.PlotImage().pixel(x, 450), kWhite);
}

TEST_F(MonitorTest, StopEndsTheLoopAfterTheFrameInProgressAndClosesTheDevice) {
  run(0, 3);
  EXPECT_EQ(host.passes, 3);
  EXPECT_EQ(env.audio.cycles, 3);
  EXPECT_EQ(env.audio.opens, 1);
  EXPECT_EQ(env.audio.closes, 1);
  EXPECT_FALSE(host.ended);  // Stop itself restores the Idle state
  EXPECT_EQ(host.RedRun(250), std::make_pair(29, 778));
}

TEST_F(MonitorTest, LostInputEndsTheRecordingWithAnErrorInsteadOfStaleFrames) {
  env.audio.silentFromCycle = 5;
  env.audio.signal = [](int, size_t) { return int16_t{100}; };
  RunMonitor(host);
  EXPECT_TRUE(host.ended);
  EXPECT_EQ(host.status, " Stop");
  EXPECT_EQ(env.audio.closes, 1);
  EXPECT_FALSE(env.audio.isOpen());
  ASSERT_EQ(env.boxes.size(), 1u);
  EXPECT_EQ(env.boxes[0].kind, BoxKind::Error);
  EXPECT_EQ(env.boxes[0].text,
            "The audio input was lost (no samples arrived for 2 seconds). The recording has been stopped; "
            "the points measured before stay.");
  // Frames went on while the silence was shorter than the limit.
  EXPECT_EQ(host.passes, 5 + 2000 / 40 - 1);
}

TEST_F(MonitorTest, InputThatCannotBeOpenedEndsAtOnce) {
  env.audio.openError = "Device or resource busy";
  RunMonitor(host);
  EXPECT_TRUE(host.ended);
  EXPECT_EQ(host.passes, 0);
  ASSERT_EQ(env.boxes.size(), 1u);
  EXPECT_EQ(env.boxes[0].text,
            "The audio input could not be opened (Device or resource busy). The recording has not started.");
}

#if LMX_COUNTS_ALLOCATIONS
TEST_F(MonitorTest, AFrameAllocatesNothing) {
  env.audio.signal = [](int, size_t i) { return static_cast<int16_t>(i % 50); };
  WaveInArm(SignalBuffer, sizeof SignalBuffer);
  ASSERT_TRUE(WaveInOpen());
  WaveInCycle(kMonitorFrameMs);
  DrawMonitorFrame(host.plot, SignalBuffer, lmx::zero, lmx::weak);  // warm up
  allocations::Begin();
  for (int frame = 0; frame < 10; ++frame) {
    WaveInCycle(kMonitorFrameMs);
    DrawMonitorFrame(host.plot, SignalBuffer, lmx::zero, lmx::weak);
  }
  EXPECT_EQ(allocations::End(), 0);
  WaveInClose();
}
#endif
