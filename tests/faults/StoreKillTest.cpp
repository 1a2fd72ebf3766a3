// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file is replaced atomically: a process killed (SIGKILL) at any
// moment while it writes the file leaves the old or the new content, complete.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/EditableKeyStore.h"
#include "tests/settings/TestFiles.h"

namespace {

constexpr int kRuns = 200;

// A value large enough that writing the file takes several system calls.
const std::vector<uint8_t> kPadding = [] {
  std::vector<uint8_t> bytes(16 * 1024);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 31 + 7);
  return bytes;
}();

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string text;
  char digits[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(digits, sizeof digits, i == 0 ? "%02x" : ",%02x", bytes[i]);
    text += digits;
  }
  return text;
}

// The whole file after "count" was last set to `count`.
std::string Content(int32_t count) {
  static const std::string padding = "\"padding\"=hex:" + Hex(kPadding) + "\n";
  char line[32];
  std::snprintf(line, sizeof line, "\"count\"=dword:%08x\n", static_cast<unsigned>(count));
  return kKeyHeader + padding + line;
}

// In a child: sets "count" to first, first + 1, ... until killed. Tells the
// parent through `ready` once the store is open.
[[noreturn]] void WriteUntilKilled(const std::string& path, int32_t first, int ready) {
  EditableKeyStore store(path);
  if (!store.open()) _exit(2);
  if (::write(ready, "r", 1) != 1) _exit(3);
  try {
    for (int32_t count = first;; ++count) store.writeInteger("count", count);
  } catch (...) {
    _exit(4);
  }
}

}  // namespace

TEST(SettingsFileKilledWhileWriting, AlwaysHoldsTheOldOrTheNewCompleteContent) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  const std::string path = dir.path() + "/settings.reg";
  {
    EditableKeyStore store(path);
    ASSERT_TRUE(store.open());
    store.writeBinary("padding", kPadding);
    store.writeInteger("count", 0);
  }
  ASSERT_EQ(readFile(path), Content(0));

  // Kill moments spread over a few writes' time.
  const auto begin = std::chrono::steady_clock::now();
  {
    EditableKeyStore store(path);
    ASSERT_TRUE(store.open());
    for (int i = 0; i < 5; ++i) store.writeInteger("count", 0);
  }
  const auto perWrite = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - begin) / 5;
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int64_t> delay(0, 3 * perWrite.count() + 200);

  int32_t count = 0;
  int unchanged = 0, changed = 0;
  for (int run = 0; run < kRuns; ++run) {
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(pipe[0]);
      WriteUntilKilled(path, count + 1, pipe[1]);
    }
    ::close(pipe[1]);
    char ready = 0;
    const bool started = ::read(pipe[0], &ready, 1) == 1;
    ::close(pipe[0]);
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(started) << "the writer ended with status " << status;
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the writer ended with status " << status;

    const std::string content = readFile(path);
    EditableKeyStore reader(path);
    ASSERT_TRUE(reader.open()) << "run " << run;
    ASSERT_TRUE(reader.valueExists("count")) << "run " << run << ": a torn file of " << content.size() << " bytes";
    const int32_t now = reader.readInteger("count");
    ASSERT_GE(now, count) << "run " << run;
    ASSERT_EQ(content, Content(now)) << "run " << run;
    (now == count ? unchanged : changed) += 1;
    count = now;
  }
  EXPECT_GT(changed, 0);
  std::printf("%d runs: %d killed before the first new file, %d after; count reached %d\n", kRuns, unchanged,
              changed, static_cast<int>(count));

  // Temporaries of killed writers are left beside the file; they do not
  // disturb the next write.
  EditableKeyStore store(path);
  ASSERT_TRUE(store.open());
  store.writeInteger("count", -1);
  EXPECT_EQ(readFile(path), Content(-1));
}
