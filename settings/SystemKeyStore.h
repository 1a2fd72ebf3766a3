// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The system's own settings store, made on first use: the registry on Windows
// (SystemKeyStoreWindows.cpp), the settings file elsewhere
// (SystemKeyStorePosix.cpp); the build takes one.
#include "KeyStore.h"

KeyStore& SystemKeyStore();
