#include "setup/macros.h"

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
