// SPDX-License-Identifier: GPL-3.0-or-later
// Built by scripts/windows-check.sh with mingw-w64: the Qt-free settings code
// compiled and linked as for Windows, where the settings live in the
// registry. Run on Windows, it loads the program's settings from its
// registry key (writing the defaults of missing values, as the program does),
// saves them back and prints them.
#include <cstdint>
#include <cstdio>

#include "IntegerText.h"
#include "KeyStore.h"
#include "RegistryKeyStore.h"
#include "Settings.h"

int main() {
  KeyStore& store = settingsKeyStore();
  if (dynamic_cast<RegistryKeyStore*>(&store) == nullptr) {
    std::fputs("the settings store is not the registry\n", stderr);
    return 1;
  }
  try {
    LoadSettings(store);
    SaveSettings(store);
  } catch (const StoreError& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  int32_t typed = 0;
  if (!ParseInt32("-2147483648", typed) || typed != INT32_MIN || SaneAttenuation(typed) != INT32_MAX) {
    std::fputs("integer text check failed\n", stderr);
    return 1;
  }
  std::printf("weak=%ld start=%ld finish=%ld\n", static_cast<long>(lmx::weak), static_cast<long>(lmx::start),
              static_cast<long>(lmx::finish));
  return 0;
}
