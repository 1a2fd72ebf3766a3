// SPDX-License-Identifier: GPL-3.0-or-later
// The signal player of the Windows build, whose tests run under Wine on
// Linux: the generator and pacat are the build machine's own programs, and so
// is the sound server's process that the tests signal. Wine runs a Unix
// program that CreateProcess names natively (fork and exec), but hands back
// neither a process handle nor its exit status, and does not connect it to
// pipes; so every such step goes through wine-native.sh, which reports back
// through a file in LMX_E2E_NATIVE_DIR (with-sound-server.sh makes it).
#include "tests/e2e/SignalPlayer.h"

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace {

std::wstring widen(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  wide.resize(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                  static_cast<int>(wide.size())));
  return wide;
}

// One argument of a command line, quoted as Windows (and Wine, for a Unix
// program's argv) splits it: backslashes are literal unless a quote follows.
std::wstring quoted(const std::string& argument) {
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : widen(argument)) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(2 * backslashes, L'\\');
  return out + L"\"";
}

struct NativeResult {
  bool done = false;  // the command ran to its end and reported
  int status = -1;
  std::string output;
};

// Runs `wine-native.sh RESULT args...` natively and waits (10 s at most) for
// its report.
NativeResult runNative(const std::vector<std::string>& args) {
  NativeResult result;
  const char* directory = std::getenv("LMX_E2E_NATIVE_DIR");
  if (!directory) return result;
  static int calls = 0;
  const std::string report = std::string(directory) + "/report-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(++calls);
  std::wstring line = L"bash " + quoted(LMX_E2E_NATIVE_SCRIPT) + L" " + quoted(report);
  for (const std::string& a : args) line += L" " + quoted(a);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(L"Z:\\bin\\bash", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return result;
  if (process.hThread) CloseHandle(process.hThread);
  if (process.hProcess) CloseHandle(process.hProcess);

  // Wine's drive Z: is the Unix root.
  const std::filesystem::path file(L"Z:" + widen(report));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  std::error_code error;
  while (!std::filesystem::exists(file, error)) {
    if (std::chrono::steady_clock::now() > deadline) return result;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  std::string text;
  {
    std::ifstream in(file, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::filesystem::remove(file, error);
  // The output, then the exit status on a line of its own.
  if (!text.empty() && text.back() == '\n') text.pop_back();
  const size_t lastLine = text.rfind('\n');
  if (lastLine == std::string::npos) return result;
  result.done = true;
  result.status = std::atoi(text.c_str() + lastLine + 1);
  result.output = text.substr(0, lastLine);
  return result;
}

}  // namespace

int SignalPlayer::streamsPlaying() {
  const NativeResult streams = runNative({"streams"});
  return streams.done && streams.status == 0 ? std::atoi(streams.output.c_str()) : -1;
}

bool SignalPlayer::start(const std::vector<std::string>& generatorArgs) {
  stop();
  std::vector<std::string> args = {"play", LMX_SIGNAL_TOOL};
  args.insert(args.end(), generatorArgs.begin(), generatorArgs.end());
  const NativeResult played = runNative(args);
  if (!played.done || played.status != 0) return false;
  group_ = static_cast<pid_t>(std::atoi(played.output.c_str()));
  return group_ > 0;
}

void SignalPlayer::stop() {
  if (group_ <= 0) return;
  // Ends the group and waits until the server has removed the stream.
  runNative({"stop", std::to_string(group_)});
  group_ = -1;
}

bool SignalServer(pid_t server, ServerSignal signal) {
  const char* name = signal == ServerSignal::Freeze ? "STOP" : signal == ServerSignal::Thaw ? "CONT" : "KILL";
  const NativeResult sent = runNative({"signal", name, std::to_string(server)});
  return sent.done && sent.status == 0;
}
