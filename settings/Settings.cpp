#include "settings/Settings.h"

#include <cstdint>

// Start at the defaults so that a failed load never leaves an attenuation of 0.
int32_t weak = kDefaultWeak;
int32_t start = kDefaultStart;
int32_t finish = kDefaultFinish;

namespace {
struct Setting {
  const char* name;
  int32_t* variable;
  int32_t defaultValue;
};

// Load and save go through the values in this order.
const Setting kSettings[] = {
    {"weak", &weak, kDefaultWeak},
    {"start", &start, kDefaultStart},
    {"finish", &finish, kDefaultFinish},
};
}  // namespace

void LoadSettings(KeyStore& store) {
  OpenedKey key(store);
  for (const Setting& s : kSettings) {
    int32_t value = s.defaultValue;
    if (key->valueExists(s.name)) {
      value = key->readInteger(s.name);
    } else {
      key->writeInteger(s.name, value);
    }
    // Sanitised at once, so that an error further on cannot leave it at 0.
    if (s.variable == &weak) value = SaneAttenuation(value);
    *s.variable = value;
  }
}

void SaveSettings(KeyStore& store) {
  OpenedKey key(store);
  for (const Setting& s : kSettings) {
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
