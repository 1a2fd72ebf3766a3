// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyStore.h"

#include <atomic>

#ifdef _WIN32
#include "RegistryKeyStore.h"
using PlatformKeyStore = RegistryKeyStore;
#else
#include "FileKeyStore.h"
using PlatformKeyStore = FileKeyStore;
#endif

namespace {
std::atomic<KeyStore*> g_override{nullptr};

KeyStore& platformKeyStore() {
  static PlatformKeyStore store;
  return store;
}
}  // namespace

KeyStore& settingsKeyStore() {
  KeyStore* store = g_override.load();
  return store != nullptr ? *store : platformKeyStore();
}

KeyStore* SetSettingsKeyStore(KeyStore* store) { return g_override.exchange(store); }
