#include "setup/run/shortcuts_plan.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "tests/common/temp_dir.h"
#include "tests/setup/test_files.h"

namespace {

const char kInstallDir[] = "C:\\Prog\\App\\";
const char kSourcePath[] = "D:\\Setup\\";

TInst Inst() {
  TInst inst;
  inst.ProgramName = "App";
  inst.SourcePath = kSourcePath;
  inst.DesktopDir = "C:\\Desk";
  inst.ProgramsDir = "C:\\Menu\\Programs";
  return inst;
}

// Records what the shell would be asked to do.
struct FakeShell {
  std::vector<std::string> calls;
  std::string failOn;  // a link or folder whose creation throws
  std::vector<std::string> made;  // what creating the group folder makes
  TShortcutActions Actions() {
    TShortcutActions a;
    a.CreateShortcut = [this](const TShortcutItem& item, const std::string& link) {
      if (link == failOn) throw std::runtime_error("refused");
      calls.push_back("link " + link + " -> " + item.Link);
    };
    a.CreateFolders = [this](const std::string& folder) {
      if (folder == failOn) throw std::runtime_error("refused");
      calls.push_back("folder " + folder);
      return made;
    };
    return a;
  }
};

}  // namespace

TEST(PackageShortcuts, KeysAreReadWithDefaultsAndMacrosWhereTheyBelong) {
  TempDir dir;
  WriteBytes(dir.File("setup.ini"),
             "[Package0]\r\n"
             "Ico_Link0=%InstallPath%\\app.exe\r\n"
             "Ico_Name0=App.lnk\r\n"
             "Ico_Link1=%SourcePath%readme.txt\r\n"
             "Ico_Name1=Readme\r\n"
             "Ico_WDir1=%InstallPath%\\docs\r\n"
             "Ico_Argu1=%InstallPath% /x\r\n"
             "Ico_Desc1=%SourcePath% text\r\n"
             "Ico_File1=%InstallPath%\\icons.dll\r\n"
             "Ico_Link3=never.exe\r\n"
             "[Package1]\r\n"
             "Ico_Name0=Orphan.lnk\r\n"
             "Ico_Link1=skipped.exe\r\n");
  TIniFile32 ini(dir.File("setup.ini"));
  std::vector<TShortcutItem> items = ReadPackageShortcuts(ini, "Package0", kInstallDir, kSourcePath);
  std::vector<TShortcutItem> expected = {
      {"C:\\Prog\\App\\app.exe", "App.lnk", "C:\\Prog\\App\\", "", "", ""},
      {"D:\\Setup\\readme.txt", "Readme", "C:\\Prog\\App\\docs", "%InstallPath% /x", "%SourcePath% text",
       "C:\\Prog\\App\\icons.dll"},
  };
  EXPECT_EQ(items, expected);
  EXPECT_TRUE(ReadPackageShortcuts(ini, "Package1", kInstallDir, kSourcePath).empty());
}

TEST(PackageShortcuts, BothKindsAreMadeAndLoggedInOrder) {
  TempDir dir;
  TIniFile32 log(dir.File("install.log"));
  std::vector<TShortcutItem> items = {{"C:\\Prog\\App\\app.exe", "App.lnk", "C:\\Prog\\App\\", "", "", ""},
                                      {"C:\\Prog\\App\\b.exe", "B", "C:\\Prog\\App\\", "", "", ""}};
  FakeShell shell;
  MakePackageShortcuts(items, Inst(), true, true, &log, shell.Actions());
  EXPECT_EQ(shell.calls, (std::vector<std::string>{
                             "link C:\\Desk\\App.lnk -> C:\\Prog\\App\\app.exe",
                             "folder C:\\Menu\\Programs\\App",
                             "link C:\\Menu\\Programs\\App\\App.lnk -> C:\\Prog\\App\\app.exe",
                             "link C:\\Desk\\B -> C:\\Prog\\App\\b.exe",
                             "folder C:\\Menu\\Programs\\App",
                             "link C:\\Menu\\Programs\\App\\B -> C:\\Prog\\App\\b.exe",
                         }));
  EXPECT_EQ(ReadBytes(dir.File("install.log")),
            "\r\n"
            "[Shortcuts]\r\n"
            "C:\\Desk\\App.lnk=\r\n"
            "\r\n"  // the INI engine inserts new keys after the blank line before the next section
            "C:\\Menu\\Programs\\App\\App.lnk=\r\n"
            "C:\\Desk\\B=\r\n"
            "C:\\Menu\\Programs\\App\\B=\r\n"
            "[CreateDirs]\r\n"
            "C:\\Menu\\Programs\\App=\r\n");
}

TEST(PackageShortcuts, FoldersMadeAboveTheGroupAreLoggedBeforeIt) {
  TempDir dir;
  TIniFile32 log(dir.File("install.log"));
  FakeShell shell;
  shell.made = {"C:\\Menu", "C:\\Menu\\Programs", "C:\\Menu\\Programs\\App"};
  MakePackageShortcuts({{"C:\\A\\a.exe", "A.lnk", "C:\\A\\", "", "", ""}}, Inst(), false, true, &log,
                       shell.Actions());
  std::vector<std::string> dirs;
  log.ReadSectionValues("CreateDirs", &dirs);
  EXPECT_EQ(dirs, (std::vector<std::string>{"C:\\Menu=", "C:\\Menu\\Programs=", "C:\\Menu\\Programs\\App="}));
}

TEST(PackageShortcuts, CheckBoxesAndUninstallSupportDecideWhatHappens) {
  TempDir dir;
  std::vector<TShortcutItem> items = {{"C:\\A\\a.exe", "A.lnk", "C:\\A\\", "", "", ""}};
  FakeShell none;
  TIniFile32 log(dir.File("install.log"));
  MakePackageShortcuts(items, Inst(), false, false, &log, none.Actions());
  EXPECT_TRUE(none.calls.empty());
  EXPECT_FALSE(fileio::FileExists(dir.File("install.log")));

  FakeShell groupOnly;
  MakePackageShortcuts(items, Inst(), false, true, nullptr, groupOnly.Actions());
  EXPECT_EQ(groupOnly.calls, (std::vector<std::string>{"folder C:\\Menu\\Programs\\App",
                                                       "link C:\\Menu\\Programs\\App\\A.lnk -> C:\\A\\a.exe"}));
  EXPECT_FALSE(fileio::FileExists(dir.File("install.log")));
}

TEST(PackageShortcuts, AFailingBlockIsSkippedSilentlyAndTheNextGoesOn) {
  TempDir dir;
  TIniFile32 log(dir.File("install.log"));
  std::vector<TShortcutItem> items = {{"C:\\A\\a.exe", "A.lnk", "C:\\A\\", "", "", ""},
                                      {"C:\\A\\b.exe", "B.lnk", "C:\\A\\", "", "", ""}};
  FakeShell shell;
  shell.failOn = "C:\\Desk\\A.lnk";
  MakePackageShortcuts(items, Inst(), true, true, &log, shell.Actions());
  EXPECT_EQ(ReadBytes(dir.File("install.log")),
            "\r\n"
            "[CreateDirs]\r\n"
            "C:\\Menu\\Programs\\App=\r\n"
            "\r\n"
            "[Shortcuts]\r\n"
            "C:\\Menu\\Programs\\App\\A.lnk=\r\n"
            "C:\\Desk\\B.lnk=\r\n"
            "C:\\Menu\\Programs\\App\\B.lnk=\r\n");

  // A log that cannot be saved ends each block at its first record.
  TIniFile32 unwritable(dir.File("missing/folder/install.log"));
  FakeShell second;
  MakePackageShortcuts(items, Inst(), true, true, &unwritable, second.Actions());
  EXPECT_EQ(second.calls, (std::vector<std::string>{"link C:\\Desk\\A.lnk -> C:\\A\\a.exe",
                                                    "folder C:\\Menu\\Programs\\App",
                                                    "link C:\\Desk\\B.lnk -> C:\\A\\b.exe",
                                                    "folder C:\\Menu\\Programs\\App"}));
}
