#include "setup/unattended/answer_file.h"

#include <gtest/gtest.h>

#include "setup/run/uninstall_entry.h"
#include "tests/common/temp_dir.h"
#include "tests/setup/test_files.h"

using namespace setupcli;

TEST(AnswerFile, WhatIsSavedIsWhatIsLoaded) {
  TempDir dir;
  TAnswers a;
  a.dir = "C:\\Program Files\\Книжка";
  a.components = std::vector<int>{0, 2};
  a.russian = true;
  a.desktop = false;
  a.group = true;
  WriteAnswerFile(dir.File("a.inf"), a);
  std::string error;
  std::optional<TAnswers> back = ReadAnswerFile(dir.File("a.inf"), &error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(*back, a);
  EXPECT_EQ(AnswerFileText(a),
            "[Setup]\r\nDir=C:\\Program Files\\Книжка\r\nComponents=0,2\r\nLanguage=RUS\r\nDesktop=0\r\nGroup=1\r\n");
  // No package chosen is a choice too, not a missing key.
  a.components = std::vector<int>{};
  WriteAnswerFile(dir.File("b.inf"), a);
  back = ReadAnswerFile(dir.File("b.inf"), &error);
  ASSERT_TRUE(back && back->components);
  EXPECT_TRUE(back->components->empty());
}

TEST(AnswerFile, MissingKeysAreLeftAndBadValuesRefused) {
  TempDir dir;
  WriteBytes(dir.File("part.inf"), "[setup]\r\nlanguage=eng\r\n");
  std::string error;
  std::optional<TAnswers> a = ReadAnswerFile(dir.File("part.inf"), &error);
  ASSERT_TRUE(a) << error;
  EXPECT_FALSE(a->dir || a->components || a->desktop || a->group);
  EXPECT_FALSE(*a->russian);
  for (const char* text : {"[Setup]\r\nComponents=x\r\n", "[Setup]\r\nLanguage=FR\r\n", "[Setup]\r\nDesktop=yes\r\n"}) {
    WriteBytes(dir.File("bad.inf"), text);
    error.clear();
    EXPECT_FALSE(ReadAnswerFile(dir.File("bad.inf"), &error)) << text;
    EXPECT_NE(error, "") << text;
  }
  error.clear();
  EXPECT_FALSE(ReadAnswerFile(dir.File("none.inf"), &error));
  EXPECT_NE(error, "");
}

TEST(AnswerFile, TheCommandLineBeatsTheFileWhichBeatsTheDefaults) {
  TDefaults defaults{"C:\\Program Files\\App", true};
  TAnswers none = ResolveChoices({}, {}, defaults);
  EXPECT_EQ(*none.dir, "C:\\Program Files\\App");
  EXPECT_FALSE(none.components);
  EXPECT_FALSE(*none.russian);
  EXPECT_TRUE(*none.desktop);
  EXPECT_TRUE(*none.group);

  TAnswers file;
  file.dir = "D:\\FromFile";
  file.components = std::vector<int>{1};
  file.russian = true;
  file.desktop = false;
  file.group = false;
  TAnswers fromFile = ResolveChoices({}, file, defaults);
  EXPECT_EQ(fromFile, file);

  TSetupSwitches s;
  s.dir = "E:\\Switch";
  s.components = std::vector<int>{0, 2};
  s.russian = false;
  s.noDesktop = true;
  file.desktop = true;
  TAnswers both = ResolveChoices(s, file, defaults);
  EXPECT_EQ(*both.dir, "E:\\Switch");
  EXPECT_EQ(*both.components, (std::vector<int>{0, 2}));
  EXPECT_FALSE(*both.russian);
  EXPECT_FALSE(*both.desktop);
  EXPECT_FALSE(*both.group);  // from the file
}

TEST(UninstallEntry, EveryValueTheListOfProgramsReads) {
  TUninstallFacts f;
  f.programName = "Записная книжка";
  f.installDir = "C:\\Program Files\\Notebook\\";
  f.year = 2024, f.month = 3, f.day = 7;
  std::vector<TUninstallValue> v = UninstallEntryValues(f);
  std::vector<std::string> names;
  for (const auto& value : v) names.push_back(value.name);
  EXPECT_EQ(names, (std::vector<std::string>{"DisplayName", "UninstallString", "QuietUninstallString",
                                             "InstallLocation", "InstallDate", "NoModify", "NoRepair"}));
  EXPECT_EQ(v[1].text, "\"C:\\Program Files\\Notebook\\\\Reapwell.exe\"");
  EXPECT_EQ(v[2].text, "\"C:\\Program Files\\Notebook\\\\Reapwell.exe\" /SILENT");
  EXPECT_EQ(v[3].text, "C:\\Program Files\\Notebook");
  EXPECT_EQ(v[4].text, "20240307");
  EXPECT_TRUE(v[5].isNumber && v[5].number == 1 && v[6].isNumber && v[6].number == 1);

  f.version = "1.2";
  f.url = "http://example.org/";
  v = UninstallEntryValues(f);
  ASSERT_EQ(v.size(), 9u);
  EXPECT_EQ(v[7], (TUninstallValue{"DisplayVersion", false, "1.2", 0}));
  EXPECT_EQ(v[8], (TUninstallValue{"URLInfoAbout", false, "http://example.org/", 0}));

  f.installDir = "D:\\";
  EXPECT_EQ(UninstallEntryValues(f)[3].text, "D:\\");
}

TEST(UninstallEntry, IconAndSizeOnceThePackagesAreIn) {
  TUninstallFacts f;
  f.installDir = "C:\\App\\";
  std::vector<TUninstallValue> v = UninstallEntryLateValues(f, "", 0);
  EXPECT_EQ(v[0], (TUninstallValue{"DisplayIcon", false, "C:\\App\\Reapwell.exe", 0}));
  EXPECT_EQ(v[1], (TUninstallValue{"EstimatedSize", true, "", 0}));
  v = UninstallEntryLateValues(f, "C:\\App\\app.exe", 1025);
  EXPECT_EQ(v[0].text, "C:\\App\\app.exe");
  EXPECT_EQ(v[1].number, 2u);
  EXPECT_EQ(KilobytesOf(1024), 1u);
  EXPECT_EQ(KilobytesOf(uint64_t{1} << 50), UINT32_MAX);
  EXPECT_EQ(InstallDateText(1999, 12, 31), "19991231");
}
