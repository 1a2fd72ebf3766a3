// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/e2e/SignalPlayer.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Starts `args` (looked up in PATH) with `in` and `out` as its standard input
// and output, in process group `group` (0: a new group of its own). The child
// is killed when this process ends, however it ends: a test process killed
// by a time limit must not leave a signal playing into the next test's
// measurement.
pid_t spawn(const std::vector<std::string>& args, int in, int out, pid_t group) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid != 0) return pid;  // the parent, or -1
  // The child of a multi-threaded process: only async-signal-safe calls until exec.
  setpgid(0, group);
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(127);  // the parent ended before the line above
  if (in >= 0) dup2(in, STDIN_FILENO);
  if (out >= 0) dup2(out, STDOUT_FILENO);
  // Only the pipe end this child uses stays open, so the other side sees end-of-file.
  for (int fd = STDERR_FILENO + 1; fd < 1024; ++fd) close(fd);
  execvp(argv[0], argv.data());
  _exit(127);
}

void reap(pid_t pid) {
  while (pid > 0 && waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

int SignalPlayer::streamsPlaying() {
  FILE* pactl = popen("pactl list short sink-inputs 2>/dev/null", "r");
  if (!pactl) return -1;
  int lines = 0;
  for (int c; (c = fgetc(pactl)) != EOF;) lines += c == '\n';
  return pclose(pactl) == 0 ? lines : -1;
}

bool SignalPlayer::start(const std::vector<std::string>& generatorArgs) {
  stop();
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  std::vector<std::string> generator = {LMX_SIGNAL_TOOL};
  generator.insert(generator.end(), generatorArgs.begin(), generatorArgs.end());
  // pacat plays into the null sink; the generator does not pace itself, so
  // pacat's buffer is always full and the sink never runs dry. Its buffer of
  // 300 ms (instead of PulseAudio's 2 s) lets the signal arrive sooner.
  const std::vector<std::string> pacat = {"pacat", "--raw", "--format=s16le", "--rate=44100", "--channels=1",
                                          "--device=null", "--client-name=lmx-e2e", "--latency-msec=300"};
  group_ = spawn(generator, -1, fds[1], 0);
  if (group_ > 0) pacat_ = spawn(pacat, fds[0], -1, group_);
  close(fds[0]);
  close(fds[1]);
  if (group_ < 0 || pacat_ < 0) {
    stop();
    return false;
  }
  return true;
}

void SignalPlayer::stop() {
  // Both are ended and awaited, so that their sound has left the sink before
  // the next signal starts.
  if (group_ > 0) kill(-group_, SIGTERM);  // the generator and pacat
  reap(group_);
  reap(pacat_);
  const bool wasPlaying = group_ > 0;
  group_ = pacat_ = -1;
  // The server notices a client's end on its own schedule; until it has
  // removed the stream, the stream still plays into the sink.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (wasPlaying && streamsPlaying() > 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

bool SignalServer(pid_t server, ServerSignal signal) {
  const int number = signal == ServerSignal::Freeze ? SIGSTOP : signal == ServerSignal::Thaw ? SIGCONT : SIGKILL;
  return kill(server, number) == 0;
}
