#include "setup/run/run_plan.h"

#include <gtest/gtest.h>

#include "tests/common/temp_dir.h"
#include "tests/setup/test_files.h"

namespace {

TIniFile32 Ini(const TempDir& dir, const std::string& text) {
  WriteBytes(dir.File("setup.ini"), text);
  return TIniFile32(dir.File("setup.ini"));
}

}  // namespace

TEST(RunPlan, InstallFolderEndsWithExactlyOneAddedBackslash) {
  EXPECT_EQ(InstallDirFrom("C:\\Apps\\Tool"), "C:\\Apps\\Tool\\");
  EXPECT_EQ(InstallDirFrom("C:\\Apps\\Tool\\"), "C:\\Apps\\Tool\\");
  EXPECT_EQ(InstallDirFrom("D:\\"), "D:\\");
  EXPECT_EQ(InstallDirFrom(""), "");
  EXPECT_EQ(InstallDirFrom("   \t"), "");
}

TEST(RunPlan, TotalFilesCountsCheckedPackagesInTheirLanguage) {
  TempDir dir;
  TIniFile32 ini = Ini(dir,
                       "[Package0]\r\nFilesCount=5\r\n[Package1]\r\nFilesCount=0x10\r\n"
                       "[Package1.RUS]\r\nFilesCount=7\r\nPak0=r.rar\r\nVolume=1\r\n"
                       "[Package2]\r\nFilesCount=100\r\n");
  EXPECT_EQ(CountTotalFiles(ini, {false, true, false}, false), 16);
  EXPECT_EQ(CountTotalFiles(ini, {false, true, false}, true), 7);
  EXPECT_EQ(CountTotalFiles(ini, {true, true, true}, false), 121);
  EXPECT_EQ(CountTotalFiles(ini, {}, false), 0);
  TIniFile32 huge = Ini(dir, "[Package0]\r\nFilesCount=2147483647\r\n[Package1]\r\nFilesCount=2147483647\r\n");
  EXPECT_EQ(CountTotalFiles(huge, {true, true}, false), INT32_MAX);
}

TEST(RunPlan, DiskPromptsAsTheUserReadsThem) {
  // "Вставьте Диск 2 и нажмите кнопку ОК" with the Cyrillic letters О and К.
  EXPECT_EQ(InsertDiskPrompt("Диск 2", true),
            "\xC2\xF1\xF2\xE0\xE2\xFC\xF2\xE5 \xC4\xE8\xF1\xEA 2 \xE8 \xED\xE0\xE6\xEC\xE8\xF2\xE5 "
            "\xEA\xED\xEE\xEF\xEA\xF3 \xCE\xCA");
  EXPECT_EQ(InsertDiskPrompt("X", false).back(), '.');
  EXPECT_EQ(FirstDiskPrompt().substr(FirstDiskPrompt().size() - 3), "\xCE\xCA.");
  EXPECT_EQ(FirstDiskMarker("D:\\Setup\\"), "D:\\autorun.inf");
}

TEST(RunPlan, ProgramsAndFilesEndAtTheFirstGapWithMacrosExpanded) {
  TempDir dir;
  TIniFile32 ini = Ini(dir,
                       "[RunApp]\r\nApp0=\"%InstallPath%\\a.exe\" /x\r\nApp1=%SourcePath%b.exe\r\n"
                       "Dir1=%SourcePath%\r\nWait1=0\r\nApp3=never.exe\r\n"
                       "[DelFiles]\r\nFile0=%InstallPath%\\tmp.txt\r\nFile2=never.txt\r\n");
  std::vector<TRunAppEntry> apps = ReadRunApps(ini, "C:\\P\\", "D:\\S\\");
  ASSERT_EQ(apps.size(), 2u);
  EXPECT_EQ(apps[0].App, "\"C:\\P\\a.exe\" /x");
  EXPECT_EQ(apps[0].Dir, "C:\\P\\");
  EXPECT_TRUE(apps[0].Wait);
  EXPECT_EQ(apps[1].App, "D:\\S\\b.exe");
  EXPECT_EQ(apps[1].Dir, "D:\\S\\");
  EXPECT_FALSE(apps[1].Wait);
  EXPECT_EQ(ReadDelFiles(ini, "C:\\P\\", "D:\\S\\"), std::vector<std::string>{"C:\\P\\tmp.txt"});
}

TEST(RunPlan, AnArchiveCutShortIsNamedWithItsPackageAndReason) {
  EXPECT_EQ(ArchiveCutShortText("D:\\core.rar", "Основные файлы", 15),
            "Архив D:\\core.rar не удалось распаковать до конца: архив или его следующий том не найден.\n"
            "Компонент \"Основные файлы\" установлен не полностью.");
  EXPECT_NE(ArchiveCutShortText("a.rar", "P", 13).find("архив повреждён"), std::string::npos);
  EXPECT_NE(ArchiveCutShortText("a.rar", "P", 50).find("UnRAR.dll"), std::string::npos);
  EXPECT_NE(ArchiveCutShortText("a.rar", "P", 77).find("код ошибки 77"), std::string::npos);
}
