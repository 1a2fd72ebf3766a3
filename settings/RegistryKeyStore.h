// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings key in the Windows registry:
// HKEY_CURRENT_USER\software\microsoft\windows\lmx, values of type REG_DWORD.
#include "KeyStore.h"

class RegistryKeyStore : public KeyStore {
 public:
  RegistryKeyStore() = default;
  ~RegistryKeyStore() override;
  RegistryKeyStore(const RegistryKeyStore&) = delete;
  RegistryKeyStore& operator=(const RegistryKeyStore&) = delete;

  bool open() override;
  void close() override;
  bool valueExists(const std::string& name) override;
  int32_t readInteger(const std::string& name) override;
  void writeInteger(const std::string& name, int32_t value) override;

 private:
  void* key_ = nullptr;  // HKEY; kept opaque so that <windows.h> stays out of the header
};
