#include "common/numbers.h"

#include <gtest/gtest.h>

#include <climits>

using namespace numbers;

TEST(Numbers, TheLogsNumbersDecimalHexadecimalAndFallback) {
  EXPECT_EQ(StrToIntDef("42", 0), 42);
  EXPECT_EQ(StrToIntDef(" -7", 0), -7);
  EXPECT_EQ(StrToIntDef("\t+7", 0), 7);
  EXPECT_EQ(StrToIntDef("$10", 0), 16);
  EXPECT_EQ(StrToIntDef("0x1f", 0), 31);
  EXPECT_EQ(StrToIntDef("-$10", 0), -16);
  EXPECT_EQ(StrToIntDef("$FFFFFFFF", 0), -1);
  EXPECT_EQ(StrToIntDef("$100000000", 5), 5);
  EXPECT_EQ(StrToIntDef("2147483648", 5), 5);
  EXPECT_EQ(StrToIntDef("-2147483648", 5), INT32_MIN);
  EXPECT_EQ(StrToIntDef("12 ", 5), 5);
  EXPECT_EQ(StrToIntDef("", 5), 5);
  EXPECT_EQ(StrToIntDef("-", 5), 5);
  EXPECT_EQ(StrToIntDef("$", 5), 5);
  EXPECT_EQ(StrToIntDef("0x", 5), 5);
  EXPECT_EQ(StrToIntDef("1g", 5), 5);
}

TEST(Numbers, TheDescriptionsStandardConversion) {
  int32_t v = 0;
  EXPECT_TRUE(TryStrToInt("-12", v));
  EXPECT_EQ(v, -12);
  EXPECT_TRUE(TryStrToInt("$1A", v));
  EXPECT_EQ(v, 26);
  EXPECT_TRUE(TryStrToInt("$FFFFFFFF", v));
  EXPECT_EQ(v, -1);
  EXPECT_TRUE(TryStrToInt("-2147483648", v));
  EXPECT_EQ(v, INT32_MIN);
  // No blanks, no "0x" (the INI engine rewrites that itself), no sign before "$".
  for (const char* bad : {"", " 1", "1 ", "0x1A", "-$1", "1a", "2147483648", "$", "+", "$100000000"}) {
    EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
  }
}

TEST(Numbers, HexadecimalDigits) {
  EXPECT_EQ(HexDigitValue('0'), 0);
  EXPECT_EQ(HexDigitValue('9'), 9);
  EXPECT_EQ(HexDigitValue('a'), 10);
  EXPECT_EQ(HexDigitValue('F'), 15);
  EXPECT_EQ(HexDigitValue('g'), -1);
  EXPECT_EQ(HexDigitValue(' '), -1);
}
