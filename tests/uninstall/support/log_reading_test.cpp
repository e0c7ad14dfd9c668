// A whole install.log read the way the uninstaller reads it: section by
// section through the file-level functions, each record split by the rule
// of its stage.
#include <gtest/gtest.h>

#include "common/file_io.h"
#include "common/install_log.h"
#include "common/log_journal.h"
#include "tests/common/temp_dir.h"
#include "uninstall/support/ini_files.h"
#include "uninstall/support/reg_path.h"

using namespace installlog;

namespace {

std::string SampleLog() {
  std::optional<std::string> text = fileio::ReadWholeFile(SOWELL_SAMPLE_LOG);
  return text ? *text : std::string();
}

// The objects each stage would act on, in processing order.
std::vector<std::pair<std::string, std::vector<std::string>>> Plan(const std::string& log) {
  std::vector<std::pair<std::string, std::vector<std::string>>> plan;
  for (const RemovalStage& stage : kRemovalOrder) {
    if (stage.rule == KeyRule::None) continue;
    TStrings lines;
    IniReadSectionValues(log, stage.section, lines);
    std::vector<std::string> objects = StageObjects(stage, lines);
    if (!objects.empty()) plan.emplace_back(std::string(stage.section), objects);
  }
  return plan;
}

struct LogReading : ::testing::Test {
  TempDir dir;
  std::string log = dir.File("install.log");
  ~LogReading() override { IniCloseAll(); }
};

}  // namespace

TEST_F(LogReading, EverySectionOfASampleLogInProcessingOrder) {
  fileio::ReplaceFileContents(log, SampleLog());
  auto plan = Plan(log);
  std::vector<std::string> order;
  for (const auto& [section, objects] : plan) order.push_back(section);
  EXPECT_EQ(order, (std::vector<std::string>{"PreRunApp", "SharedFiles", "Shortcuts", "AddIni", "RegFonts", "AddReg",
                                             "CreateKeys", "RegServers", "CopyFiles", "CreateDirs", "RunApp"}));
  auto objects = [&](const std::string& s) {
    for (const auto& [section, o] : plan) {
      if (section == s) return o;
    }
    return std::vector<std::string>();
  };
  EXPECT_EQ(objects("CopyFiles")[1], "C:\\App\\a=b.txt");
  EXPECT_EQ(objects("CreateDirs"), (std::vector<std::string>{"C:\\Prog\\App\\bin", "C:\\Prog\\App\\"}));
  EXPECT_EQ(objects("CreateKeys")[0], "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App");
  EXPECT_EQ(objects("CreateKeys")[1], "HKCU\\Software\\Firm\\App\\Opts");
  EXPECT_EQ(objects("CreateKeys")[3], "HKCU\\Software\\Firm");

  RegValuePath sub = SplitRegValuePath(objects("AddReg")[0]);
  EXPECT_EQ(sub.keyPath, "HKCU\\Software\\Firm\\App");
  EXPECT_EQ(sub.valueName, "Path\\Sub");
  EXPECT_EQ(SplitRegValuePath(objects("AddReg")[1]).valueName, "");

  EXPECT_EQ(ParseIniEntryRecord(objects("AddIni")[1]).file, "my, file.ini");
  ProgramRecord pre = ParseProgramRecord(objects("PreRunApp")[0]);
  EXPECT_EQ(pre.file, "C:\\App\\check.exe");
  EXPECT_EQ(pre.message, "Checking, please wait");
  ProgramRecord run = ParseProgramRecord(objects("RunApp")[0]);
  EXPECT_EQ(run.folder, "C:\\App");
  EXPECT_EQ(run.showCommand, kShowHide);
  EXPECT_TRUE(run.wait);

  EXPECT_EQ(ExpandLineBreaks(IniReadString(log, "strings", "6", "")), "Deleting\rfiles");
  FontSpec font = ParseFontSpec(IniReadString(log, kDisplay, kDialogTitleFont, kDefaultTitleFont));
  EXPECT_EQ(font.face, "Tahoma");
  EXPECT_EQ(ParseCharset(IniReadString(log, kDisplay, kCharset, "")), 204);
}

TEST_F(LogReading, ALogWithLineFeedsOnlyNamesNothing) {
  std::string text = SampleLog();
  std::string lf;
  for (char c : text) {
    if (c != '\r') lf += c;
  }
  fileio::ReplaceFileContents(log, lf);
  EXPECT_TRUE(Plan(log).empty());
}

TEST_F(LogReading, GarbageLongLinesAndHalfRecordsNameOnlyWhatTheyHold) {
  std::string text = "\x01\x02garbage\xff\r\n[CopyFiles]\r\n";
  text += std::string(3 * 1024 * 1024, 'A') + "=\r\n";           // an overlong line
  text += std::string("C:\\App\\x\0y.txt=", 15) + "\r\n";        // a zero byte inside
  text += "=\r\nno pair here\r\n'unmatched=\r\n";
  text += "[AddReg]\r\nHKCU\\Software\\K\\'open=\r\n=\r\n";
  text += "[CreateKeys]\r\nHKLM=\r\n\r\n[CreateDirs\r\nC:\\=\r\n";
  fileio::ReplaceFileContents(log, text);
  auto plan = Plan(log);
  ASSERT_EQ(plan.size(), 3u);
  EXPECT_EQ(plan[0].first, "AddReg");
  for (const std::string& key : plan[0].second) {
    EXPECT_EQ(SplitRegValuePath(key).keyPath, "") << "no key is named: " << key;
  }
  EXPECT_EQ(plan[1].first, "CreateKeys");
  // The line after a header without its bracket stays in the section before.
  EXPECT_EQ(plan[1].second, (std::vector<std::string>{"HKLM", "C:\\"}));
  for (const std::string& key : plan[1].second) {
    EXPECT_FALSE(regpath::KeyDeletionOf(key)) << "a root or an empty name is never deleted: " << key;
  }
  EXPECT_EQ(plan[2].first, "CopyFiles");
  const std::vector<std::string>& files = plan[2].second;
  ASSERT_EQ(files.size(), 4u);
  EXPECT_EQ(files[0].size(), 3u * 1024 * 1024);
  EXPECT_EQ(files[1], std::string("C:\\App\\x\0y.txt", 14));
  EXPECT_EQ(files[2], "");
  EXPECT_EQ(files[3], "'unmatched");
  TStrings dirs;
  IniReadSectionValues(log, "CreateDirs", dirs);
  EXPECT_TRUE(dirs.empty()) << "a header without its bracket is no header";
}

TEST_F(LogReading, TheJournalOfAKilledInstallationIsReadWithTheLog) {
  auto entry = [](journal::Entry::Op op, std::string section, std::string key, std::string value = "") {
    return journal::Encode({op, std::move(section), std::move(key), std::move(value)});
  };
  using Op = journal::Entry::Op;
  fileio::ReplaceFileContents(log, "\r\n[CreateDirs]\r\nC:\\App\\=\r\n\r\n[CopyFiles]\r\nC:\\App\\a.txt=\r\n");
  fileio::ReplaceFileContents(journal::PathFor(log),
                              entry(Op::Write, "CopyFiles", "C:\\App\\b.txt") +
                                  entry(Op::Write, "CopyFiles", "C:\\App\\failed.txt") +
                                  entry(Op::Remove, "CopyFiles", "C:\\App\\failed.txt") +
                                  entry(Op::Write, "Strings", "4", "\" Sure? \"") +
                                  entry(Op::Write, "CreateDirs", "C:\\App\\bin") +
                                  entry(Op::Write, "CopyFiles", "C:\\App\\torn.txt").substr(0, 25));
  IniApplyJournal(log);
  TStrings files, dirs;
  IniReadSectionValues(log, kCopyFiles, files);
  IniReadSectionValues(log, kCreateDirs, dirs);
  EXPECT_EQ(files, (TStrings{"C:\\App\\a.txt=", "C:\\App\\b.txt="}));
  EXPECT_EQ(dirs, (TStrings{"C:\\App\\=", "C:\\App\\bin="}));
  // Values read as the reader reads the saved log: the protecting quotes go.
  EXPECT_EQ(IniReadString(log, kStrings, "4", "?"), " Sure? ");
  // The log itself is not rewritten by reading.
  EXPECT_EQ(*fileio::ReadWholeFile(log), "\r\n[CreateDirs]\r\nC:\\App\\=\r\n\r\n[CopyFiles]\r\nC:\\App\\a.txt=\r\n");
}

TEST_F(LogReading, AJournalWithoutALogIsAllThereIs) {
  fileio::ReplaceFileContents(journal::PathFor(log),
                              journal::Encode({journal::Entry::Op::Write, "CreateDirs", "C:\\App\\", ""}));
  IniApplyJournal(log);
  TStrings dirs;
  IniReadSectionValues(log, kCreateDirs, dirs);
  EXPECT_EQ(dirs, TStrings{"C:\\App\\="});
  EXPECT_FALSE(fileio::FileExists(log));
}
