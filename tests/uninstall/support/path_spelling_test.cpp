// The spellings of a path that the system reads as another path, or as
// something that is no file or folder at all.
#include "uninstall/support/path_spelling.h"

#include <gtest/gtest.h>

using namespace pathspell;

TEST(PathSpelling, DevicePrefixesComeOffAndSharesGetTheirPlainForm) {
  EXPECT_EQ(PlainSpelling("C:\\App\\x.txt"), "C:\\App\\x.txt");
  EXPECT_EQ(PlainSpelling("\\\\.\\C:\\*.txt"), "C:\\*.txt");
  EXPECT_EQ(PlainSpelling("\\\\?\\C:\\*.txt"), "C:\\*.txt");
  EXPECT_EQ(PlainSpelling("\\\\?\\c:\\windows\\*.ini"), "c:\\windows\\*.ini");
  EXPECT_EQ(PlainSpelling("\\??\\C:\\windows\\*.ini"), "C:\\windows\\*.ini");
  EXPECT_EQ(PlainSpelling("\\\\?\\UNC\\server\\share\\App\\*.*"), "\\\\server\\share\\App\\*.*");
  EXPECT_EQ(PlainSpelling("\\\\.\\unc\\server\\share\\"), "\\\\server\\share\\");
  EXPECT_EQ(PlainSpelling("\\\\server\\share\\App\\x.dll"), "\\\\server\\share\\App\\x.dll");
  EXPECT_EQ(PlainSpelling("\\\\?\\C:\\"), "C:\\");
  EXPECT_EQ(PlainSpelling("\\\\?\\C:\\App\\"), "C:\\App\\");
  // Outside the literal form "/" separates.
  EXPECT_EQ(PlainSpelling("C:/windows/*.ini"), "C:\\windows\\*.ini");
  EXPECT_EQ(PlainSpelling("\\\\.\\C:/windows/*.ini"), "C:\\windows\\*.ini");
  // Ordinary parsing is left to the system: it strips these itself.
  EXPECT_EQ(PlainSpelling("C:\\windows.\\*.ini"), "C:\\windows.\\*.ini");
  EXPECT_EQ(PlainSpelling("C:\\WINDOWS\\\\*.ini"), "C:\\WINDOWS\\\\*.ini");
}

TEST(PathSpelling, DevicesVolumesAndNestedPrefixesNameNoFileOfADrive) {
  for (const char* path : {"\\\\.\\C:", "\\\\?\\C:", "\\\\.\\PhysicalDrive0", "\\\\.\\COM1",
                           "\\\\?\\Volume{4c1b02c1-d990-11dc-99ae-806e6f6e6963}\\x.txt",
                           "\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1\\x.txt", "\\\\?\\unix\\tmp\\x.txt",
                           "\\\\.\\.\\C:\\x.txt", "\\\\?\\\\\\?\\C:\\x.txt", "\\\\?\\UNC\\.\\C:\\x.txt",
                           "\\\\?\\UNC\\?\\C:\\x.txt", "\\\\.\\UNC\\server", "", "relative\\x.txt",
                           "\\no-drive\\x.txt", "C:x.txt", "C:", "\\\\server", "\\\\server\\",
                           "\\\\*\\share\\x", "\\\\server\\sh?re\\x"}) {
    EXPECT_FALSE(PlainSpelling(path)) << path;
  }
}

TEST(PathSpelling, StreamsAndWildcardFoldersAreRefused) {
  for (const char* path : {"C:\\App\\data.txt:hidden", "C:\\App\\data.txt::$DATA", "C:\\App:stream\\x.txt",
                           "\\\\server\\share\\x.txt:s", "\\\\?\\C:\\x.txt:s", "C:\\*\\x.txt",
                           "C:\\App?\\x.txt", "C:\\A<\\x.txt", "C:\\A>\\x.txt", "C:\\A\"\\x.txt"}) {
    EXPECT_FALSE(PlainSpelling(path)) << path;
  }
  EXPECT_TRUE(PlainSpelling("C:\\App\\*.t?t"));
  EXPECT_TRUE(PlainSpelling("C:\\App\\<.txt"));
}

TEST(PathSpelling, ALiteralPathThatOrdinaryParsingWouldChangeIsRefused) {
  for (const char* path : {"\\\\?\\C:\\windows.\\*.ini", "\\\\?\\C:\\windows \\*.ini", "\\\\?\\C:\\App\\..\\x",
                           "\\\\?\\C:\\App\\.\\x", "\\\\?\\C:\\App\\\\x", "\\\\?\\C:\\App\\x.txt.",
                           "\\\\?\\C:\\App/x.txt", "\\??\\C:\\App\\x "}) {
    EXPECT_FALSE(PlainSpelling(path)) << path;
  }
}

TEST(PathSpelling, WildcardsOfTheFileSearch) {
  for (const char* name : {"*.txt", "a?.txt", "a<", "a>b", "a\"b"}) EXPECT_TRUE(HasWildcard(name)) << name;
  EXPECT_FALSE(HasWildcard("C:\\Program Files\\App [1] (x) 100%.txt"));
}

TEST(PathSpelling, RootsFoldersAndNames) {
  EXPECT_EQ(RootLength("C:\\x"), 3u);
  EXPECT_EQ(RootLength("\\\\srv\\share\\x"), 12u);
  EXPECT_EQ(RootLength("\\\\srv\\share"), 11u);
  EXPECT_EQ(RootLength("\\\\srv\\\\x"), 0u);
  EXPECT_EQ(RootLength("C:x"), 0u);
  EXPECT_TRUE(IsRoot("c:\\"));
  EXPECT_TRUE(IsRoot("\\\\srv\\share"));
  EXPECT_TRUE(IsRoot("\\\\srv\\share\\"));
  EXPECT_FALSE(IsRoot("C:\\x"));
  EXPECT_FALSE(IsRoot("C:"));

  EXPECT_EQ(SplitLast("C:\\App\\x.txt").folder, "C:\\App");
  EXPECT_EQ(SplitLast("C:\\App\\x.txt").name, "x.txt");
  EXPECT_EQ(SplitLast("C:\\x.txt").folder, "C:\\");
  EXPECT_EQ(SplitLast("\\\\srv\\share\\x.txt").folder, "\\\\srv\\share\\");
  EXPECT_EQ(Join("C:\\", "x"), "C:\\x");
  EXPECT_EQ(Join("C:\\App", "x"), "C:\\App\\x");

  EXPECT_EQ(FoldersUpToRoot("C:\\Vendor\\App\\"),
            (std::vector<std::string>{"C:\\Vendor\\App", "C:\\Vendor", "C:\\"}));
  EXPECT_EQ(FoldersUpToRoot("\\\\srv\\share\\App"),
            (std::vector<std::string>{"\\\\srv\\share\\App", "\\\\srv\\share\\"}));
  EXPECT_EQ(FoldersUpToRoot("C:\\"), (std::vector<std::string>{"C:\\"}));
  EXPECT_EQ(FoldersUpToRoot("C:\\Vendor\\\\App\\\\"),
            (std::vector<std::string>{"C:\\Vendor\\\\App", "C:\\Vendor", "C:\\"}));
  EXPECT_TRUE(FoldersUpToRoot("App").empty());

  EXPECT_TRUE(IsBelow("C:\\Vendor\\App", "c:\\vendor"));
  EXPECT_TRUE(IsBelow("C:\\Vendor\\App", "C:\\"));
  EXPECT_TRUE(IsBelow("C:\\Vendor\\App", "C:\\Vendor\\"));
  EXPECT_FALSE(IsBelow("C:\\Vendor", "C:\\Vendor"));
  EXPECT_FALSE(IsBelow("C:\\VendorApp", "C:\\Vendor"));
  EXPECT_FALSE(IsBelow("C:\\Vendor\\", "C:\\Vendor"));
}

TEST(PathSpelling, MasksMatchNamesAsTheFileSearchDoes) {
  EXPECT_TRUE(MaskMatches("*.ttf", "Courier.TTF"));
  EXPECT_TRUE(MaskMatches("*.*", "Courier.ttf"));
  EXPECT_TRUE(MaskMatches("*.*", "README"));
  EXPECT_TRUE(MaskMatches("*", "README"));
  EXPECT_TRUE(MaskMatches("server?.dll", "server1.dll"));
  EXPECT_TRUE(MaskMatches("a*b*c", "aXbYbZc"));
  EXPECT_TRUE(MaskMatches("шрифт*.ttf", "ШРИФТ 2.ttf"));
  EXPECT_FALSE(MaskMatches("server?.dll", "server.dll"));
  EXPECT_FALSE(MaskMatches("*.ttf", "Courier.ttf.bak"));
  EXPECT_FALSE(MaskMatches("a*b*c", "aXbYc-"));
  EXPECT_FALSE(MaskMatches("*.ttf", ""));
  // Masks with the other wildcards never stand for a particular file.
  EXPECT_FALSE(MaskMatches("<.ttf", "a.ttf"));
  EXPECT_FALSE(MaskMatches("a>ttf", "a.ttf"));
}
