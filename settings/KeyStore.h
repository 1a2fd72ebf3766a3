// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings key: a small typed store with the operations the settings need.
// On Windows it is the registry key under HKEY_CURRENT_USER; elsewhere a
// per-user file typed like the registry (see FileKeyStore).
#include <cstdint>
#include <stdexcept>
#include <string>

// An error of the store, carrying the text shown to the user.
class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class KeyStore {
 public:
  virtual ~KeyStore() = default;

  // Opens the key, creating it if missing. Returns false when it cannot be
  // opened; the store then answers "absent" to every existence test and every
  // write fails.
  virtual bool open() = 0;
  virtual void close() = 0;

  virtual bool valueExists(const std::string& name) = 0;

  // Throws StoreError "Invalid data type for '<name>'" for a value whose data
  // fit in 4 bytes but is not a 32-bit integer, and "Failed to get data for
  // '<name>'" for longer data or a missing value.
  virtual int32_t readInteger(const std::string& name) = 0;

  // Throws StoreError "Failed to set data for '<name>'" when it cannot write.
  virtual void writeInteger(const std::string& name, int32_t value) = 0;
};

// The store the program uses; tests put their own in place.
KeyStore& settingsKeyStore();
// Installs a store and returns the one it replaces; nullptr restores the platform store.
KeyStore* SetSettingsKeyStore(KeyStore* store);

// Opens on construction and closes on destruction, so a key never stays open
// across an error.
class OpenedKey {
 public:
  explicit OpenedKey(KeyStore& store) : store_(store) { store_.open(); }
  ~OpenedKey() { store_.close(); }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  KeyStore* operator->() { return &store_; }

 private:
  KeyStore& store_;
};
