#include "setup/run/macros.h"

#include <gtest/gtest.h>

TEST(ExpandMacros, ReplacesTheThreeMacrosInAnyLetterCase) {
  const char* dir = "C:\\Apps\\Tool\\";
  const char* src = "D:\\Setup\\";
  EXPECT_EQ(ExpandMacros("%InstallPath%\\bin", dir, src), "C:\\Apps\\Tool\\bin");
  EXPECT_EQ(ExpandMacros("%installpath%\\a;%INSTALLPATH%\\b", dir, src), "C:\\Apps\\Tool\\a;C:\\Apps\\Tool\\b");
  EXPECT_EQ(ExpandMacros("%SourcePath%\\file.exe", dir, src), "D:\\Setup\\file.exe");
  EXPECT_EQ(ExpandMacros("%SourcePath%a %sourcepath%b", dir, src), "D:\\Setup\\a D:\\Setup\\b");
  EXPECT_EQ(ExpandMacros("%SourceDrive%\\autorun.inf", dir, src), "D:\\autorun.inf");
  EXPECT_EQ(ExpandMacros("%Other% stays", dir, src), "%Other% stays");
}

TEST(ExpandMacros, CyrillicLettersAreNotFoldedInTheSearch) {
  EXPECT_EQ(ReplaceAll("Путь ПУТЬ путь", "путь", "x"), "Путь ПУТЬ x");
}

TEST(ExpandMacros, BackslashRunsCollapseAndBackslashQuoteBecomesQuote) {
  EXPECT_EQ(ExpandMacros("a\\\\\\\\b", "C:\\", "D:\\"), "a\\b");
  EXPECT_EQ(ExpandMacros("\"%InstallPath%\\\" -x", "C:\\P\\", "D:\\"), "\"C:\\P\" -x");
  EXPECT_EQ(ExpandMacros("%InstallPath%\\x", "C:\\", "D:\\"), "C:\\x");
}

TEST(ExpandMacros, NetworkSourceDriveIsReducedToOneBackslash) {
  EXPECT_EQ(ExpandMacros("%SourceDrive%", "C:\\", "\\\\srv\\share\\"), "\\");
  EXPECT_EQ(ExpandMacros("%SourcePath%x", "C:\\", "\\\\srv\\share\\"), "\\srv\\share\\x");
}

TEST(ExpandMacros, AValueHoldingItsOwnMacroIsExpandedOnce) {
  EXPECT_EQ(ExpandMacros("%InstallPath%\\a", "C:\\%InstallPath%\\", "D:\\"), "C:\\%InstallPath%\\a");
  EXPECT_EQ(ExpandMacros("%SourcePath%", "C:\\", "D:\\%SourcePath%\\"), "D:\\%SourcePath%\\");
  EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
}

namespace {

// The replace-all rule done the obvious way, one replacement at a time inside
// the text, to hold the single-pass builder to the same results.
std::string ReplaceInPlace(std::string text, const std::string& pattern, const std::string& replacement) {
  auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
  if (pattern.empty()) return text;
  size_t from = 0;
  for (;;) {
    size_t at = std::string::npos;
    for (size_t i = from; i + pattern.size() <= text.size() && at == std::string::npos; ++i) {
      size_t k = 0;
      while (k < pattern.size() && upper(text[i + k]) == upper(pattern[k])) ++k;
      if (k == pattern.size()) at = i;
    }
    if (at == std::string::npos) return text;
    text.replace(at, pattern.size(), replacement);
    from = at + replacement.size();
  }
}

}  // namespace

TEST(ExpandMacros, SinglePassReplacementAgreesWithReplacingInPlace) {
  // Short texts over a small alphabet hit overlaps, adjacent hits, hits in
  // the replacement and letter case far more often than real paths do.
  const std::string alphabet = "aA%\\\"bB";
  const std::string patterns[] = {"a", "aa", "%a%", "\\\"", "\\\\", "Ab", "%", "aba"};
  const std::string replacements[] = {"", "a", "aa", "%A%", "\\", "\"", "xyz"};
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 16;
  };
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    for (size_t n = next() % 12; n > 0; --n) text += alphabet[next() % alphabet.size()];
    const std::string& pattern = patterns[next() % std::size(patterns)];
    const std::string& replacement = replacements[next() % std::size(replacements)];
    ASSERT_EQ(ReplaceAll(text, pattern, replacement), ReplaceInPlace(text, pattern, replacement))
        << "text [" << text << "] pattern [" << pattern << "] replacement [" << replacement << "]";
  }
}
