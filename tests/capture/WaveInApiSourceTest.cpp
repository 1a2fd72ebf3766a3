// SPDX-License-Identifier: GPL-3.0-or-later
// The wave-input back end on Windows: inert until opened, only the program's
// one format opens, and device 0 either delivers samples or there is none.
// Under Wine without a sound server there is no device; with one (Wine's
// PulseAudio driver) the worker's hand-over is exercised for real.
#include "WaveInApiSource.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

TEST(WaveInApiSource, IsInertUntilOpenedAndOpensOnlyTheProgramsFormat) {
  WaveInApiSource source;
  int16_t buffer[16];
  std::string reason;
  source.discard();
  EXPECT_EQ(source.take(buffer, 16), 0u);
  EXPECT_EQ(source.delivered(), 0u);
  EXPECT_FALSE(source.failed(reason));
  source.close();

  WaveFormat stereo = ProgramCaptureFormat();
  stereo.nChannels = 2;
  EXPECT_FALSE(source.open(stereo, reason));
  EXPECT_EQ(reason, "unsupported capture format");
  EXPECT_FALSE(source.open(WaveFormat{}, reason));
  EXPECT_FALSE(source.isOpen());
}

TEST(WaveInApiSource, DeviceZeroDeliversInOrderOrThereIsNone) {
  WaveInApiSource source;
  std::string reason;
  if (source.deviceCount() == 0) {
    EXPECT_FALSE(source.open(ProgramCaptureFormat(), reason));
    EXPECT_EQ(reason, "no audio input device");
    EXPECT_FALSE(source.isOpen());
    return;
  }
  ASSERT_TRUE(source.open(ProgramCaptureFormat(), reason)) << reason;
  EXPECT_FALSE(source.deviceName().empty());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (source.delivered() < 4410 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_GE(source.delivered(), 4410u);  // 100 ms: ten buffers, so each was queued again
  std::vector<int16_t> samples(4410);
  EXPECT_GT(source.take(samples.data(), samples.size()), 0u);
  EXPECT_FALSE(source.failed(reason)) << reason;
  source.close();
  EXPECT_FALSE(source.isOpen());
}

}  // namespace
