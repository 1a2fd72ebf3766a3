// SPDX-License-Identifier: GPL-3.0-or-later
// The paced pause of the capture cycles: time spent between pauses is taken
// out of the next one, so a scan keeps 20 x 70 ms per point; the virtual
// clock of the tests is unchanged by it. (The real pauses are timed by the
// benchmarks.)
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "CaptureFormat.h"
#include "Clock.h"
#include "WaveIn.h"
#include "tests/support/FakeAudioSource.h"
#include "tests/support/VirtualClock.h"

namespace {

using Steady = std::chrono::steady_clock;
using std::chrono::milliseconds;

class NotedClock : public VirtualClock {
 public:
  std::vector<std::string> calls;
  void pause(int ms) override {
    calls.push_back("pause " + std::to_string(ms));
    VirtualClock::pause(ms);
  }
  void pacedPause(int ms) override {
    calls.push_back("paced " + std::to_string(ms));
    VirtualClock::pause(ms);
  }
  void restartPace() override { calls.push_back("restart"); }
};

}  // namespace

TEST(PacedPause, VirtualTimeTakesPacedPausesAsPlainOnes) {
  VirtualClock clock;
  std::vector<int> seen;
  clock.onPause = [&](int ms) { seen.push_back(ms); };
  clock.pacedPause(70);
  clock.restartPace();
  clock.pacedPause(40);
  EXPECT_EQ(clock.nowMs(), 110);
  EXPECT_EQ(seen, (std::vector<int>{70, 40}));
}

TEST(PacedPause, CaptureCyclesArePacedFromTheirOpenAndWaitsAreNot) {
  NotedClock clock;
  FakeAudioSource audio(clock);
  SetActiveClock(&clock);
  SetAudioSource(&audio);
  FillCaptureFormat();
  WaveInArm(PointBuffer, sizeof PointBuffer);
  ASSERT_TRUE(WaveInOpen());
  WaveInCycle(70);
  WaveInCycle(70);
  WaveInFillRest(0, 20);
  WaveInClose();
  ASSERT_TRUE(WaveInOpen());
  WaveInCycle(40);
  WaveInClose();
  SetAudioSource(nullptr);
  SetActiveClock(nullptr);
  // The waits (at open until the device has settled, and in WaveInFillRest)
  // are plain pauses of 10 ms; each open starts a new rhythm for the cycles.
  std::vector<std::string> paced;
  for (const std::string& call : clock.calls)
    if (call != "pause 10") paced.push_back(call);
  EXPECT_EQ(paced, (std::vector<std::string>{"restart", "paced 70", "paced 70", "restart", "paced 40"}));
  EXPECT_EQ(clock.calls.front(), "pause 10");
  EXPECT_EQ(clock.calls[clock.calls.size() - 3], "pause 10");
}

TEST(PacedPause, WorkAndLateWakeUpsAreTakenOutOfTheNextPauseUpToHalfAPause) {
  const Steady::time_point t{Steady::duration(123456789)};
  const milliseconds pause(100);
  // A new rhythm: a full pause.
  EXPECT_EQ(PacedPauseEnd(std::nullopt, t, pause), t + pause);
  // 20 ms of work after the previous pause ended: the next ends 100 ms after it.
  EXPECT_EQ(PacedPauseEnd(t, t + milliseconds(20), pause), t + pause);
  // Half a pause behind is still caught up; more starts a new rhythm.
  EXPECT_EQ(PacedPauseEnd(t, t + milliseconds(50), pause), t + pause);
  EXPECT_EQ(PacedPauseEnd(t, t + milliseconds(51), pause), t + milliseconds(151));
  // Eight pauses with 20 ms of work before each keep the 100 ms rhythm.
  std::optional<Steady::time_point> end;
  Steady::time_point now = t;
  for (int i = 0; i < 8; ++i) {
    end = PacedPauseEnd(end, now, pause);
    now = *end + milliseconds(20);
  }
  EXPECT_EQ(*end, t + 8 * pause);
}
