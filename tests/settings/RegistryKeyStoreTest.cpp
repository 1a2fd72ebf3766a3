// SPDX-License-Identifier: GPL-3.0-or-later
// The settings in the Windows registry, as the program keeps them: the key
// HKEY_CURRENT_USER\software\microsoft\windows\lmx with REG_DWORD values.
// The tests run in the build folder's own Wine prefix and remove the key
// before and after, so they never meet a user's settings there.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "KeyStore.h"
#include "RegistryKeyStore.h"
#include "Settings.h"

namespace {

const char kKeyPath[] = "software\\microsoft\\windows\\lmx";

class RegistryKey : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteKeyA(HKEY_CURRENT_USER, kKeyPath); }
  void TearDown() override {
    RegDeleteKeyA(HKEY_CURRENT_USER, kKeyPath);
    lmx::weak = kDefaultWeak;
    lmx::start = kDefaultStart;
    lmx::finish = kDefaultFinish;
  }

  // Sets a value of any type through the registry itself, as another program would.
  static void put(const char* name, DWORD type, const std::vector<BYTE>& data) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size())), ERROR_SUCCESS);
    RegCloseKey(key);
  }

  // The value as the registry holds it: its type and, for a REG_DWORD, its number.
  static std::pair<DWORD, DWORD> stored(const char* name) {
    DWORD type = REG_NONE, data = 0, size = sizeof data;
    RegGetValueA(HKEY_CURRENT_USER, kKeyPath, name, RRF_RT_ANY, &type, &data, &size);
    return {type, data};
  }

  static std::string failure(KeyStore& store, const char* name) {
    try {
      store.readInteger(name);
    } catch (const StoreError& error) {
      return error.what();
    }
    return "no error";
  }
};

TEST_F(RegistryKey, IsTheProgramsStoreAndTheFirstLoadWritesTheDefaults) {
  KeyStore& store = settingsKeyStore();
  ASSERT_NE(dynamic_cast<RegistryKeyStore*>(&store), nullptr);
  lmx::weak = 11;
  lmx::start = 22;
  lmx::finish = 33;
  LoadSettings(store);
  EXPECT_EQ((std::vector<int32_t>{lmx::weak, lmx::start, lmx::finish}), (std::vector<int32_t>{1, 1000, 5000}));
  using Stored = std::pair<DWORD, DWORD>;
  EXPECT_EQ(stored("weak"), Stored(REG_DWORD, 1));
  EXPECT_EQ(stored("start"), Stored(REG_DWORD, 1000));
  EXPECT_EQ(stored("finish"), Stored(REG_DWORD, 5000));

  lmx::finish = -7;  // a negative number goes in as its 32 bits
  SaveSettings(store);
  EXPECT_EQ(stored("finish"), Stored(REG_DWORD, 0xfffffff9u));
  lmx::finish = 0;
  LoadSettings(store);
  EXPECT_EQ(lmx::finish, -7);
}

TEST_F(RegistryKey, ReadsOnlyDwordsAndNamesTheFaultyValue) {
  put("text", REG_SZ, {'a', 'b', 0});              // fits 4 bytes: a wrong type
  put("long", REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8});  // longer than a number
  put("qword", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0});
  RegistryKeyStore store;
  EXPECT_FALSE(store.valueExists("text"));  // not open yet
  EXPECT_THROW(store.writeInteger("weak", 5), StoreError);
  ASSERT_TRUE(store.open());
  EXPECT_TRUE(store.valueExists("text"));
  EXPECT_FALSE(store.valueExists("missing"));
  EXPECT_EQ(failure(store, "text"), "Invalid data type for 'text'");
  EXPECT_EQ(failure(store, "long"), "Failed to get data for 'long'");
  EXPECT_EQ(failure(store, "qword"), "Failed to get data for 'qword'");
  EXPECT_EQ(failure(store, "missing"), "Failed to get data for 'missing'");
  store.writeInteger("text", INT32_MIN);  // a value of another type is replaced
  EXPECT_EQ(store.readInteger("text"), INT32_MIN);
  store.close();
  EXPECT_FALSE(store.valueExists("text"));
}

}  // namespace
