// SPDX-License-Identifier: GPL-3.0-or-later
#include "Clock.h"

#include <thread>
#include <utility>

void SystemClock::pause(int ms) {
  // Sleeping until a deadline on the monotonic clock keeps the pause from
  // being shortened by an early wake-up.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  std::this_thread::sleep_until(deadline);
}

PaceTime PacedPauseEnd(std::optional<PaceTime> previousEnd, PaceTime now, std::chrono::milliseconds length) {
  // Up to half a pause is caught up; after a longer hold-up (the window being
  // dragged, say) the rhythm starts again rather than squeezing the pause.
  const PaceTime from = previousEnd && now - *previousEnd <= length / 2 ? *previousEnd : now;
  return from + length;
}

void SystemClock::pacedPause(int ms) {
  paceEnd_ = PacedPauseEnd(paceEnd_, std::chrono::steady_clock::now(), std::chrono::milliseconds(ms));
  std::this_thread::sleep_until(*paceEnd_);
}

int64_t SystemClock::nowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

namespace {
SystemClock systemClock;
Clock* installed = nullptr;  // a test's clock
Clock* active = &systemClock;
}  // namespace

Clock& activeClock() { return *active; }

Clock* SetActiveClock(Clock* clock) {
  active = clock ? clock : &systemClock;
  return std::exchange(installed, clock);
}

void Pause(int ms) { active->pause(ms); }

void PacedPause(int ms) { active->pacedPause(ms); }

void RestartPace() { active->restartPace(); }
