// SPDX-License-Identifier: GPL-3.0-or-later
#include "Settings.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "tests/support/EditableKeyStore.h"
#include "TestFiles.h"

namespace {

// Counts closes, to see that the key is closed after an error too.
class TrackedStore : public EditableKeyStore {
 public:
  using EditableKeyStore::EditableKeyStore;
  void close() override {
    ++closes;
    EditableKeyStore::close();
  }
  int closes = 0;
};

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    lmx::weak = 11;  // not the defaults, to see what a load assigns
    lmx::start = 22;
    lmx::finish = 33;
  }
  void TearDown() override {
    lmx::weak = kDefaultWeak;
    lmx::start = kDefaultStart;
    lmx::finish = kDefaultFinish;
  }
  std::string file() const { return dir_.path() + "/lmx/settings.reg"; }

  // Sets up the key through a store of its own, as another program would.
  template <typename F>
  void prepare(F f) {
    EditableKeyStore store(file());
    ASSERT_TRUE(store.open());
    f(store);
  }

  TempDir dir_;
};

TEST_F(SettingsTest, FirstLoadWritesTheDefaults) {
  TrackedStore store(file());
  LoadSettings(store);
  EXPECT_EQ(readFile(file()), kKeyHeader +
                                  "\"weak\"=dword:00000001\n"
                                  "\"start\"=dword:000003e8\n"
                                  "\"finish\"=dword:00001388\n");
  EXPECT_EQ((std::vector<int32_t>{lmx::weak, lmx::start, lmx::finish}), (std::vector<int32_t>{1, 1000, 5000}));
  EXPECT_EQ(store.closes, 1);
}

TEST_F(SettingsTest, StoredValuesAreReadAndSavedInPlace) {
  prepare([](EditableKeyStore& s) {
    s.writeInteger("finish", 6000);
    s.writeInteger("zero", 77);
    s.writeInteger("START", -200);
    s.writeInteger("weak", 3);
  });
  const std::string stored = readFile(file());
  EditableKeyStore store(file());
  LoadSettings(store);
  EXPECT_EQ((std::vector<int32_t>{lmx::weak, lmx::start, lmx::finish}), (std::vector<int32_t>{3, -200, 6000}));
  EXPECT_EQ(readFile(file()), stored);

  lmx::weak = 4;
  lmx::start = 4000;
  lmx::finish = 9000;
  SaveSettings(store);
  EXPECT_EQ(readFile(file()), kKeyHeader +
                                  "\"finish\"=dword:00002328\n"
                                  "\"zero\"=dword:0000004d\n"
                                  "\"START\"=dword:00000fa0\n"
                                  "\"weak\"=dword:00000004\n");
}

TEST_F(SettingsTest, DeletedValueIsNotRecreatedAtSaveButAtTheNextLoad) {
  EditableKeyStore store(file());
  LoadSettings(store);
  prepare([](EditableKeyStore& s) { s.deleteValue("start"); });
  lmx::weak = 2;
  lmx::start = 3000;
  lmx::finish = 7000;
  SaveSettings(store);
  const std::string saved = kKeyHeader + "\"weak\"=dword:00000002\n\"finish\"=dword:00001b58\n";
  EXPECT_EQ(readFile(file()), saved);
  LoadSettings(store);
  EXPECT_EQ(lmx::start, 1000);
  EXPECT_EQ(readFile(file()), saved + "\"start\"=dword:000003e8\n");
}

TEST_F(SettingsTest, ReadErrorStopsTheLoadAfterClosingTheKey) {
  struct Case {
    std::string name, text, error;
    std::vector<int32_t> after;  // weak, start, finish
  };
  const Case cases[] = {
      {"weak", "1", "Invalid data type for 'weak'", {11, 22, 33}},
      {"weak", "1000", "Failed to get data for 'weak'", {11, 22, 33}},
      {"start", "1", "Invalid data type for 'start'", {7, 22, 33}},
      {"finish", "1000", "Failed to get data for 'finish'", {7, 8, 33}},
  };
  for (const Case& c : cases) {
    SetUp();
    prepare([&](EditableKeyStore& s) {
      s.writeInteger("weak", 7);
      s.writeInteger("start", 8);
      s.writeInteger("finish", 9);
      s.writeText(c.name, c.text);
    });
    TrackedStore store(file());
    EXPECT_EQ(errorOf([&] { LoadSettings(store); }), c.error);
    EXPECT_EQ(store.closes, 1);
    EXPECT_EQ((std::vector<int32_t>{lmx::weak, lmx::start, lmx::finish}), c.after) << c.error;
  }
}

TEST_F(SettingsTest, StoredAttenuationIsMadeSane) {
  const std::pair<int32_t, int32_t> cases[] = {{0, 1}, {-4, 4}, {INT32_MIN, INT32_MAX}};
  for (const auto& c : cases) {
    prepare([&](EditableKeyStore& s) {
      s.writeInteger("weak", c.first);
      s.writeBinary("start", {1, 2, 3, 4});
    });
    EditableKeyStore store(file());
    EXPECT_EQ(errorOf([&] { LoadSettings(store); }), "Invalid data type for 'start'");
    EXPECT_EQ(lmx::weak, c.second);  // sane even though the load failed later on
    ASSERT_TRUE(store.open());
    EXPECT_EQ(store.readInteger("weak"), c.first);  // the key itself is left alone
  }
}

TEST(SaneAttenuation, AbsoluteValueAtLeastOneAndWithin32Bits) {
  EXPECT_EQ(SaneAttenuation(0), 1);
  EXPECT_EQ(SaneAttenuation(-1), 1);
  EXPECT_EQ(SaneAttenuation(-4), 4);
  EXPECT_EQ(SaneAttenuation(INT32_MAX), INT32_MAX);
  EXPECT_EQ(SaneAttenuation(INT32_MIN), INT32_MAX);
  EXPECT_EQ(SaneAttenuation(INT64_MIN), INT32_MAX);
}

TEST_F(SettingsTest, UnopenableKeyFailsAtLoadAndIsSilentAtSave) {
  writeFile(dir_.path() + "/lmx", "not a directory");
  TrackedStore store(file());
  EXPECT_EQ(errorOf([&] { LoadSettings(store); }), "Failed to set data for 'weak'");
  EXPECT_EQ((std::vector<int32_t>{lmx::weak, lmx::start, lmx::finish}), (std::vector<int32_t>{11, 22, 33}));
  EXPECT_EQ(errorOf([&] { SaveSettings(store); }), "");
  EXPECT_EQ(store.closes, 2);
  EXPECT_EQ(readFile(dir_.path() + "/lmx"), "not a directory");
}

}  // namespace
