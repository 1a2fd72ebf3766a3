// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Plays a signal of our generator (tools/signal) into the private sound
// server's null sink: `lmx-signal ARGS | pacat ...`, both in a process group
// of their own that stop() ends and waits for. Both die with the test process.
#include <string>
#include <sys/types.h>
#include <vector>

class SignalPlayer {
 public:
  SignalPlayer() = default;
  ~SignalPlayer() { stop(); }
  SignalPlayer(const SignalPlayer&) = delete;
  SignalPlayer& operator=(const SignalPlayer&) = delete;

  // Starts `lmx-signal <generatorArgs...>` into the server; false when the
  // pipeline could not be started.
  bool start(const std::vector<std::string>& generatorArgs);
  // Ends the signal and waits until the server no longer plays it (5 s at most).
  void stop();

  // How many streams play into the server now (-1: pactl could not tell).
  static int streamsPlaying();

 private:
  pid_t generator_ = -1;
  pid_t pacat_ = -1;
};
