// SPDX-License-Identifier: GPL-3.0-or-later
// The PortAudio back end without a device: inert until opened, and only the
// program's one format opens. The real device is tested against a private
// sound server by the live-audio test (tests/e2e).
#include "PortAudioSource.h"

#include <gtest/gtest.h>

namespace {

TEST(PortAudioSource, IsInertUntilOpened) {
  PortAudioSource source;
  int16_t buffer[16];
  std::string reason;
  source.discard();
  EXPECT_EQ(source.take(buffer, 16), 0u);
  EXPECT_EQ(source.delivered(), 0u);
  EXPECT_FALSE(source.failed(reason));
  source.close();
  source.close();
}

TEST(PortAudioSource, RefusesAnyOtherFormat) {
  PortAudioSource source;
  WaveFormat stereo = ProgramCaptureFormat();
  stereo.nChannels = 2;
  std::string reason;
  EXPECT_FALSE(source.open(stereo, reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_FALSE(source.open(WaveFormat{}, reason));
  EXPECT_FALSE(source.isOpen());
}

}  // namespace
