#include "IntegerText.h"

bool ParseInt32(std::string_view text, int32_t& value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  // Accumulating the magnitude in 64 bits and stopping past 2^31 never overflows.
  int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > int64_t{INT32_MAX} + 1) return false;
  }
  const int64_t result = negative ? -magnitude : magnitude;
  if (result > INT32_MAX) return false;
  value = static_cast<int32_t>(result);
  return true;
}
