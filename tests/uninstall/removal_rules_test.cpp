#include "uninstall/removal_rules.h"

#include <gtest/gtest.h>

using namespace removal;

TEST(RemovalRules, ExtensionIsReplacedOrAppended) {
  EXPECT_EQ(ChangeFileExt("C:\\Menu\\App\\Run", ".lnk"), "C:\\Menu\\App\\Run.lnk");
  EXPECT_EQ(ChangeFileExt("C:\\Menu\\App\\Run.lnk", ".pif"), "C:\\Menu\\App\\Run.pif");
  EXPECT_EQ(ChangeFileExt("C:\\My.Folder\\Run", ".pif"), "C:\\My.Folder\\Run.pif");
  EXPECT_EQ(ChangeFileExt("C:\\a\\guide.hlp", ".gid"), "C:\\a\\guide.gid");
  EXPECT_EQ(FileExtension("C:\\a\\b.c\\noext"), "");
  EXPECT_EQ(FileExtension("C:\\a\\GUIDE.HLP"), ".HLP");
}

TEST(RemovalRules, PathSetsMatchWithoutCaseInCodePage1251) {
  std::vector<std::string> kept = {"C:\\Common\\Shared.dll=", "C:\\x=y.dll=", "C:\\Общие\\Ёлка.dll=1",
                                   "no equals"};
  PathSet keptSet = KeptSharedFileSet(kept);
  EXPECT_TRUE(keptSet.Contains("c:\\common\\SHARED.DLL"));
  EXPECT_FALSE(keptSet.Contains("C:\\Common\\Shared.dl"));
  // A kept file whose path holds "=" is kept whole, as the shared-file step
  // names it; its first part names nothing.
  EXPECT_TRUE(keptSet.Contains("C:\\x=y.dll"));
  EXPECT_FALSE(keptSet.Contains("C:\\x"));
  EXPECT_TRUE(keptSet.Contains("C:\\ОБЩИЕ\\ёЛКА.DLL"));
  EXPECT_FALSE(keptSet.Contains("C:\\Общие\\Елка.dll")) << "Ё and Е are two letters";
  EXPECT_FALSE(PathSet().Contains("C:\\a"));

  // Installed files are named by the text before the last "=".
  PathSet installed = EntryPathSet({"C:\\App\\a=b.txt=", "C:\\App\\Readme.TXT=", "C:\\App\\Readme.txt="});
  EXPECT_TRUE(installed.Contains("c:\\app\\A=B.TXT"));
  EXPECT_FALSE(installed.Contains("C:\\App\\a"));
  EXPECT_TRUE(installed.Contains("C:\\APP\\README.TXT"));
  EXPECT_EQ(installed.Size(), 3u);
}

TEST(RemovalRules, OnlyFullPathsBelowARootMayBeRemoved) {
  EXPECT_TRUE(IsRemovablePath("C:\\App\\a=b.txt"));
  EXPECT_TRUE(IsRemovablePath("C:\\Program Files\\App\\"));
  EXPECT_TRUE(IsRemovablePath("c:\\App\\*.tmp"));
  EXPECT_TRUE(IsRemovablePath("\\\\server\\share\\App\\x.dll"));
  EXPECT_TRUE(IsRemovablePath("C:\\App\\Записи.txt"));

  EXPECT_FALSE(IsRemovablePath(""));
  EXPECT_FALSE(IsRemovablePath("C:\\"));
  EXPECT_FALSE(IsRemovablePath("C:"));
  EXPECT_FALSE(IsRemovablePath("C:\\\\"));
  EXPECT_FALSE(IsRemovablePath("\\\\server\\share\\"));
  EXPECT_FALSE(IsRemovablePath("\\\\server\\"));
  EXPECT_FALSE(IsRemovablePath("relative\\file.txt"));
  EXPECT_FALSE(IsRemovablePath("\\no-drive\\file.txt"));
  EXPECT_FALSE(IsRemovablePath("C:file.txt"));
  EXPECT_FALSE(IsRemovablePath("C:\\App\\..\\Windows\\x.dll"));
  EXPECT_FALSE(IsRemovablePath("C:\\App\\.\\x.dll"));
  EXPECT_FALSE(IsRemovablePath("C:\\App\\...\\x.dll"));
  EXPECT_FALSE(IsRemovablePath("C:\\App\\\\x.dll"));
  EXPECT_FALSE(IsRemovablePath("C:\\*\\x.dll"));
  EXPECT_FALSE(IsRemovablePath("C:\\App/../x.dll"));
}

TEST(RemovalRules, MasksMayNotSweepRootsOrSystemFolders) {
  std::vector<std::string> system = {"C:\\WINDOWS", "C:\\WINDOWS\\system32\\"};
  EXPECT_TRUE(HasWildcards("C:\\App\\*.tmp"));
  EXPECT_TRUE(HasWildcards("C:\\App\\file?.txt"));
  EXPECT_FALSE(HasWildcards("C:\\App\\file.txt"));
  // The NT file search also reads these as wildcards: "<" as "*", ">" as "?",
  // '"' as a dot that may be missing.
  EXPECT_TRUE(HasWildcards("C:\\<.txt"));
  EXPECT_TRUE(HasWildcards("C:\\victim>txt"));
  EXPECT_TRUE(HasWildcards("C:\\victim\"txt"));
  EXPECT_TRUE(IsMaskAllowedIn("C:\\App\\", system));
  EXPECT_FALSE(IsMaskAllowedIn("C:\\", system));
  EXPECT_FALSE(IsMaskAllowedIn("c:\\windows\\", system));
  EXPECT_FALSE(IsMaskAllowedIn("C:\\Windows\\System32\\", system));
  EXPECT_TRUE(IsMaskAllowedIn("C:\\Windows\\System32\\App\\", system));
  EXPECT_EQ(FolderOf("C:\\App\\*.tmp"), "C:\\App\\");
  EXPECT_EQ(FolderOf("C:\\x"), "C:\\");
}

TEST(RemovalRules, AFontFileWithoutAFolderLiesInTheFontsFolder) {
  EXPECT_EQ(FontFilePath("reaptest.ttf", "C:\\windows\\Fonts"), "C:\\windows\\Fonts\\reaptest.ttf");
  EXPECT_EQ(FontFilePath("reaptest.ttf", "C:\\windows\\Fonts\\"), "C:\\windows\\Fonts\\reaptest.ttf");
  EXPECT_EQ(FontFilePath("C:\\App\\reaptest.ttf", "C:\\windows\\Fonts"), "C:\\App\\reaptest.ttf");
  // A drive-relative or slashed name is left for the path checks to refuse.
  EXPECT_EQ(FontFilePath("C:reaptest.ttf", "C:\\windows\\Fonts"), "C:reaptest.ttf");
  EXPECT_EQ(FontFilePath("sub/reaptest.ttf", "C:\\windows\\Fonts"), "sub/reaptest.ttf");
  EXPECT_EQ(FontFilePath("", "C:\\windows\\Fonts"), "");
}

TEST(RemovalRules, SharedFileAnswersToAllHoldForTheRestOfTheRun) {
  EXPECT_EQ(DecideSharedFile(3, 0), SharedFileAction::DecrementAndKeep);
  EXPECT_EQ(DecideSharedFile(2, kYesToAll), SharedFileAction::DecrementAndKeep);
  EXPECT_EQ(DecideSharedFile(1, 0), SharedFileAction::Ask);
  EXPECT_EQ(DecideSharedFile(0, kAnswerYes), SharedFileAction::Ask);
  EXPECT_EQ(DecideSharedFile(1, kAnswerNo), SharedFileAction::Ask);
  EXPECT_EQ(DecideSharedFile(1, kYesToAll), SharedFileAction::Remove);
  EXPECT_EQ(DecideSharedFile(-5, kNoToAll), SharedFileAction::Keep);
  EXPECT_TRUE(AnswerRemoves(kAnswerYes));
  EXPECT_TRUE(AnswerRemoves(kYesToAll));
  EXPECT_FALSE(AnswerRemoves(kAnswerNo));
  EXPECT_FALSE(AnswerRemoves(kNoToAll));
}
