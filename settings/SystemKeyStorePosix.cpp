// SPDX-License-Identifier: GPL-3.0-or-later
#include "SystemKeyStore.h"

#include "FileKeyStore.h"

KeyStore& SystemKeyStore() {
  static FileKeyStore store;
  return store;
}
