// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <climits>

#include "IntegerText.h"

TEST(IntegerText, PlainSignedDecimalsInThe32BitRangeParse) {
  const std::pair<const char*, int32_t> good[] = {
      {"0", 0},          {"-4", -4},   {"+17", 17},  {"007", 7},
      {"2147483647", INT32_MAX},       {"-2147483648", INT32_MIN},
      {"-0", 0},         {"00000000000000000000042", 42}};
  for (auto [text, expected] : good) {
    int32_t value = 12345;
    EXPECT_TRUE(ParseInt32(text, value)) << text;
    EXPECT_EQ(value, expected) << text;
  }
}

TEST(IntegerText, AnythingElseFailsAndLeavesTheValue) {
  for (const char* text : {"", "-", "+", "abc", " 5", "5 ", "1e3", "0x10", "12a", "--1", "+-1", "2147483648",
                           "-2147483649", "99999999999999999999999", "4294967296", "1,000", "1.0", "\xd9\xa3"}) {
    int32_t value = 12345;
    EXPECT_FALSE(ParseInt32(text, value)) << text;
    EXPECT_EQ(value, 12345) << text;
  }
}
