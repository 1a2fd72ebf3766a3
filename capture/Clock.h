#pragma once
// The pause that paces every capture, and the clock it is measured on.
// Production sleeps for real; tests install a virtual clock so that a whole
// 17-minute scan runs in a fraction of a second.
#include <cstdint>
#include <functional>

class Clock {
 public:
  virtual ~Clock() = default;
  virtual void pause(int ms) = 0;
  virtual int64_t nowMs() = 0;
};

// Real time on the monotonic clock.
class SystemClock : public Clock {
 public:
  void pause(int ms) override;
  int64_t nowMs() override;
};

// Time that moves only when paused; `onPause` (if set) runs after each pause,
// so tests can act "during" a capture.
class VirtualClock : public Clock {
 public:
  void pause(int ms) override;
  int64_t nowMs() override { return now_; }
  std::function<void(int ms)> onPause;

 private:
  int64_t now_ = 0;
};

Clock& activeClock();
void setActiveClock(Clock* clock);  // nullptr restores the system clock

// The platform's Sleep, through the active clock.
void Pause(int ms);
