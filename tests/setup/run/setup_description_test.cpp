#include "setup/run/setup_description.h"

#include <gtest/gtest.h>

#include "tests/common/temp_dir.h"
#include "tests/setup/test_files.h"

namespace {

class SetupDescription : public ::testing::Test {
 protected:
  TIniFile32 Load(const std::string& text) {
    WriteBytes(path_, text);
    return TIniFile32(path_);
  }
  TempDir dir_;
  std::string path_ = dir_.File("setup.ini");
};

}  // namespace

TEST_F(SetupDescription, MissingFileGivesEveryDefault) {
  TIniFile32 ini(dir_.File("absent.ini"));
  TInst inst;
  LoadInstallSettings(ini, inst);
  EXPECT_EQ(inst.PageSequence, "0124567");
  EXPECT_EQ(inst.ProgramName, "");
  EXPECT_EQ(inst.InstallPath + inst.InstallFolder, "");
  EXPECT_TRUE(inst.SupportUninstall);
  EXPECT_FALSE(inst.MultiVolume);
  EXPECT_FALSE(inst.CreateDesktopIcon);
  EXPECT_TRUE(LoadPackageList(ini).empty());
}

TEST_F(SetupDescription, PageSequenceFollowsTheDialogSwitches) {
  EXPECT_EQ(BuildPageSequence(Load("[Dialogs]\r\nWellcome=0\r\nPath=0\r\nCustom=0\r\n"
                                   "Languge=0\r\nIconType=0\r\nStart=0\r\n")),
            "7");
  EXPECT_EQ(BuildPageSequence(Load("[Dialogs]\r\nWellcome=0\r\nPath=1\r\n")), "124567");
  EXPECT_EQ(BuildPageSequence(Load("[Dialogs]\r\nWellcome=yes\r\nCustom=0\r\nStart=5\r\n")), "014567");
  // The switch is spelled "Languge"; "Language" is not read.
  EXPECT_EQ(BuildPageSequence(Load("[dialogs]\r\nLanguage=0\r\nIconType=0\r\n")), "012467");
}

TEST_F(SetupDescription, InstallSettingsAreReadAsWritten) {
  TIniFile32 ini = Load(
      "[Install]\r\nProgramName=Редактор\r\nInstallPath=C:\\Apps\r\nInstallFolder=Tool\r\n"
      "InstallPicture=side.bmp\r\nSupportUninstall=0\r\nMultiVolume=1\r\nCreateDesktopIcon=0x1\r\n");
  TInst inst;
  LoadInstallSettings(ini, inst);
  EXPECT_EQ(inst.ProgramName, "Редактор");
  // No separator is added between the two.
  EXPECT_EQ(inst.InstallPath + inst.InstallFolder, "C:\\AppsTool");
  EXPECT_EQ(inst.InstallPicture, "side.bmp");
  EXPECT_FALSE(inst.SupportUninstall);
  EXPECT_TRUE(inst.MultiVolume);
  EXPECT_TRUE(inst.CreateDesktopIcon);
}

TEST_F(SetupDescription, VersionPublisherAndUrlAreOptional) {
  TInst inst;
  LoadInstallSettings(Load("[Install]\r\nVersion=2.1 beta\r\nPublisher=Мастерская\r\nURL=http://example.org/\r\n"),
                      inst);
  EXPECT_EQ(inst.Version, "2.1 beta");
  EXPECT_EQ(inst.Publisher, "Мастерская");
  EXPECT_EQ(inst.URL, "http://example.org/");
  TInst none;
  LoadInstallSettings(Load("[Install]\r\nProgramName=X\r\n"), none);
  EXPECT_EQ(none.Version + none.Publisher + none.URL, "");
}

TEST_F(SetupDescription, PackageListEndsAtTheFirstGapAndMarksRequiredPackages) {
  TIniFile32 ini = Load(
      "[Packages]\r\nPackage0=Core\r\nPackage2=Never listed\r\nPackage1=\r\n"
      "[Package0]\r\nMain=1\r\n");
  std::vector<TPackageItem> list = LoadPackageList(ini);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].Name, "Core");
  EXPECT_TRUE(list[0].Required);

  list = LoadPackageList(Load("[Packages]\r\nPackage0=A\r\nPackage1=B\r\n[Package1]\r\nMain=yes\r\n"));
  ASSERT_EQ(list.size(), 2u);
  EXPECT_FALSE(list[0].Required);
  EXPECT_FALSE(list[1].Required);  // only numbers are booleans
}

TEST_F(SetupDescription, RussianSectionIsUsedOnlyWithMoreThanTwoKeyedLines) {
  TIniFile32 ini = Load(
      "[Package1]\r\nPak0=eng.rar\r\nFilesCount=3\r\n"
      "[Package1.RUS]\r\nPak0=rus.rar\r\nno equals\r\nFilesCount=4\r\n"
      "[Package2.RUS]\r\nPak0=r.rar\r\nFilesCount=0x10\r\nVolume=Диск 2\r\n");
  EXPECT_EQ(ChoosePackageSection(ini, 1, true), "Package1");
  EXPECT_EQ(ChoosePackageSection(ini, 1, false), "Package1");
  EXPECT_EQ(ChoosePackageSection(ini, 2, true), "Package2.RUS");
  EXPECT_EQ(ChoosePackageSection(ini, 2, false), "Package2");
  EXPECT_EQ(ini.ReadInteger(ChoosePackageSection(ini, 2, true), "FilesCount", 0), 16);
}

TEST_F(SetupDescription, NumberedKeysStopAtTheFirstMissingOrEmptyOne) {
  TIniFile32 ini = Load("[P]\r\nPak0=a.rar\r\nPak2=c.rar\r\n[Q]\r\nPak0=a\r\nPak1=\r\nPak2=c\r\n");
  EXPECT_EQ(ReadNumberedKeys(ini, "P", "Pak"), std::vector<std::string>{"a.rar"});
  EXPECT_EQ(ReadNumberedKeys(ini, "Q", "Pak"), std::vector<std::string>{"a"});
  EXPECT_TRUE(ReadNumberedKeys(ini, "R", "Pak").empty());
}

TEST_F(SetupDescription, SourceFolderEndsWithOneBackslash) {
  EXPECT_EQ(SourceFolderOf("D:\\Setup\\Sowell.exe"), "D:\\Setup\\");
  EXPECT_EQ(SourceFolderOf("D:\\Sowell.exe"), "D:\\");
  EXPECT_EQ(SourceFolderOf("\\\\server\\share\\Sowell.exe"), "\\\\server\\share\\");
}
