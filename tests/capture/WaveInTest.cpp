// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "CaptureFormat.h"
#include "WaveIn.h"
#include "tests/support/FakeAudioSource.h"
#include "tests/support/VirtualClock.h"

namespace {

class WaveInTest : public testing::Test {
 protected:
  void SetUp() override {
    SetActiveClock(&clock);
    SetAudioSource(&audio);
    FillCaptureFormat();
  }
  void TearDown() override {
    WaveInClose();
    SetAudioSource(nullptr);
    SetActiveClock(nullptr);
  }
  VirtualClock clock;
  FakeAudioSource audio{clock};
};

}  // namespace

TEST_F(WaveInTest, CaptureFormatIsPcmMono16Bit44100) {
  EXPECT_EQ(CaptureFormat.wFormatTag, 1);
  EXPECT_EQ(CaptureFormat.nChannels, 1);
  EXPECT_EQ(CaptureFormat.nSamplesPerSec, 44100u);
  EXPECT_EQ(CaptureFormat.nAvgBytesPerSec, 88200u);
  EXPECT_EQ(CaptureFormat.nBlockAlign, 2);
  EXPECT_EQ(CaptureFormat.wBitsPerSample, 16);
  EXPECT_EQ(CaptureFormat.cbSize, 0);
}

TEST_F(WaveInTest, ArmSetsTheHeaderAndFlagsAreDoneAtEveryOpen) {
  CaptureHdr.dwFlags = 0x12;
  WaveInArm(PointBuffer, sizeof PointBuffer);
  EXPECT_EQ(CaptureHdr.lpData, PointBuffer);
  EXPECT_EQ(CaptureHdr.dwBufferLength, 300u);
  ASSERT_TRUE(WaveInOpen());
  WaveInClose();
  WaveInArm(SignalBuffer, sizeof SignalBuffer);
  EXPECT_EQ(CaptureHdr.dwBufferLength, 1520u);
  ASSERT_TRUE(WaveInOpen());
  EXPECT_EQ(audio.headerFlagsAtOpen, (std::vector<uint32_t>{1, 1}));
}

TEST_F(WaveInTest, EachCycleReadsAFreshStretchIntoTheWholeBuffer) {
  audio.signal = [](int cycle, size_t i) { return static_cast<int16_t>(cycle * 1000 + static_cast<int>(i)); };
  WaveInArm(PointBuffer, sizeof PointBuffer);
  ASSERT_TRUE(WaveInOpen());
  const int64_t before = clock.nowMs();
  EXPECT_EQ(WaveInCycle(70), 150u);
  EXPECT_EQ(clock.nowMs() - before, 70);
  EXPECT_EQ(PointBuffer[0], 0);
  EXPECT_EQ(PointBuffer[149], 149);
  EXPECT_EQ(WaveInCycle(70), 150u);
  EXPECT_EQ(PointBuffer[0], 1000);
  EXPECT_EQ(PointBuffer[149], 1149);
  EXPECT_FALSE(WaveInLost());
}

TEST_F(WaveInTest, AShortCycleLeavesTheRestOfTheBufferAsItWas) {
  audio.signal = [](int cycle, size_t) { return static_cast<int16_t>(cycle + 1); };
  audio.cycleLimit = [](int cycle) { return cycle == 1 ? size_t{100} : size_t{1000}; };
  WaveInArm(PointBuffer, sizeof PointBuffer);
  ASSERT_TRUE(WaveInOpen());
  WaveInCycle(70);
  EXPECT_EQ(WaveInCycle(70), 100u);
  EXPECT_EQ(PointBuffer[99], 2);
  EXPECT_EQ(PointBuffer[100], 1);
  EXPECT_FALSE(WaveInLost());
}

TEST_F(WaveInTest, OpenWaitsForASlowSoundServerWithoutCallingItALoss) {
  audio.startupDelayMs = 1800;
  WaveInArm(SignalBuffer, sizeof SignalBuffer);
  ASSERT_TRUE(WaveInOpen());
  EXPECT_GE(clock.nowMs(), 1800);
  EXPECT_EQ(WaveInCycle(40), 760u);
  EXPECT_FALSE(WaveInLost());
}

TEST_F(WaveInTest, OpenFailsWithTheReasonWhenNothingArrivesOrTheDeviceRefuses) {
  audio.startupDelayMs = 60000;
  WaveInArm(SignalBuffer, sizeof SignalBuffer);
  EXPECT_FALSE(WaveInOpen());
  EXPECT_EQ(WaveInError(), "no samples arrived within 5 seconds");
  EXPECT_EQ(clock.nowMs(), kStartupWaitMs);
  EXPECT_FALSE(audio.isOpen());

  // A device that delivers, but too little to start on: 20 ms before the limit.
  audio.startupDelayMs = kStartupWaitMs - 20;
  EXPECT_FALSE(WaveInOpen());
  EXPECT_EQ(WaveInError(), "only 882 of the 2048 samples needed to start arrived within 5 seconds");

  FakeAudioSource refusing(clock);
  refusing.openError = "device busy";
  SetAudioSource(&refusing);
  EXPECT_FALSE(WaveInOpen());
  EXPECT_EQ(WaveInError(), "device busy");
  SetAudioSource(&audio);
}

TEST_F(WaveInTest, SilenceOfTwoSecondsIsALoss) {
  audio.silentFromCycle = 3;
  WaveInArm(SignalBuffer, sizeof SignalBuffer);
  ASSERT_TRUE(WaveInOpen());
  int cycles = 0;
  while (!WaveInLost() && cycles < 1000) {
    WaveInCycle(40);
    ++cycles;
  }
  // Three good cycles, then 2000 ms of 40 ms cycles without a sample.
  EXPECT_EQ(cycles, 3 + 2000 / 40);
  EXPECT_EQ(WaveInError(), "no samples arrived for 2 seconds");
}

TEST_F(WaveInTest, AStreamErrorIsALossWithTheBackEndsReason) {
  audio.failFromCycle = 1;
  audio.failReason = "Unanticipated host error";
  WaveInArm(PointBuffer, sizeof PointBuffer);
  ASSERT_TRUE(WaveInOpen());
  WaveInCycle(70);
  EXPECT_FALSE(WaveInLost());
  WaveInCycle(70);
  EXPECT_TRUE(WaveInLost());
  EXPECT_EQ(WaveInError(), "Unanticipated host error");
}

TEST_F(WaveInTest, FillRestCompletesAPartlyFilledBufferWithinItsBound) {
  audio.cycleLimit = [](int) { return size_t{500}; };
  WaveInArm(SignalBuffer, sizeof SignalBuffer);
  ASSERT_TRUE(WaveInOpen());
  const size_t got = WaveInCycle(100);
  EXPECT_EQ(got, 500u);
  // The limit holds for the whole cycle, so the rest never comes.
  const int64_t before = clock.nowMs();
  EXPECT_EQ(WaveInFillRest(got, 2000), 500u);
  EXPECT_EQ(clock.nowMs() - before, 2000);
}
