// The removal as its thread runs it: the stages of the log's fixed order,
// their status lines and the progress bar, over a window that records them.
#include "uninstall/removal_steps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/install_log.h"
#include "tests/common/temp_dir.h"
#include "uninstall/removal_rules.h"
#include "uninstall/support/support.h"

namespace {

class RecordingUi : public RemovalUi {
 public:
  void AddStatusLine(const std::string& text) override { lines.push_back(text); }
  void CompleteStatusLine(const std::string& word) override {
    if (!lines.empty()) lines.back() += " " + word;
  }
  void StepProgress() override { ++steps; }
  void SetProgressRange(int maximum) override { range = maximum; }
  void EnableClose() override { closed = true; }
  int AskSharedFile(const std::string&) override { return removal::kAnswerNo; }
  HWND Owner() override { return nullptr; }

  std::vector<std::string> lines;
  int steps = 0;
  int range = 0;
  bool closed = false;
};

// A log whose sections stand in the reverse of the order of removal, each
// with one record that names nothing on this system.
std::string ReversedLog(const std::string& dir) {
  const std::string missing = dir + "\\missing";
  std::string log;
  for (auto it = installlog::kRemovalOrder.rbegin(); it != installlog::kRemovalOrder.rend(); ++it) {
    if (it->section.empty()) continue;
    std::string record = missing + "=";
    if (it->section == installlog::kPreRunApp || it->section == installlog::kRunApp) record = "p=" + missing + ".exe";
    if (it->section == installlog::kAddIni) record = missing + ".ini,S,K=";
    if (it->section == installlog::kRegFonts) record = "Missing (TrueType)=" + missing + ".ttf";
    if (it->section == installlog::kAddReg) record = "HKCU\\Software\\SowellOrderTest\\'v'=1";
    if (it->section == installlog::kCreateKeys) record = "HKCU\\Software\\SowellOrderTest=";
    log += "\r\n[" + std::string(it->section) + "]\r\n" + record + "\r\n";
  }
  return log;
}

TEST(RemovalOrder, TheTableDrivesTheStagesTheirLinesAndTheProgressBar) {
  TempDir dir;
  LogPath = dir.File("install.log");
  fileio::ReplaceFileContents(LogPath, ReversedLog(dir.Path()));
  RecordingUi ui;
  RemovalContext context;
  context.logPath = LogPath;
  context.ui = &ui;
  RunRemoval(context);

  std::vector<std::string> expected;
  for (const installlog::RemovalStage& stage : installlog::kRemovalOrder) {
    if (stage.statusText) expected.push_back(MessageText(stage.statusText) + " ok");
  }
  expected.push_back(MessageText(IDS_FINISHED));
  EXPECT_EQ(ui.lines, expected);
  EXPECT_EQ(ui.lines.front(), "Checking shared files... ok");
  EXPECT_EQ(ui.lines[1], "Removing shortcuts... ok");
  EXPECT_EQ(ui.range, 10);
  EXPECT_EQ(ui.steps, 10);
  EXPECT_TRUE(ui.closed);
  EXPECT_FALSE(fileio::FileExists(LogPath));
  IniCloseAll();
}

TEST(RemovalOrder, AProgramBeforeTheRemovalThatRefusesStopsItAtOnce) {
  TempDir dir;
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  LogPath = dir.File("install.log");
  const std::string kept = dir.File("kept.txt");
  fileio::ReplaceFileContents(kept, "x");
  fileio::ReplaceFileContents(LogPath, "\r\n[CopyFiles]\r\n" + kept + "=\r\n\r\n[PreRunApp]\r\np=" +
                                           std::string(system) + "\\cmd.exe,/c exit 1,,0,,1\r\n");
  RecordingUi ui;
  RemovalContext context;
  context.logPath = LogPath;
  context.ui = &ui;
  RunRemoval(context);
  EXPECT_TRUE(ui.lines.empty());
  EXPECT_EQ(ui.steps, 0);
  EXPECT_TRUE(ui.closed);
  EXPECT_TRUE(fileio::FileExists(kept));
  EXPECT_TRUE(fileio::FileExists(LogPath));
  IniCloseAll();
}

}  // namespace

TEST(FileRecords, AnExactNameGoesByItselfWhateverItsAttributesOrSpelling) {
  TempDir dir;
  const std::string plain = dir.File("plain.txt");
  const std::string readOnly = dir.File("read only.txt");
  const std::string longName = dir.File("A rather long file name.txt");
  const std::string folder = dir.File("folder.txt");
  for (const std::string& f : {plain, readOnly, longName}) fileio::ReplaceFileContents(f, "x");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  char shortPath[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameA(longName.c_str(), shortPath, MAX_PATH), 0u);

  RemovalContext context;
  DeleteFilesByMask(context, plain);
  // Written in another case, with a trailing dot that the system drops.
  DeleteFilesByMask(context, dir.File("READ ONLY.TXT."));
  DeleteFilesByMask(context, shortPath);
  DeleteFilesByMask(context, folder);
  DeleteFilesByMask(context, dir.File("missing.txt"));

  EXPECT_FALSE(fileio::FileExists(plain));
  EXPECT_FALSE(fileio::FileExists(readOnly));
  EXPECT_FALSE(fileio::FileExists(longName)) << shortPath;
  DWORD attr = GetFileAttributesA(folder.c_str());
  EXPECT_TRUE(attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY)) << "a folder is no file record's";
}
