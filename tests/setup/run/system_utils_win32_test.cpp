#include "setup/run/system_utils.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/common/temp_dir.h"

namespace {

bool IsFolder(const std::string& path) {
  DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

TEST(ExecuteAndWait, ReturnsTheProgramsExitCodeOrZeroWhenNothingStarts) {
  EXPECT_EQ(ExecuteAndWait("cmd.exe /c exit 7", SW_HIDE), 7u);
  EXPECT_EQ(ExecuteAndWait("C:\\no\\such\\program.exe", SW_HIDE), 0u);
}

TEST(ExecuteAndWait, ALongCommandLineRunsWhole) {
  // Cut at 255 characters, the command would never reach "exit 5".
  std::string command = "cmd.exe /c set SOWELL_LONG=" + std::string(300, 'x') + " & exit 5";
  EXPECT_EQ(ExecuteAndWait(command, SW_HIDE), 5u);
}

TEST(ExecuteAndWait, TheChildInheritsTheCurrentFolder) {
  TempDir dir;
  char old[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, old);
  ASSERT_TRUE(SetCurrentDirectoryA(dir.Path().c_str()));
  ExecuteAndWait("cmd.exe /c echo here> marker.txt", SW_HIDE);
  SetCurrentDirectoryA(old);
  EXPECT_NE(GetFileAttributesA(dir.File("marker.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(StartProgram, StartsWithoutWaitingAndReportsAFailedStart) {
  EXPECT_TRUE(StartProgram("cmd.exe /c exit 0", SW_HIDE));
  EXPECT_FALSE(StartProgram("C:\\no\\such\\program.exe", SW_HIDE));
}

TEST(ForceFolders, CreatesEveryMissingFolderWithOrWithoutTheTrailingBackslash) {
  TempDir dir;
  const std::string d = dir.Path();
  EXPECT_EQ(ForceFolders(d + "\\a\\b\\Папка\\"),
            (std::vector<std::string>{d + "\\a", d + "\\a\\b", d + "\\a\\b\\Папка"}));
  EXPECT_TRUE(IsFolder(d + "\\a\\b\\Папка"));
  // Only what it made itself: a and b were there.
  EXPECT_EQ(ForceFolders(d + "\\a\\b\\c\\d"), (std::vector<std::string>{d + "\\a\\b\\c", d + "\\a\\b\\c\\d"}));
  EXPECT_TRUE(ForceFolders(d + "\\a\\b").empty());
  EXPECT_TRUE(ForceFolders("").empty());  // nothing to do, and no failure
}

TEST(ToOemCodePage, CyrillicGoesToCodePage866) {
  // "Папка" in code page 866.
  EXPECT_EQ(ToOemCodePage("C:\\Папка\\"), "C:\\\x8F\xA0\xAF\xAA\xA0\\");
}
