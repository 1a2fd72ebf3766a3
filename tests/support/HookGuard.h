// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Installs one of the program's test hooks (SetAudioSource, SetBoxResponder,
// ...) for the guard's lifetime and puts back the one it replaced, so that
// guards nest: an inner environment leaves the outer one's hooks in place.
#include <utility>

template <typename Value>
class HookGuard {
 public:
  using Setter = Value (*)(Value);
  HookGuard(Setter set, Value value) : set_(set), previous_(set(std::move(value))) {}
  ~HookGuard() { set_(std::move(previous_)); }
  HookGuard(const HookGuard&) = delete;
  HookGuard& operator=(const HookGuard&) = delete;

 private:
  Setter set_;
  Value previous_;
};
