// SPDX-License-Identifier: GPL-3.0-or-later
// The settings dialog's integer parser against an independent reference:
// accepted are exactly an optional sign and one or more ASCII digits whose
// value lies in the 32-bit range, and the value is the right one; anything
// else fails and leaves the variable as it was.
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "IntegerText.h"

namespace {

bool PlainSignedDecimal(const std::string& text) {
  size_t i = text.empty() || (text[0] != '+' && text[0] != '-') ? 0 : 1;
  if (i == text.size()) return false;
  for (; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

[[noreturn]] void Broken(const std::string& text, const char* what) {
  std::fprintf(stderr, "ParseInt32(\"%s\"): %s\n", text.c_str(), what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  bool expected = false;
  long long reference = 0;
  if (PlainSignedDecimal(text)) {
    errno = 0;
    char* end = nullptr;
    reference = std::strtoll(text.c_str(), &end, 10);
    expected = errno == 0 && end == text.c_str() + text.size() && reference >= INT32_MIN && reference <= INT32_MAX;
  }

  constexpr int32_t kUntouched = -7;
  int32_t value = kUntouched;
  const bool accepted = ParseInt32(text, value);
  if (accepted != expected) Broken(text, accepted ? "accepted" : "refused");
  if (accepted && value != reference) Broken(text, "wrong value");
  if (!accepted && value != kUntouched) Broken(text, "changed the value although it failed");
  return 0;
}
