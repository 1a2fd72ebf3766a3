// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pause that paces every capture, and the clock it is measured on.
// Production sleeps for real; tests install a virtual clock so that a whole
// 17-minute scan runs in a fraction of a second.
#include <chrono>
#include <cstdint>
#include <optional>

class Clock {
 public:
  virtual ~Clock() = default;
  virtual void pause(int ms) = 0;
  virtual int64_t nowMs() = 0;
  // A pause in a steady rhythm: it ends `ms` after the previous paced pause
  // ended, so the work done between the two and a late wake-up are taken out
  // of it instead of adding up over a scan.
  virtual void pacedPause(int ms) { pause(ms); }
  // The next paced pause starts a new rhythm.
  virtual void restartPace() {}
};

// Real time on the monotonic clock.
class SystemClock : public Clock {
 public:
  void pause(int ms) override;
  int64_t nowMs() override;
  void pacedPause(int ms) override;
  void restartPace() override { paceEnd_.reset(); }

 private:
  std::optional<std::chrono::steady_clock::time_point> paceEnd_;  // where the previous paced pause ended
};

// The rule of a paced pause that begins at `now`: the time it ends, from
// where the previous one ended (none when a new rhythm starts).
using PaceTime = std::chrono::steady_clock::time_point;
PaceTime PacedPauseEnd(std::optional<PaceTime> previousEnd, PaceTime now, std::chrono::milliseconds length);


Clock& activeClock();
// Installs a clock and returns the one it replaces; nullptr restores the system clock.
Clock* SetActiveClock(Clock* clock);

// The platform's Sleep, through the active clock.
void Pause(int ms);
// A paced pause and a new rhythm, through the active clock.
void PacedPause(int ms);
void RestartPace();
