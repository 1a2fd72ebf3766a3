// SPDX-License-Identifier: GPL-3.0-or-later
#include "Settings.h"

#include <cstdint>

// Start at the defaults so that a failed load never leaves an attenuation of 0.
namespace lmx {
int32_t weak = kDefaultWeak;
int32_t start = kDefaultStart;
int32_t finish = kDefaultFinish;
}  // namespace lmx

namespace {
struct Setting {
  const char* name;
  int32_t* variable;
  int32_t defaultValue;
};

// Load and save go through the values in this order.
const Setting kSettings[] = {
    {"weak", &lmx::weak, kDefaultWeak},
    {"start", &lmx::start, kDefaultStart},
    {"finish", &lmx::finish, kDefaultFinish},
};
constexpr int kCount = sizeof kSettings / sizeof kSettings[0];

// A value the last load did not read (it failed, or a failure stopped the
// load before it) still holds what the key holds, so saving it unchanged
// would replace the stored value with a default it was never loaded into.
struct Unread {
  bool unread = false;
  int32_t value = 0;  // the variable as the load left it
};
Unread unread[kCount];
}  // namespace

void LoadSettings(KeyStore& store) {
  for (int i = 0; i < kCount; ++i) unread[i] = {true, *kSettings[i].variable};
  OpenedKey key(store);
  for (int i = 0; i < kCount; ++i) {
    const Setting& s = kSettings[i];
    int32_t value = s.defaultValue;
    if (key->valueExists(s.name)) {
      value = key->readInteger(s.name);
    } else {
      key->writeInteger(s.name, value);
    }
    // Sanitised at once, so that an error further on cannot leave it at 0.
    if (s.variable == &lmx::weak) value = SaneAttenuation(value);
    *s.variable = value;
    unread[i].unread = false;
  }
}

void SaveSettings(KeyStore& store) {
  OpenedKey key(store);
  for (int i = 0; i < kCount; ++i) {
    const Setting& s = kSettings[i];
    if (unread[i].unread && *s.variable == unread[i].value) continue;  // unchanged since the load failed
    // A value deleted meanwhile stays deleted.
    if (key->valueExists(s.name)) key->writeInteger(s.name, *s.variable);
  }
}

int32_t SaneAttenuation(int64_t value) {
  // The magnitude in unsigned arithmetic: -INT64_MIN does not exist.
  const uint64_t magnitude =
      value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  if (magnitude == 0) return 1;
  if (magnitude > INT32_MAX) return INT32_MAX;
  return static_cast<int32_t>(magnitude);
}
