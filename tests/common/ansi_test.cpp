#include "common/ansi.h"

#include <gtest/gtest.h>

TEST(Ansi, CaseFoldingTreatsLatinAndCyrillicAlike) {
  EXPECT_TRUE(ansi::SameText("MAIN", "Main"));
  EXPECT_TRUE(ansi::SameText("Пакет", "ПАКЕТ"));
  EXPECT_TRUE(ansi::SameText("ёЁ", "ЁЁ"));
  EXPECT_TRUE(ansi::SameText("Їїіґ", "ЇЇІҐ"));
  EXPECT_FALSE(ansi::SameText("Main", "Mains"));
  EXPECT_FALSE(ansi::SameText("е", "ё"));
  EXPECT_EQ(ansi::UpperCase("ab Яя z"), "AB ЯЯ Z");
  EXPECT_EQ(ansi::LowerCase("AB ЯЯ"), "ab яя");
}

TEST(Ansi, EveryUpperCaseLetterHasExactlyOneLowerCaseLetter) {
  int pairs = 0;
  for (int i = 0; i < 256; ++i) {
    char c = static_cast<char>(i);
    char up = ansi::UpperChar(c);
    if (up != c) {
      ++pairs;
      EXPECT_EQ(ansi::LowerChar(up), c) << i;
      EXPECT_EQ(ansi::UpperChar(up), up) << i;
    }
  }
  // 26 Latin, 32 main Cyrillic and 15 further letters of code page 1251.
  EXPECT_EQ(pairs, 73);
}

TEST(Ansi, TrimRemovesControlCharactersButNotHighBytes) {
  EXPECT_EQ(ansi::Trim(" \t\x01 a b \r\n"), "a b");
  EXPECT_EQ(ansi::Trim("\xA0я\xA0"), "\xA0я\xA0");
  EXPECT_EQ(ansi::Trim("   "), "");
  EXPECT_EQ(ansi::TrimLeft("  x "), "x ");
  EXPECT_EQ(ansi::TrimRight("  x "), "  x");
}

TEST(Ansi, RussianLiteralsAreCodePage1251Bytes) {
  // "Подтверждение" in code page 1251.
  EXPECT_EQ(std::string("Подтверждение"),
            "\xCF\xEE\xE4\xF2\xE2\xE5\xF0\xE6\xE4\xE5\xED\xE8\xE5");
}
