// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/EditableKeyStore.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>

#include "TestFiles.h"

namespace {

using namespace std::string_literals;

class FileKeyStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.path().empty()); }
  std::string file() const { return dir_.path() + "/settings.reg"; }
  TempDir dir_;
};

mode_t modeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST_F(FileKeyStoreTest, OpenCreatesPrivateDirectoriesAndAnEmptyKey) {
  const mode_t oldMask = ::umask(022);
  EditableKeyStore store(dir_.path() + "/a/b/settings.reg");
  ASSERT_TRUE(store.open());
  store.writeInteger("weak", 1);
  ::umask(oldMask);
  EXPECT_EQ(readFile(store.path()), kKeyHeader + "\"weak\"=dword:00000001\n");
  EXPECT_EQ(listDir(dir_.path() + "/a/b"), std::vector<std::string>{"settings.reg"});
  EXPECT_EQ(modeOf(dir_.path() + "/a"), 0700u);
  EXPECT_EQ(modeOf(dir_.path() + "/a/b"), 0700u);
  EXPECT_EQ(modeOf(store.path()), 0600u);

  // A file the user has opened to others keeps its mode when rewritten.
  ASSERT_EQ(::chmod(store.path().c_str(), 0640), 0);
  store.writeInteger("weak", 2);
  EXPECT_EQ(modeOf(store.path()), 0640u);
}

TEST_F(FileKeyStoreTest, FileLayout) {
  EditableKeyStore store(file());
  ASSERT_TRUE(store.open());
  store.writeInteger("weak", 1);
  store.writeInteger("start", 1000);
  store.writeText("say \"hi\"", "C:\\lmx");
  store.writeBinary("blob", {0x01, 0x02, 0x0a, 0xff});
  store.writeBinary("empty", {});
  store.writeInteger("weak", -2);  // keeps its place
  store.deleteValue("start");
  const std::string expected = kKeyHeader +
                               "\"weak\"=dword:fffffffe\n"
                               "\"say \\\"hi\\\"\"=\"C:\\\\lmx\"\n"
                               "\"blob\"=hex:01,02,0a,ff\n"
                               "\"empty\"=hex:\n";
  EXPECT_EQ(readFile(file()), expected);
  EXPECT_EQ(listDir(dir_.path()), std::vector<std::string>{"settings.reg"});  // no temporaries

  EditableKeyStore reread(file());  // every type survives reading and rewriting
  ASSERT_TRUE(reread.open());
  reread.writeInteger("finish", 5000);
  EXPECT_EQ(readFile(file()), expected + "\"finish\"=dword:00001388\n");
}

TEST_F(FileKeyStoreTest, IntegersRoundTripOverTheWholeRange) {
  const std::pair<int32_t, std::string> cases[] = {
      {INT32_MIN, "80000000"}, {-1, "ffffffff"}, {0, "00000000"}, {INT32_MAX, "7fffffff"}};
  for (const auto& c : cases) {
    EditableKeyStore store(file());
    ASSERT_TRUE(store.open());
    store.writeInteger("v", c.first);
    EXPECT_EQ(readFile(file()), kKeyHeader + "\"v\"=dword:" + c.second + "\n");
    EditableKeyStore reread(file());
    ASSERT_TRUE(reread.open());
    EXPECT_EQ(reread.readInteger("v"), c.first);
  }
}

TEST_F(FileKeyStoreTest, NamesIgnoreCaseAndKeepTheirSpelling) {
  EditableKeyStore store(file());
  ASSERT_TRUE(store.open());
  store.writeInteger("Weak", 5);
  store.writeInteger("WEAK", 6);
  EXPECT_TRUE(store.valueExists("wEaK"));
  EXPECT_EQ(store.readInteger("weak"), 6);
  EXPECT_EQ(readFile(file()), kKeyHeader + "\"Weak\"=dword:00000006\n");
  store.deleteValue("weak");
  EXPECT_EQ(readFile(file()), kKeyHeader);
}

TEST_F(FileKeyStoreTest, OtherTypesFailWithTheRegistryTexts) {
  EditableKeyStore store(file());
  ASSERT_TRUE(store.open());
  store.writeText("t1", "1");                   // 4 bytes as UTF-16
  store.writeText("e", "\xc3\xa9");             // one character: 4 bytes
  store.writeText("t4", "1000");                // 10 bytes
  store.writeText("pair", "\xf0\x9f\x98\x80");  // a surrogate pair: 6 bytes
  store.writeBinary("b4", {1, 0, 0, 0});
  store.writeBinary("b8", {1, 0, 0, 0, 0, 0, 0, 0});
  const std::pair<std::string, std::string> cases[] = {
      {"t1", "Invalid data type for 't1'"},      {"e", "Invalid data type for 'e'"},
      {"b4", "Invalid data type for 'b4'"},      {"t4", "Failed to get data for 't4'"},
      {"pair", "Failed to get data for 'pair'"}, {"b8", "Failed to get data for 'b8'"},
      {"none", "Failed to get data for 'none'"}};
  for (const auto& c : cases) {
    EXPECT_EQ(errorOf([&] { store.readInteger(c.first); }), c.second);
  }
}

TEST_F(FileKeyStoreTest, DamagedLinesAreSkippedAndOtherValuesKeptAsTheyStand) {
  writeFile(file(), "garbage\n"
                    "\"a\"=dword:00000001\r\n"
                    "\"b\"=dword:0001\n"
                    "\"c\"=dword:0000000g\n"
                    "\"d\"=hex:01,2\n"
                    "\"e\"=hex:01,\n"
                    "\"f\"=\"open\n"
                    "\"g\"=\"bad \\x escape\"\n"
                    "\"h=dword:00000001\n"
                    "\"i\"=qword:0000000000000001\n"
                    "\"j\"=\"x\" trailing\n"
                    "\xff\xfe\0\x01\n"
                    "\"A\"=dword:00000002\n"s);  // repeats "a"
  EditableKeyStore store(file());
  ASSERT_TRUE(store.open());
  store.writeInteger("k", 4);  // rewrites only what could be read
  EXPECT_EQ(readFile(file()), kKeyHeader + "\"a\"=dword:00000002\n\"k\"=dword:00000004\n");

  // Text and binary values stay as they stand, in their places, but for
  // trailing blanks; they answer by the size of their data: 5 bytes, and one
  // escaped character, 4 bytes as UTF-16 with its terminator.
  const std::string blob = "\"Blob\"=hex:0A,Ff,00,01,02", say = "\"say\"=\"\\\"\"";
  writeFile(file(), kKeyHeader + blob + " \t\r\n" + say + "\n\"k\"=dword:00000004\n");
  ASSERT_TRUE(store.open());
  store.writeInteger("K", 5);
  EXPECT_EQ(readFile(file()), kKeyHeader + blob + "\n" + say + "\n\"k\"=dword:00000005\n");
  EXPECT_EQ(errorOf([&] { store.readInteger("blob"); }), "Failed to get data for 'blob'");
  EXPECT_EQ(errorOf([&] { store.readInteger("say"); }), "Invalid data type for 'say'");
}

TEST_F(FileKeyStoreTest, EveryTruncationKeepsTheCompleteLines) {
  const std::string full = kKeyHeader + "\"weak\"=dword:00000007\n\"text\"=\"a\\\"b\"\n\"blob\"=hex:01,02\n";
  for (std::size_t length = 0; length <= full.size(); ++length) {
    const std::string part = full.substr(0, length);
    writeFile(file(), part);
    EditableKeyStore store(file());
    ASSERT_TRUE(store.open());
    EXPECT_EQ(store.valueExists("weak"), part.find("07\n") != std::string::npos) << length;
    EXPECT_EQ(store.valueExists("text"), part.find("b\"\n") != std::string::npos) << length;
    EXPECT_EQ(store.valueExists("blob"), length == full.size()) << length;
  }
}

TEST_F(FileKeyStoreTest, SizeCap) {
  const std::size_t padding = EditableKeyStore::kMaxFileSize - kKeyHeader.size();
  writeFile(file(), kKeyHeader + std::string(padding, '\n'));
  EditableKeyStore store(file());
  EXPECT_TRUE(store.open());
  writeFile(file(), kKeyHeader + std::string(padding + 1, '\n'));
  EXPECT_FALSE(store.open());

  writeFile(file(), kKeyHeader);  // what could not be read back is not written
  ASSERT_TRUE(store.open());
  EXPECT_EQ(errorOf([&] { store.writeBinary("big", std::vector<uint8_t>(padding / 2)); }),
            "Failed to set data for 'big'");
  EXPECT_EQ(readFile(file()), kKeyHeader);
}

TEST_F(FileKeyStoreTest, UnopenableOrClosedKey) {
  writeFile(dir_.path() + "/plain", "x");
  EditableKeyStore underFile(dir_.path() + "/plain/lmx/settings.reg");
  EditableKeyStore directory(dir_.path());
  ASSERT_EQ(::mkfifo((dir_.path() + "/pipe.reg").c_str(), 0600), 0);
  EditableKeyStore pipe(dir_.path() + "/pipe.reg");  // nobody writes to it: never waited for
  EditableKeyStore closed(file());
  ASSERT_TRUE(closed.open());
  closed.writeInteger("weak", 1);
  closed.close();
  EXPECT_FALSE(underFile.open());
  EXPECT_FALSE(directory.open());
  EXPECT_FALSE(pipe.open());
  for (EditableKeyStore* store : {&underFile, &directory, &pipe, &closed}) {
    EXPECT_FALSE(store->valueExists("weak"));
    EXPECT_EQ(errorOf([&] { store->writeInteger("weak", 1); }), "Failed to set data for 'weak'");
    EXPECT_EQ(errorOf([&] { store->deleteValue("weak"); }), "Failed to delete 'weak'");
  }
  EXPECT_EQ(readFile(dir_.path() + "/plain"), "x");
}

TEST_F(FileKeyStoreTest, FailedWritesLeaveTheOldFile) {
  EditableKeyStore store(file());
  ASSERT_TRUE(store.open());
  store.writeInteger("weak", 3);
  const std::string before = readFile(file());
  EXPECT_EQ(errorOf([&] { store.writeText("t", "a\nb"); }), "Failed to set data for 't'");

  // A full disk, imitated by a file size limit, which holds for root too.
  rlimit old_limit;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  rlimit limit = old_limit;
  limit.rlim_cur = before.size() + 5;
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  const std::string full_disk = errorOf([&] { store.writeInteger("start", 1000); });
  setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);
  EXPECT_EQ(full_disk, "Failed to set data for 'start'");
  EXPECT_EQ(readFile(file()), before);
  EXPECT_FALSE(store.valueExists("start"));  // memory still matches the file
  EXPECT_EQ(listDir(dir_.path()), std::vector<std::string>{"settings.reg"});

  // The rename fails when a non-empty directory has taken the file's place.
  const std::string moved = dir_.path() + "/moved.reg";
  ASSERT_EQ(std::rename(file().c_str(), moved.c_str()), 0);
  ASSERT_EQ(mkdir(file().c_str(), 0700), 0);
  writeFile(file() + "/keep", "");
  EXPECT_EQ(errorOf([&] { store.writeInteger("weak", 4); }), "Failed to set data for 'weak'");
  EXPECT_EQ(listDir(dir_.path()), (std::vector<std::string>{"moved.reg", "settings.reg"}));
  EXPECT_EQ(readFile(moved), before);
}

TEST_F(FileKeyStoreTest, ALinkStaysALinkAndTheFileBehindItIsWritten) {
  // settings.reg -> synced/link.reg -> lmx.reg (in synced/, not there yet)
  std::filesystem::create_directory(dir_.path() + "/synced");
  std::filesystem::create_symlink("synced/link.reg", file());
  std::filesystem::create_symlink("lmx.reg", dir_.path() + "/synced/link.reg");
  EditableKeyStore store(file());
  ASSERT_TRUE(store.open());
  store.writeInteger("weak", 3);
  EXPECT_EQ(std::filesystem::read_symlink(file()), "synced/link.reg");
  EXPECT_EQ(std::filesystem::read_symlink(dir_.path() + "/synced/link.reg"), "lmx.reg");
  EXPECT_EQ(readFile(dir_.path() + "/synced/lmx.reg"), kKeyHeader + "\"weak\"=dword:00000003\n");
  EXPECT_EQ(listDir(dir_.path()), (std::vector<std::string>{"settings.reg", "synced"}));
  EXPECT_EQ(listDir(dir_.path() + "/synced"), (std::vector<std::string>{"link.reg", "lmx.reg"}));
}

TEST(FileKeyStorePath, DefaultPathFollowsXdgConfigHome) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  const std::string saved_config = config ? config : "", saved_home = home ? home : "";
  setenv("HOME", "/home/u", 1);
  for (const char* value : {"/cfg/", "relative", "", static_cast<const char*>(nullptr)}) {
    value ? setenv("XDG_CONFIG_HOME", value, 1) : unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(EditableKeyStore().path(), value && value[0] == '/' ? "/cfg/lmx/settings.reg"
                                                              : "/home/u/.config/lmx/settings.reg");
  }
  home ? setenv("HOME", saved_home.c_str(), 1) : unsetenv("HOME");
  if (config) setenv("XDG_CONFIG_HOME", saved_config.c_str(), 1);
}

TEST(SettingsKeyStore, TestsCanReplaceTheStore) {
  FileKeyStore mine("/nonexistent/settings.reg");
  SetSettingsKeyStore(&mine);
  EXPECT_EQ(&settingsKeyStore(), &mine);
  SetSettingsKeyStore(nullptr);
  EXPECT_NE(dynamic_cast<FileKeyStore*>(&settingsKeyStore()), nullptr);
  EXPECT_NE(&settingsKeyStore(), &mine);
}

}  // namespace
