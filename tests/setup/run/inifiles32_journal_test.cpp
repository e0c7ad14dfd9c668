// install.log with its journal: each record costs one appended line, the file
// is saved whole only at checkpoints, and what a killed run leaves is folded in.
#include <gtest/gtest.h>

#include "common/file_io.h"
#include "common/log_journal.h"
#include "setup/run/inifiles32.h"
#include "tests/common/temp_dir.h"
#include "tests/setup/test_files.h"

namespace {

class IniJournal : public ::testing::Test {
 protected:
  TempDir dir_;
  std::string log_ = dir_.File("install.log");
  std::string journal_ = journal::PathFor(log_);
};

// The records of a small installation, in the order the run writes them.
void WriteRecords(TIniFile32& log) {
  log.WriteString("Shortcuts", "C:\\Menu\\App\\Remove App.lnk", "");
  log.WriteString("CreateKeys", "HKLM\\Software\\Uninstall\\App", "");
  log.WriteString("Strings", "1", "Remove App");
  log.WriteString("CreateDirs", "C:\\App\\", "");
  log.WriteString("CopyFiles", "C:\\App\\a.txt", "");
  log.WriteString("CreateDirs", "C:\\App\\bin", "");
  log.WriteString("CopyFiles", "C:\\App\\bin\\b.txt", "");
  log.WriteString("Strings", "1", "Remove App again");
}

}  // namespace

TEST_F(IniJournal, TheCheckpointedLogIsTheFileEveryWriteWouldHaveSaved) {
  {
    TIniFile32 plain(dir_.File("plain.log"));
    WriteRecords(plain);
  }
  TIniFile32 log(log_);
  log.UseJournal();
  WriteRecords(log);
  EXPECT_FALSE(fileio::FileExists(log_)) << "no whole save between checkpoints";
  EXPECT_EQ(journal::Decode(ReadBytes(journal_)).size(), 8u);
  log.Checkpoint();
  EXPECT_EQ(ReadBytes(log_), ReadBytes(dir_.File("plain.log")));
  EXPECT_FALSE(fileio::FileExists(journal_));
  // After the checkpoint the journal starts afresh.
  log.WriteString("CopyFiles", "C:\\App\\c.txt", "");
  EXPECT_EQ(journal::Decode(ReadBytes(journal_)).size(), 1u);
}

TEST_F(IniJournal, IntentsReachOnlyTheJournalAndRetractionsTakeRecordsBack) {
  TIniFile32 log(log_);
  log.UseJournal();
  log.WriteString("CreateDirs", "C:\\App\\", "");
  log.Intend("CopyFiles", "C:\\App\\a.txt", "");
  log.Intend("CopyFiles", "C:\\App\\failed.txt", "");
  log.WriteString("CopyFiles", "C:\\App\\a.txt", "");
  log.Retract("CopyFiles", "C:\\App\\failed.txt");
  std::vector<std::string> files;
  log.ReadSectionValues("CopyFiles", &files);
  EXPECT_EQ(files, std::vector<std::string>{"C:\\App\\a.txt="});
  log.Checkpoint();
  EXPECT_EQ(ReadBytes(log_), "\r\n[CreateDirs]\r\nC:\\App\\=\r\n\r\n[CopyFiles]\r\nC:\\App\\a.txt=\r\n");
}

TEST_F(IniJournal, WhatAKilledRunLeftIsFoldedInWhenTheJournalIsTakenUpAgain) {
  WriteBytes(log_, "\r\n[CreateDirs]\r\nC:\\App\\=\r\n");
  {
    TIniFile32 log(log_);
    log.UseJournal();
    log.WriteString("CopyFiles", "C:\\App\\a.txt", "");
    log.Intend("CopyFiles", "C:\\App\\being-written.bin", "");
    log.Intend("CopyFiles", "C:\\App\\gone.bin", "");
    log.Retract("CopyFiles", "C:\\App\\gone.bin");
    // The program dies here: no checkpoint.
  }
  // A power loss may have torn the last line.
  std::string journal = ReadBytes(journal_);
  journal += journal::Encode({journal::Entry::Op::Write, "CopyFiles", "C:\\App\\torn.bin", ""}).substr(0, 20);
  WriteBytes(journal_, journal);

  TIniFile32 again(log_);
  again.UseJournal();
  EXPECT_FALSE(fileio::FileExists(journal_));
  EXPECT_EQ(ReadBytes(log_),
            "\r\n[CreateDirs]\r\nC:\\App\\=\r\n\r\n[CopyFiles]\r\nC:\\App\\a.txt=\r\nC:\\App\\being-written.bin=\r\n");
}

TEST_F(IniJournal, WithoutAJournalRetractionSavesAndIntentsDoNothing) {
  TIniFile32 log(log_);
  log.WriteString("CopyFiles", "C:\\a", "");
  log.Intend("CopyFiles", "C:\\b", "");
  log.WriteString("CopyFiles", "C:\\c", "");
  log.Retract("CopyFiles", "C:\\a");
  EXPECT_EQ(ReadBytes(log_), "\r\n[CopyFiles]\r\nC:\\c=\r\n");
  EXPECT_FALSE(fileio::FileExists(journal_));
}
