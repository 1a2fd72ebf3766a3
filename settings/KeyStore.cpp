// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyStore.h"

#include <atomic>

#include "SystemKeyStore.h"

namespace {
std::atomic<KeyStore*> g_override{nullptr};
}  // namespace

KeyStore& settingsKeyStore() {
  KeyStore* store = g_override.load();
  return store != nullptr ? *store : SystemKeyStore();
}

KeyStore* SetSettingsKeyStore(KeyStore* store) { return g_override.exchange(store); }
