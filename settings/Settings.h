// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The three operator settings, process-wide, and their load and save.
#include <cstdint>

#include "KeyStore.h"

// The operator settings every measurement reads, process-wide.
namespace lmx {
extern int32_t weak;    // attenuation: every measured value is divided by it (>= 1)
extern int32_t start;   // initial wavelength of a scan, angstrom
extern int32_t finish;  // final wavelength of a scan, angstrom
}  // namespace lmx

constexpr int32_t kDefaultWeak = 1;
constexpr int32_t kDefaultStart = 1000;
constexpr int32_t kDefaultFinish = 5000;

// Reads "weak", "start", "finish"; a missing value gets its default, which is
// written at once. A stored attenuation of 0 becomes 1 and a negative one its
// absolute value. Throws StoreError (the key is closed first).
void LoadSettings(KeyStore& store);

// Writes the three values back, each only if it still exists in the key. A
// value the last load could not read is written only once it has changed.
void SaveSettings(KeyStore& store);

// The attenuation rule shared by loading and the settings dialog:
// absolute value, 0 becomes 1, and the one value without a 32-bit absolute
// value (-2147483648) becomes 2147483647.
int32_t SaneAttenuation(int64_t value);
