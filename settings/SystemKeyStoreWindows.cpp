// SPDX-License-Identifier: GPL-3.0-or-later
#include "SystemKeyStore.h"

#include "RegistryKeyStore.h"

KeyStore& SystemKeyStore() {
  static RegistryKeyStore store;
  return store;
}
