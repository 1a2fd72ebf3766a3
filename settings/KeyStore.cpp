#include "settings/KeyStore.h"

#include <atomic>

#ifdef _WIN32
#include "settings/RegistryKeyStore.h"
using PlatformKeyStore = RegistryKeyStore;
#else
#include "settings/FileKeyStore.h"
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

void setSettingsKeyStore(KeyStore* store) { g_override.store(store); }
