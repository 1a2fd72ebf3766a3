// SPDX-License-Identifier: GPL-3.0-or-later
// A settings store that cannot be written, is damaged, is a folder or holds a
// value of the wrong type, seen from the main window: the user gets the
// store's message, the program works on with usable values, and nothing in
// the store is destroyed that could not be read.
#include <QStringList>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/app/MainFormFixture.h"
#include "tests/faults/FaultHelpers.h"

namespace {

const std::string kHeader = "[HKEY_CURRENT_USER\\software\\microsoft\\windows\\lmx]\n";

std::string ReadText(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

class SettingsFaults : public MainFormFixture {
 protected:
  void SetUp() override { env.audio.signal = [](int, size_t) { return int16_t{3}; }; }

  // The program's store at `path` instead of the test environment's one.
  void useStore(const std::string& path) {
    store_ = std::make_unique<FileKeyStore>(path);
    SetSettingsKeyStore(store_.get());
  }
  std::string folder() const { return env.directory() + "/lmx"; }
  std::string file() const { return folder() + "/settings.reg"; }

  // What a fresh store reads from the file: value -> number, or absent.
  std::map<std::string, int32_t> stored() {
    std::map<std::string, int32_t> values;
    FileKeyStore reader(file());
    EXPECT_TRUE(reader.open());
    for (const char* name : {"weak", "start", "finish", "zero"})
      if (reader.valueExists(name)) values[name] = reader.readInteger(name);
    return values;
  }
  // The program works: a monitor runs and ends in the Idle state.
  void expectStartWorks() {
    const size_t boxes = env.boxes.size();
    atCycle(env.audio.cycles + 5, [] { MainForm->StopButton->click(); });
    MainForm->StartButton->click();
    env.clock.onPause = nullptr;
    EXPECT_EQ(env.boxes.size(), boxes);
    EXPECT_EQ(MainForm->StatusBar->PanelText(0), " Stop");
    EXPECT_TRUE(MainForm->Stopped);
  }
  void closeAndDestroy() {
    EXPECT_TRUE(MainForm->close());
    DestroyForms();
  }
  std::vector<int32_t> settings() const { return {lmx::weak, lmx::start, lmx::finish}; }

  std::unique_ptr<FileKeyStore> store_;
};

}  // namespace

TEST_F(SettingsFaults, StoreThatCannotBeCreatedIsReportedAndDefaultsAreUsed) {
  // As root no permission bit keeps a folder from being written; a regular
  // file in the place of a parent folder does.
  const std::string blocker = env.directory() + "/blocker";
  WriteText(blocker, "x");
  useStore(blocker + "/lmx/settings.reg");
  launch(false);
  EXPECT_EQ(env.boxTexts(), (std::vector<QString>{"Failed to set data for 'weak'", "Failed to set data for 'zero'"}));
  for (const BoxRequest& box : env.boxes) EXPECT_EQ(box.kind, BoxKind::Error);
  EXPECT_EQ(settings(), (std::vector<int32_t>{kDefaultWeak, kDefaultStart, kDefaultFinish}));
  EXPECT_EQ(lmx::zero, 3);  // measured all the same, only not kept
  expectStartWorks();
  closeAndDestroy();
  EXPECT_EQ(ReadText(blocker), "x");
}

TEST_F(SettingsFaults, DamagedFileKeepsWhatCanBeReadAndIsWrittenWholeAgain) {
  const std::string good = kHeader + "\"weak\"=dword:00000007\n\"start\"=dword:000007d0\n\"finish\"=dword:00000bb8\n";
  std::string garbage;
  for (int i = 0; i < 3000; ++i) garbage += static_cast<char>((i * 7919) % 251);
  struct Case {
    const char* what;
    std::string content;
    std::vector<int32_t> expected;  // weak, start, finish
  };
  const Case cases[] = {
      {"empty", "", {1, 1000, 5000}},
      {"binary garbage", garbage, {1, 1000, 5000}},
      {"cut inside the header", kHeader.substr(0, 20), {1, 1000, 5000}},
      {"cut inside the last line", good.substr(0, good.size() - 5), {7, 2000, 5000}},
      {"cut after a line", good.substr(0, good.find("\"finish\"")), {7, 2000, 5000}},
      {"garbage between lines",
       kHeader + "\"weak\"=dword:00000007\n" + garbage.substr(0, 200) + "\n\"start\"=dword:000007d0\n", {7, 2000, 5000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RemoveDirectory(folder());
    std::filesystem::create_directories(folder());
    WriteText(file(), c.content);
    env.boxes.clear();
    launch(false);
    EXPECT_TRUE(env.boxes.empty()) << env.boxes[0].text.toStdString();
    EXPECT_EQ(settings(), c.expected);
    // The file was rewritten whole: it reads back to the values in use.
    const auto values = stored();
    EXPECT_EQ((std::vector<int32_t>{values.at("weak"), values.at("start"), values.at("finish")}), c.expected);
    EXPECT_EQ(values.at("zero"), 3);
    EXPECT_EQ(ReadText(file()).rfind(kHeader, 0), 0u);
    expectStartWorks();
    closeAndDestroy();
    EXPECT_TRUE(env.boxes.empty());
  }
}

TEST_F(SettingsFaults, FolderInThePlaceOfTheFileIsLeftAlone) {
  std::filesystem::create_directories(file());
  WriteText(file() + "/keep", "mine");
  launch(false);
  EXPECT_EQ(env.boxTexts(), (std::vector<QString>{"Failed to set data for 'weak'", "Failed to set data for 'zero'"}));
  expectStartWorks();
  closeAndDestroy();
  EXPECT_EQ(Names(QString::fromStdString(file())), QStringList{"keep"});
  EXPECT_EQ(ReadText(file() + "/keep"), "mine");
}

TEST_F(SettingsFaults, FileReplacedByAFolderWhileTheProgramRuns) {
  launch();
  std::filesystem::remove(file());
  std::filesystem::create_directories(file());
  WriteText(file() + "/keep", "mine");
  lmx::weak = 9;
  closeAndDestroy();
  EXPECT_EQ(ReadText(file() + "/keep"), "mine");
  EXPECT_EQ(Names(QString::fromStdString(folder())), QStringList{"settings.reg"});  // nothing written beside it
}

TEST_F(SettingsFaults, WronglyTypedValueIsReportedAndNoStoredValueIsLost) {
  struct Case {
    const char* name;
    const char* line;
    QString error;
  };
  const Case cases[] = {
      {"weak", "\"weak\"=\"5\"\n", "Invalid data type for 'weak'"},
      {"weak", "\"weak\"=hex:05,00,00,00,00\n", "Failed to get data for 'weak'"},
      {"start", "\"start\"=\"2000\"\n", "Failed to get data for 'start'"},
      {"zero", "\"zero\"=hex:01,02\n", "Invalid data type for 'zero'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    RemoveDirectory(folder());
    std::filesystem::create_directories(folder());
    // Typed by hand into a file that holds a wavelength range of the user's.
    std::string content = kHeader;
    for (const char* line : {"\"weak\"=dword:00000002\n", "\"start\"=dword:00000bb8\n",
                             "\"finish\"=dword:00000fa0\n", "\"zero\"=dword:00000001\n"})
      content += std::string(line).rfind(std::string("\"") + c.name + "\"", 0) == 0 ? c.line : line;
    WriteText(file(), content);
    lmx::weak = kDefaultWeak;
    lmx::start = kDefaultStart;
    lmx::finish = kDefaultFinish;
    env.boxes.clear();
    launch(false);
    ASSERT_EQ(env.boxTexts(), std::vector<QString>{c.error});
    EXPECT_EQ(env.boxes[0].title, "Spectrometer LMX");
    expectStartWorks();
    closeAndDestroy();
    EXPECT_EQ(ReadText(file()), content);  // neither the range nor the bad value replaced by defaults
  }
}

TEST_F(SettingsFaults, FullDiskAtExitIsReportedAndTheOldFileStays) {
  launch();
  const std::string before = ReadText(file());
  lmx::weak = 5;
  {
    FileSizeLimit full(10);
    EXPECT_TRUE(MainForm->close());
  }
  DestroyForms();
  EXPECT_EQ(env.boxTexts(), std::vector<QString>{"Failed to set data for 'weak'"});
  EXPECT_EQ(ReadText(file()), before);
  EXPECT_EQ(Names(QString::fromStdString(folder())), QStringList{"settings.reg"});  // no temporary left
}
