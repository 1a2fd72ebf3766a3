// SPDX-License-Identifier: GPL-3.0-or-later
#include "IntegerText.h"

#include <charconv>

bool ParseInt32(std::string_view text, int32_t& value) {
  // from_chars takes an optional '-' but no '+': one '+' before a digit is
  // allowed and skipped ("+-1" stays refused).
  if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
  int32_t parsed = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  value = parsed;
  return true;
}
