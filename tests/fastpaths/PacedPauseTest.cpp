// The paced pause of the capture cycles: time spent between pauses is taken
// out of the next one, so a scan keeps 20 x 70 ms per point; the virtual
// clock of the tests is unchanged by it.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "CaptureFormat.h"
#include "Clock.h"
#include "WaveIn.h"
#include "tests/support/FakeAudioSource.h"

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
  EXPECT_EQ(clock.calls, (std::vector<std::string>{"pause 10", "restart", "paced 70", "paced 70", "pause 10",
                                                    "pause 10", "restart", "paced 40"}));
}

TEST(PacedPause, WorkBetweenPausesIsTakenOutOfTheNext) {
  SystemClock clock;
  clock.restartPace();
  std::this_thread::sleep_for(milliseconds(20));
  const Steady::time_point first = Steady::now();
  clock.pacedPause(100);  // starts the rhythm
  for (int i = 0; i < 7; ++i) {
    std::this_thread::sleep_for(milliseconds(20));  // work between two captures
    clock.pacedPause(100);
  }
  const auto took = Steady::now() - first;
  EXPECT_GE(took, milliseconds(800));
  EXPECT_LT(took, milliseconds(900));  // plain pauses: at least 940 ms
}

TEST(PacedPause, ALongHoldUpStartsANewRhythmWithAFullPause) {
  SystemClock clock;
  clock.restartPace();
  clock.pacedPause(100);
  std::this_thread::sleep_for(milliseconds(60));  // more than half a pause behind
  Steady::time_point begin = Steady::now();
  clock.pacedPause(100);
  EXPECT_GE(Steady::now() - begin, milliseconds(100));
  std::this_thread::sleep_for(milliseconds(30));  // within half a pause: caught up
  begin = Steady::now();
  clock.pacedPause(100);
  EXPECT_LT(Steady::now() - begin, milliseconds(95));  // about 70 ms
  clock.restartPace();  // a new rhythm: a full pause again
  begin = Steady::now();
  clock.pacedPause(100);
  EXPECT_GE(Steady::now() - begin, milliseconds(100));
}
