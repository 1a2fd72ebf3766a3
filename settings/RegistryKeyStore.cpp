// SPDX-License-Identifier: GPL-3.0-or-later
#include "RegistryKeyStore.h"

#include <windows.h>

namespace {
const char kKeyPath[] = "software\\microsoft\\windows\\lmx";
}

RegistryKeyStore::~RegistryKeyStore() { close(); }

// Opens or creates the key. A failure is silent: without a key every
// existence test answers no and every write fails.
bool RegistryKeyStore::open() {
  close();
  HKEY key = nullptr;
  DWORD disposition = 0;
  const LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, &disposition);
  if (rc != ERROR_SUCCESS) return false;
  key_ = key;
  return true;
}

void RegistryKeyStore::close() {
  if (key_ != nullptr) RegCloseKey(static_cast<HKEY>(key_));
  key_ = nullptr;
}

bool RegistryKeyStore::valueExists(const std::string& name) {
  if (key_ == nullptr) return false;
  return RegQueryValueExA(static_cast<HKEY>(key_), name.c_str(), nullptr, nullptr, nullptr,
                          nullptr) == ERROR_SUCCESS;
}

int32_t RegistryKeyStore::readInteger(const std::string& name) {
  DWORD type = REG_NONE;
  DWORD data = 0;
  DWORD size = sizeof data;
  LONG rc = ERROR_INVALID_HANDLE;
  if (key_ != nullptr) {
    rc = RegQueryValueExA(static_cast<HKEY>(key_), name.c_str(), nullptr, &type,
                          reinterpret_cast<BYTE*>(&data), &size);
  }
  if (rc == ERROR_SUCCESS && type == REG_DWORD && size == sizeof data) {
    return static_cast<int32_t>(data);
  }
  // Data of another type that fit the 4-byte buffer: the type is wrong.
  if (rc == ERROR_SUCCESS && type != REG_DWORD && size <= sizeof data) {
    throw StoreError("Invalid data type for '" + name + "'");
  }
  throw StoreError("Failed to get data for '" + name + "'");
}

void RegistryKeyStore::writeInteger(const std::string& name, int32_t value) {
  const DWORD data = static_cast<DWORD>(value);
  if (key_ == nullptr ||
      RegSetValueExA(static_cast<HKEY>(key_), name.c_str(), 0, REG_DWORD,
                     reinterpret_cast<const BYTE*>(&data), sizeof data) != ERROR_SUCCESS) {
    throw StoreError("Failed to set data for '" + name + "'");
  }
}
