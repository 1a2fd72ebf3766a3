// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "Calibration.h"
#include "tests/measure/RecordingHost.h"
#include "tests/support/TestEnvironment.h"

namespace {

class CalibrationTest : public testing::Test {
 protected:
  void SetUp() override {
    env.clock.onPause = [this](int ms) {
      pauses.push_back(ms);
      progressSeen.push_back(host.progress);
    };
  }
  void constantInput(int16_t value) {
    env.audio.signal = [value](int, size_t) { return value; };
  }
  bool storedZero(int32_t& value) { return env.storedValue("zero", value); }

  TestEnvironment env;
  RecordingHost host;
  std::vector<int> pauses;
  std::vector<int> progressSeen;  // -1 while the progress window is hidden
};

}  // namespace

TEST_F(CalibrationTest, StoredZeroIsReadWithoutCaptureOrProgressWindow) {
  env.storeValue("zero", -17);
  Calibrate(*env.store, host);
  EXPECT_EQ(lmx::zero, -17);
  EXPECT_EQ(env.audio.opens, 0);
  EXPECT_TRUE(pauses.empty());
  EXPECT_EQ(host.progress, -1);
}

TEST_F(CalibrationTest, FirstRunWaitsTwoSecondsWithProgressThenMeasuresAndStores) {
  constantInput(-3);
  Calibrate(*env.store, host);
  EXPECT_EQ(lmx::zero, -3);
  int32_t stored = 0;
  ASSERT_TRUE(storedZero(stored));
  EXPECT_EQ(stored, -3);
  // Twenty 100 ms steps, each followed by the next progress position.
  ASSERT_GE(pauses.size(), 21u);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(pauses[i], 100);
    EXPECT_EQ(progressSeen[i + 1], 5 * (i + 1)) << i;
  }
  EXPECT_EQ(progressSeen[0], 0);
  EXPECT_EQ(pauses.back(), 100);  // the capture cycle
  EXPECT_EQ(env.audio.opens, 1);
  EXPECT_EQ(env.audio.closes, 1);
  EXPECT_EQ(env.audio.headerFlagsAtOpen, std::vector<uint32_t>{1});
  EXPECT_EQ(host.progress, -1);
  EXPECT_TRUE(env.boxes.empty());
}

TEST_F(CalibrationTest, MeanOfTheBufferRoundsHalfToEven) {
  for (auto [sum, expected] : {std::pair{380, 0}, std::pair{1140, 2}, std::pair{-380, 0}, std::pair{-1140, -2}}) {
    TestEnvironment fresh;
    // `sum` spread as ones (or minus ones) over the first |sum| samples, the rest 0.
    const int unit = sum < 0 ? -1 : 1;
    const size_t ones = static_cast<size_t>(std::abs(sum)) % 760;
    const int16_t base = static_cast<int16_t>(unit * (std::abs(sum) / 760));
    fresh.audio.signal = [=](int, size_t i) { return static_cast<int16_t>(base + (i < ones ? unit : 0)); };
    Calibrate(*fresh.store, host);
    EXPECT_EQ(lmx::zero, expected) << sum;
  }
}

TEST_F(CalibrationTest, NoDeviceReadsAndWritesNothing) {
  env.audio.devices = 0;
  Calibrate(*env.store, host);
  EXPECT_EQ(lmx::zero, 0);
  EXPECT_EQ(env.audio.opens, 0);
  EXPECT_FALSE(std::filesystem::exists(env.store->path()));
}

TEST_F(CalibrationTest, WronglyTypedZeroShowsTheStoreErrorAndKeepsZeroLevel0) {
  {
    OpenedKey key(*env.store);
    env.store->writeText("zero", "1");
  }
  Calibrate(*env.store, host);
  EXPECT_EQ(lmx::zero, 0);
  ASSERT_EQ(env.boxes.size(), 1u);
  EXPECT_EQ(env.boxes[0].title, "Spectrometer LMX");
  EXPECT_EQ(env.boxes[0].text, "Invalid data type for 'zero'");
  EXPECT_EQ(env.boxes[0].kind, BoxKind::Error);
  EXPECT_EQ(env.audio.opens, 0);
}

TEST_F(CalibrationTest, UnwritableStoreReportsAndHidesTheProgressWindow) {
  // A regular file where the store's folder should be: the key cannot be created.
  EditableKeyStore blocked(env.directory() + "/file/lmx/settings.reg");
  { std::ofstream(env.directory() + "/file") << "x"; }
  constantInput(4);
  Calibrate(blocked, host);
  ASSERT_EQ(env.boxes.size(), 1u);
  EXPECT_EQ(env.boxes[0].text, "Failed to set data for 'zero'");
  EXPECT_EQ(host.progress, -1);
}

TEST_F(CalibrationTest, DeviceThatCannotBeOpenedLeavesZeroAbsentForTheNextStart) {
  env.audio.openError = "Device unavailable";
  Calibrate(*env.store, host);
  EXPECT_EQ(lmx::zero, 0);
  int32_t stored;
  EXPECT_FALSE(storedZero(stored));
  ASSERT_EQ(env.boxes.size(), 1u);
  EXPECT_EQ(env.boxes[0].kind, BoxKind::Error);
  EXPECT_EQ(env.boxes[0].title, "Error");
  EXPECT_TRUE(env.boxes[0].text.contains("The audio input could not be read (Device unavailable)"));
  EXPECT_EQ(host.progress, -1);
}

TEST_F(CalibrationTest, PartlyFilledBufferIsCompletedBeforeTheMeanIsTaken) {
  // The first 100 ms bring only 300 samples; the rest follows on further waits.
  env.audio.cycleLimit = [this](int) {
    return env.clock.nowMs() < 2200 ? size_t{300} : size_t{760};
  };
  constantInput(8);
  Calibrate(*env.store, host);
  EXPECT_EQ(lmx::zero, 8);
  int32_t stored = 0;
  ASSERT_TRUE(storedZero(stored));
  EXPECT_EQ(stored, 8);
  EXPECT_TRUE(env.boxes.empty());
}

TEST_F(CalibrationTest, BufferThatNeverFillsIsNotStored) {
  env.audio.cycleLimit = [](int) { return size_t{300}; };
  constantInput(8);
  Calibrate(*env.store, host);
  EXPECT_EQ(lmx::zero, 0);
  int32_t stored;
  EXPECT_FALSE(storedZero(stored));
  ASSERT_EQ(env.boxes.size(), 1u);
  EXPECT_TRUE(env.boxes[0].text.contains("only 300 of 760 samples arrived"));
}
