// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up to the main window shown, and the resident memory then, each run
// in a fresh process on the offscreen platform with "zero" stored (no
// calibration wait). Time runs from just before the process is spawned to
// the first paint of the client area having been flushed.
//
//   BM_StartUp_InProcess: the harness that does what app/main.cpp does, with
//     the wave input double (no device probe);
//   BM_StartUp_Program: the real program with its real audio back end, which
//     needs a sound server: PULSE_SERVER must name one (scripts/bench.sh
//     starts a private one), otherwise the benchmark is skipped.
#include <benchmark/benchmark.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TestEnvironment.h"

extern char** environ;

namespace {

using Steady = std::chrono::steady_clock;

struct Outcome {
  bool ok = false;
  std::string error;
  double seconds = 0;
  long residentKb = 0;
};

// Runs `program` once with `extra` added to the environment; waits at most 30 s.
Outcome RunOnce(const std::string& program, const std::vector<std::string>& extra, const std::string& folder) {
  Outcome outcome;
  const std::string report = folder + "/shown.txt";
  std::remove(report.c_str());
  std::vector<std::string> variables;
  for (char** e = environ; *e; ++e) variables.emplace_back(*e);
  for (const std::string& v : extra) variables.push_back(v);
  variables.push_back("LMX_STARTUP_REPORT=" + report);
  variables.push_back("XDG_CONFIG_HOME=" + folder + "/config");
  variables.push_back("QT_QPA_PLATFORM=offscreen");
  std::vector<char*> envp;
  for (std::string& v : variables) envp.push_back(v.data());
  envp.push_back(nullptr);
  std::string name = program;
  char* argv[] = {name.data(), nullptr};

  const Steady::time_point spawned = Steady::now();
  pid_t child = -1;
  if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) {
    outcome.error = "cannot start " + program;
    return outcome;
  }
  int status = 0;
  bool ended = false;
  while (Steady::now() - spawned < std::chrono::seconds(30)) {
    if (waitpid(child, &status, WNOHANG) == child) {
      ended = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (!ended) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    outcome.error = program + " did not show its window within 30 s";
    return outcome;
  }
  std::ifstream in(report);
  long long shownNs = 0;
  if (!(in >> shownNs >> outcome.residentKb)) {
    outcome.error = program + " ended without showing its window";
    return outcome;
  }
  const long long spawnedNs =
      std::chrono::duration_cast<std::chrono::nanoseconds>(spawned.time_since_epoch()).count();
  outcome.seconds = static_cast<double>(shownNs - spawnedNs) / 1e9;
  outcome.ok = true;
  return outcome;
}

// A settings folder as the user has it after the first start: "zero" stored.
std::string PreparedFolder() {
  static const struct Holder {
    std::string path = MakeTemporaryDirectory();
    Holder() {
      const std::string config = path + "/config/lmx";
      std::filesystem::create_directories(config);
      std::ofstream settings(config + "/settings.reg");
      settings << "[HKEY_CURRENT_USER\\software\\microsoft\\windows\\lmx]\n"
                  "\"weak\"=dword:00000001\n\"start\"=dword:000003e8\n\"finish\"=dword:00001388\n"
                  "\"zero\"=dword:00000000\n";
    }
    ~Holder() { RemoveDirectory(path); }
  } holder;
  return holder.path;
}

void Measure(benchmark::State& state, const std::string& program, const std::vector<std::string>& extra) {
  const std::string folder = PreparedFolder();
  double most = 0, total = 0;
  long residentMost = 0;
  for (auto _ : state) {
    const Outcome outcome = RunOnce(program, extra, folder);
    if (!outcome.ok) {
      state.SkipWithError(outcome.error.c_str());
      break;
    }
    state.SetIterationTime(outcome.seconds);
    most = std::max(most, outcome.seconds);
    total += outcome.seconds;
    residentMost = std::max(residentMost, outcome.residentKb);
  }
  if (state.error_occurred()) return;
  state.counters["max_ms"] = most * 1000;
  state.counters["mean_ms"] = total * 1000 / static_cast<double>(state.iterations());
  state.counters["rss_max_MB"] = static_cast<double>(residentMost) / 1024.0;
}

void BM_StartUp_InProcess(benchmark::State& state) { Measure(state, LMX_STARTUP_HARNESS, {}); }
BENCHMARK(BM_StartUp_InProcess)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_StartUp_Program(benchmark::State& state) {
  if (!std::getenv("PULSE_SERVER")) {
    state.SkipWithError("PULSE_SERVER is not set: no sound server to start the real program with");
    return;
  }
  Measure(state, LMX_PROGRAM,
          {"QT_PLUGIN_PATH=" LMX_PROBE_PLUGIN_PATH, "QT_QPA_GENERIC_PLUGINS=lmxshownprobe"});
}
BENCHMARK(BM_StartUp_Program)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
