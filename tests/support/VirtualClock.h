// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Time that moves only when paused; `onPause` (if set) runs after each pause,
// so tests can act "during" a capture. Paced pauses are plain ones here: no
// time passes between pauses.
#include <cstdint>
#include <functional>

#include "Clock.h"

class VirtualClock : public Clock {
 public:
  void pause(int ms) override {
    now_ += ms;
    if (onPause) onPause(ms);
  }
  int64_t nowMs() override { return now_; }
  std::function<void(int ms)> onPause;

 private:
  int64_t now_ = 0;
};
