// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Plays a signal of our generator (tools/signal) into the private sound
// server's null sink: `lmx-signal ARGS | pacat ...`, both in a process group
// of their own that stop() ends and waits for. On Linux (SignalPlayer.cpp)
// both die with the test process. The Windows build runs under Wine and
// starts the same pipeline natively (SignalPlayerWine.cpp); what a killed
// test leaves playing, with-sound-server.sh ends.
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
  pid_t group_ = -1;  // the pipeline's process group, led by its first process
  pid_t pacat_ = -1;  // awaited after the group has ended (Linux: a child of ours)
};

// What a test does to the sound server's process (as kill(1) would): freeze
// it, as a busy machine can hold it up, let it go on, or end it. False when
// the process could not be signalled.
enum class ServerSignal { Freeze, Thaw, Kill };
bool SignalServer(pid_t server, ServerSignal signal);
