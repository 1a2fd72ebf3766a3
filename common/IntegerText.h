// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading a setting typed by the user: a plain, optionally signed decimal
// integer in the 32-bit range, nothing else (no blanks, no other notation).
#include <cstdint>
#include <string_view>

bool ParseInt32(std::string_view text, int32_t& value);
