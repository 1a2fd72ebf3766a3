#include "tests/e2e/SignalPlayer.h"

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Spawns `argv` (looked up in PATH) with `in` and `out` as its standard input
// and output, in process group `group` (0: a new group of its own).
pid_t spawn(const std::vector<std::string>& args, int in, int out, int unused, pid_t group) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  if (in >= 0) posix_spawn_file_actions_adddup2(&files, in, STDIN_FILENO);
  if (out >= 0) posix_spawn_file_actions_adddup2(&files, out, STDOUT_FILENO);
  for (int fd : {in, out, unused})
    if (fd > STDERR_FILENO) posix_spawn_file_actions_addclose(&files, fd);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, group);
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, argv[0], &files, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&files);
  return rc == 0 ? pid : -1;
}

void reap(pid_t pid) {
  while (pid > 0 && waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

bool SignalPlayer::start(const std::vector<std::string>& generatorArgs) {
  stop();
  int fds[2];
  if (pipe(fds) != 0) return false;
  std::vector<std::string> generator = {LMX_SIGNAL_TOOL};
  generator.insert(generator.end(), generatorArgs.begin(), generatorArgs.end());
  // pacat plays into the null sink; the generator does not pace itself, so
  // pacat's buffer is always full and the sink never runs dry.
  const std::vector<std::string> pacat = {"pacat", "--raw", "--format=s16le", "--rate=44100", "--channels=1",
                                          "--device=null", "--client-name=lmx-e2e"};
  generator_ = spawn(generator, -1, fds[1], fds[0], 0);
  if (generator_ > 0) pacat_ = spawn(pacat, fds[0], -1, fds[1], generator_);
  close(fds[0]);
  close(fds[1]);
  if (generator_ < 0 || pacat_ < 0) {
    stop();
    return false;
  }
  return true;
}

void SignalPlayer::stop() {
  if (generator_ > 0) kill(-generator_, SIGTERM);  // the group: the generator and pacat
  reap(generator_);
  reap(pacat_);
  generator_ = pacat_ = -1;
}
