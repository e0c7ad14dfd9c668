// TRAR with our library, and the window's extraction handlers over a fake window.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>

#include "setup/extraction/RARArc.h"
#include "setup/extraction/extraction_handlers.h"
#include "setup/extraction/extraction_view.h"
#include "common/install_log.h"
#include "common/win32_handles.h"
#include "setup/run/inifiles32.h"
#include "tests/common/temp_dir.h"
#include "tools/rarwriter/rar_writer.h"
#include "unrar/crc32.h"

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

rarwriter::Entry File(std::string name, std::string data = "data") {
  return {std::move(name), false, std::move(data), 1600000000, 0};
}
rarwriter::Entry Dir(std::string name) { return {std::move(name), true, "", 1600000000, 0}; }

class FakeView : public TExtractionView {
 public:
  void SetCurrentFile(const std::string& n) override { files.push_back(n); }
  void SetCurrentBar(int, int max, int) override { barMax.push_back(max); }
  void SetCurrentPosition(int p) override { positions.push_back(p); }
  void SetTotalPosition(int p) override { totals.push_back(p); }
  void ProcessMessages() override { ++pumps; }
  bool AskContinue(const std::string& text, const std::string& caption) override {
    questions.push_back(text + "|" + caption);
    return answer;
  }
  void EndProgram() override { ++ended; }

  std::vector<std::string> files, questions;
  std::vector<int> barMax, positions, totals;
  int pumps = 0, ended = 0;
  bool answer = true;
};

class RarComponent : public ::testing::Test {
 protected:
  void SetUp() override {
    dest_ = dir_.File("dest");
    std::filesystem::create_directory(dest_);
    handlers_.InstallDir = dest_ + "\\";
    // Every event reaches the view at once, so that the tests see each one.
    handlers_.RefreshInterval = std::chrono::milliseconds(0);
    handlers_.Attach(rar_);
    rar_.TargetDir = dest_;
    auto base = rar_.OnError;
    rar_.OnError = [this, base](TRAR* s, int e) {
      errors_.push_back(e);
      base(s, e);
    };
  }

  std::string Archive(const std::vector<rarwriter::Entry>& entries, rarwriter::Options o = {}) {
    std::string first;
    for (const auto& v : rarwriter::Write("pkg.rar", entries, o)) {
      std::ofstream(dir_.File(v.name), std::ios::binary) << v.bytes;
      if (first.empty()) first = dir_.File(v.name);
    }
    return first;
  }

  bool Exists(const std::string& ansiRelative) const {
    return GetFileAttributesA((dest_ + "\\" + ansiRelative).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  TempDir dir_;
  std::string dest_;
  TInst inst_;
  FakeView view_;
  TExtractionHandlers handlers_{view_, inst_};
  TRAR rar_;
  std::vector<int> errors_;
};

TEST_F(RarComponent, EmptyNameIsError13AndMissingLibraryIsError50) {
  ASSERT_TRUE(rar_.LoadedDLL());
  EXPECT_FALSE(rar_.Extract());
  EXPECT_EQ(errors_, std::vector<int>{13});

  for (const char* library : {"NoSuchUnRAR.dll", "kernel32.dll"}) {
    TRAR missing(nullptr, library);
    EXPECT_FALSE(missing.LoadedDLL()) << library;
    std::vector<int> errors;
    missing.OnError = [&](TRAR*, int e) { errors.push_back(e); };
    missing.ArchiveName = Archive({File("a.txt")});
    EXPECT_FALSE(missing.Extract());
    EXPECT_EQ(errors, std::vector<int>{50});
  }
  rar_.ArchiveName = dir_.File("absent.rar");
  errors_.clear();
  EXPECT_FALSE(rar_.Extract());
  EXPECT_EQ(errors_, std::vector<int>{15});
}

TEST_F(RarComponent, FolderThenFileAreLoggedAsCreateDirsAndCopyFiles) {
  TIniFile32 log(dir_.File("install.log"));
  inst_.SupportUninstall = true;
  inst_.TotalFiles = 2;
  handlers_.Log = &log;
  rar_.ArchiveName = Archive({Dir("docs"), File("docs/a.txt", "hello")});
  EXPECT_TRUE(rar_.Extract());
  EXPECT_TRUE(errors_.empty());
  EXPECT_EQ(inst_.DoneFiles, 2);
  EXPECT_EQ(view_.files, (std::vector<std::string>{"docs", "docs\\a.txt"}));
  EXPECT_EQ(view_.barMax, (std::vector<int>{0, 5}));
  EXPECT_EQ(view_.positions, std::vector<int>{5});
  EXPECT_EQ(view_.totals, (std::vector<int>{50, 100}));
  std::vector<std::string> dirs, files;
  log.ReadSectionValues("CreateDirs", &dirs);
  log.ReadSectionValues("CopyFiles", &files);
  EXPECT_EQ(dirs, std::vector<std::string>{dest_ + "\\docs="});
  EXPECT_EQ(files, std::vector<std::string>{dest_ + "\\docs\\a.txt="});
  EXPECT_TRUE(Exists("docs\\a.txt"));
}

TEST_F(RarComponent, TheWindowIsUpdatedAtABoundedRateAndEndsOnTheLastValues) {
  TExtractionHandlers::Clock::time_point now = TExtractionHandlers::Clock::time_point{} + std::chrono::hours(1);
  handlers_.Now = [&] { return now; };
  handlers_.RefreshInterval = std::chrono::milliseconds(50);
  inst_.TotalFiles = 4;
  rar_.ArchiveName = Archive({File("a.txt", "1"), File("b.txt", "22"), File("c.txt", "333"), File("d.txt", "4444")});

  // All four members within one interval: only the first is shown while they go.
  EXPECT_TRUE(rar_.Extract());
  EXPECT_EQ(view_.files, std::vector<std::string>{"a.txt"});
  const int pumpsDuring = view_.pumps;
  EXPECT_EQ(pumpsDuring, 1);

  // At the end of the archive every control gets its final value.
  handlers_.Refresh();
  EXPECT_EQ(view_.files.back(), "d.txt");
  EXPECT_EQ(view_.barMax.back(), 4);
  EXPECT_EQ(view_.totals.back(), 100);
  EXPECT_GT(view_.pumps, pumpsDuring);

  // Once the interval has passed the next event shows at once, and a refresh with nothing behind shows nothing.
  const size_t shown = view_.files.size();
  handlers_.Refresh();
  EXPECT_EQ(view_.files.size(), shown);
  now += std::chrono::milliseconds(60);
  rar_.ArchiveName = Archive({File("e.txt", "5")});
  EXPECT_TRUE(rar_.Extract());
  EXPECT_EQ(view_.files.back(), "e.txt");
}

TEST_F(RarComponent, OemNamesAreShownAndLoggedInAnsi) {
  TIniFile32 log(dir_.File("install.log"));
  inst_.SupportUninstall = true;
  handlers_.Log = &log;
  rar_.ArchiveName = Archive({Dir(U8(u8"Папка")), File(U8(u8"Папка/Отчёт.txt"))});
  EXPECT_TRUE(rar_.Extract());
  EXPECT_EQ(view_.files, (std::vector<std::string>{"Папка", "Папка\\Отчёт.txt"}));
  std::vector<std::string> files;
  log.ReadSectionValues("CopyFiles", &files);
  EXPECT_EQ(files, std::vector<std::string>{dest_ + "\\Папка\\Отчёт.txt="});
  EXPECT_TRUE(Exists("Папка\\Отчёт.txt"));
  // Without uninstall support nothing is logged, though the counters move on.
  inst_.SupportUninstall = false;
  EXPECT_TRUE(rar_.Extract());
  std::vector<std::string> again;
  log.ReadSectionValues("CopyFiles", &again);
  EXPECT_EQ(again.size(), 1u);
  EXPECT_EQ(inst_.DoneFiles, 4);
}

TEST_F(RarComponent, SkipListExtractsOnlyTheNamedMemberWithoutEventsForOthers) {
  rar_.ArchiveName = Archive({File("a.txt"), File("b.txt"), File("c.txt")});
  rar_.SetFilesToExtract({"C.TXT", "B.TXT"});
  EXPECT_EQ(rar_.FilesToExtract(), (std::vector<std::string>{"B.TXT", "C.TXT"}));
  rar_.SetFilesToExtract({"B.TXT"});
  EXPECT_TRUE(rar_.Extract());
  EXPECT_EQ(view_.files, std::vector<std::string>{"b.txt"});
  EXPECT_FALSE(Exists("a.txt"));
  EXPECT_TRUE(Exists("b.txt"));
  EXPECT_FALSE(Exists("c.txt"));
}

TEST_F(RarComponent, StopDuringAMemberLetsItFinishAndEndsBeforeTheNext) {
  rar_.ArchiveName = Archive({File("a.txt", std::string(200000, 'a')), File("b.txt")});
  auto base = rar_.OnProcessData;
  rar_.OnProcessData = [&](TRAR* s, char* a, int n, int p) {
    rar_.Stop = true;
    return base(s, a, n, p);
  };
  EXPECT_TRUE(rar_.Extract());
  EXPECT_FALSE(rar_.Stop);
  EXPECT_EQ(view_.files, std::vector<std::string>{"a.txt"});
  EXPECT_EQ(view_.positions.back(), 200000);
  EXPECT_GT(view_.positions.size(), 1u);  // more than one data block reported
  EXPECT_TRUE(Exists("a.txt"));
  EXPECT_FALSE(Exists("b.txt"));
}

TEST_F(RarComponent, AnEventThatThrowsLeavesThroughExtractAndLeavesNoPartialFile) {
  rar_.ArchiveName = Archive({File("a.txt", std::string(200000, 'a')), File("b.txt")});
  rar_.OnProcessData = [](TRAR*, char*, int, int) -> int { throw std::runtime_error("cancel"); };
  EXPECT_THROW(rar_.Extract(), std::runtime_error);
  EXPECT_FALSE(Exists("a.txt"));
  // The component is usable again: the archive was closed, the slot freed.
  handlers_.Attach(rar_);
  EXPECT_TRUE(rar_.Extract());
  EXPECT_TRUE(Exists("a.txt"));
  EXPECT_TRUE(Exists("b.txt"));
}

TEST_F(RarComponent, TotalBarRoundsHalvesToEven) {
  inst_.TotalFiles = 8;
  rar_.ArchiveName = Archive({File("1"), File("2"), File("3")});
  EXPECT_TRUE(rar_.Extract());
  EXPECT_EQ(view_.totals, (std::vector<int>{12, 25, 38}));
}

TEST_F(RarComponent, FailedMemberAsksTheQuestionAndOkGoesOn) {
  std::string archive = Archive({File("a.txt", "abcdef"), File("b.txt", "second")});
  std::string bytes;
  {
    std::ifstream in(archive, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  bytes[bytes.find("abcdef")] = 'X';
  std::ofstream(archive, std::ios::binary | std::ios::trunc) << bytes;
  rar_.ArchiveName = archive;
  EXPECT_FALSE(rar_.Extract());
  EXPECT_EQ(errors_, std::vector<int>{12});
  EXPECT_EQ(view_.questions,
            std::vector<std::string>{"a.txt - Ошибка распаковки !|Продолжить установку ?"});
  EXPECT_EQ(view_.ended, 0);
  EXPECT_FALSE(Exists("a.txt"));
  EXPECT_TRUE(Exists("b.txt"));
  EXPECT_EQ(inst_.DoneFiles, 1);

  view_.answer = false;
  std::filesystem::remove_all(dest_);
  std::filesystem::create_directory(dest_);
  EXPECT_FALSE(rar_.Extract());
  EXPECT_EQ(view_.ended, 1);  // Cancel ends the program
}

TEST_F(RarComponent, RefusedMembersLetTheRestThroughInAVolumeSet) {
  for (int format : {4, 5}) {
    SCOPED_TRACE(format);
    const std::string dest = dest_ + "\\" + std::to_string(format);
    std::filesystem::create_directory(dest);
    rar_.TargetDir = dest;
    handlers_.InstallDir = dest + "\\";
    TIniFile32 log(dir_.File("install" + std::to_string(format) + ".log"));
    inst_.SupportUninstall = true;
    handlers_.Log = &log;
    view_.questions.clear();
    errors_.clear();
    rarwriter::Entry link = File("link", "big.bin");
    link.is_link = true;
    rarwriter::Options o;
    o.format = format;
    o.volume_size = 30000;
    rar_.ArchiveName = Archive({File("big.bin", std::string(70000, 'x')), link, File("c.txt"),
                                File("sub/d.txt"), Dir("sub")},
                               o);
    EXPECT_FALSE(rar_.Extract());  // a member failed
    EXPECT_EQ(rar_.EndCode(), 0);  // yet the archive was read to its end
    EXPECT_EQ(errors_, std::vector<int>{14});
    EXPECT_EQ(view_.questions, std::vector<std::string>{"link - Ошибка распаковки !|Продолжить установку ?"});
    const std::string sub = std::to_string(format) + "\\";
    EXPECT_TRUE(Exists(sub + "big.bin"));
    EXPECT_FALSE(Exists(sub + "link"));
    EXPECT_TRUE(Exists(sub + "c.txt"));
    EXPECT_TRUE(Exists(sub + "sub\\d.txt"));
    std::vector<std::string> dirs, files;
    log.ReadSectionValues("CreateDirs", &dirs);
    log.ReadSectionValues("CopyFiles", &files);
    // The folder that d.txt needed is on record once, though its own entry came later.
    EXPECT_EQ(dirs, std::vector<std::string>{dest + "\\sub="});
    EXPECT_EQ(files, (std::vector<std::string>{dest + "\\big.bin=", dest + "\\c.txt=", dest + "\\sub\\d.txt="}));
  }
}

TEST_F(RarComponent, WhatCutsAnArchiveShortIsItsEndCode) {
  rar_.ArchiveName = Archive({File("a.txt")});
  EXPECT_TRUE(rar_.Extract());
  EXPECT_EQ(rar_.EndCode(), 0);

  rarwriter::Options o;
  o.volume_size = 30000;
  std::string first = Archive({File("big.bin", std::string(70000, 'x')), File("c.txt")}, o);
  std::filesystem::remove(dir_.File("pkg.part2.rar"));
  rar_.ArchiveName = first;
  errors_.clear();
  EXPECT_FALSE(rar_.Extract());
  EXPECT_EQ(rar_.EndCode(), 15);  // the next volume cannot be opened
  EXPECT_FALSE(Exists("big.bin"));
  EXPECT_FALSE(Exists("c.txt"));

  rar_.ArchiveName = dir_.File("absent.rar");
  EXPECT_FALSE(rar_.Extract());
  EXPECT_EQ(rar_.EndCode(), 15);
}

// The file system's identity of a file: volume and index.
std::pair<DWORD, uint64_t> Identity(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(h, &info)) return {0, 0};
  return {info.dwVolumeSerialNumber, (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

TEST_F(RarComponent, EveryFileOnDiskIsNamedByARecordThatReadsBack) {
  TIniFile32 log(dir_.File("install.log"));
  inst_.SupportUninstall = true;
  handlers_.Log = &log;
  rarwriter::Options o;
  o.format = 5;
  const std::vector<std::string> names = {"a =b.txt", "c= d.txt", "x/./y.txt", U8(u8"表.txt"), U8(u8"😀/e.txt"),
                                          U8(u8"Ⓗ ═.txt"), "trail.", "plain.txt"};
  std::vector<rarwriter::Entry> entries;
  for (const std::string& n : names) entries.push_back(File(n, n));
  rar_.ArchiveName = Archive(entries, o);
  EXPECT_TRUE(rar_.Extract());
  EXPECT_TRUE(view_.questions.empty());
  EXPECT_EQ(inst_.DoneFiles, static_cast<int>(names.size()));

  std::vector<std::string> files, dirs;
  log.ReadSectionValues("CopyFiles", &files);
  log.ReadSectionValues("CreateDirs", &dirs);
  EXPECT_EQ(files.size(), names.size());
  EXPECT_EQ(dirs.size(), 2u);  // the emoji folder and x
  std::set<std::pair<DWORD, uint64_t>> recorded;
  for (const std::string& line : files) {
    std::string path = line.substr(0, line.size() - 1);
    EXPECT_TRUE(installlog::PathRecordReadsBack(path)) << path;
    win32::UniqueFile h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(h) << path;
    recorded.insert(Identity(h.get()));
  }
  std::wstring root(dest_.begin(), dest_.end());
  size_t onDisk = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(std::filesystem::path(root))) {
    if (!e.is_regular_file()) continue;
    ++onDisk;
    win32::UniqueFile h(CreateFileW(e.path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                    nullptr));
    ASSERT_TRUE(h);
    EXPECT_TRUE(recorded.count(Identity(h.get()))) << "no record names " << e.path().string();
  }
  EXPECT_EQ(onDisk, names.size());
  // Plain names keep their own spelling.
  EXPECT_NE(std::find(files.begin(), files.end(), dest_ + "\\plain.txt="), files.end());
  EXPECT_NE(std::find(files.begin(), files.end(), dest_ + "\\x\\y.txt="), files.end());
}

TEST_F(RarComponent, FoldersThatExistedBeforeAreNotRecorded) {
  std::filesystem::create_directories(dest_ + "\\old\\deeper");
  TIniFile32 log(dir_.File("install.log"));
  inst_.SupportUninstall = true;
  handlers_.Log = &log;
  rar_.ArchiveName = Archive({Dir("old"), File("old/deeper/new/a.txt"), File("old/b.txt"), Dir("fresh")});
  EXPECT_TRUE(rar_.Extract());
  std::vector<std::string> dirs;
  log.ReadSectionValues("CreateDirs", &dirs);
  EXPECT_EQ(dirs, (std::vector<std::string>{dest_ + "\\old\\deeper\\new=", dest_ + "\\fresh="}));
}

TEST_F(RarComponent, CommentAndVolumesReachTheirEvents) {
  rarwriter::Options o;
  o.format = 5;
  o.volume_size = 30000;
  o.comment = "note";
  rar_.ArchiveName = Archive({File("big.bin", std::string(70000, 'x')), File("z.txt")}, o);
  std::string comment;
  uint32_t length = 0;
  rar_.OnComment = [&](TRAR*, TComment& c) {
    comment = c.CmtBuf;
    length = c.CmtLength;
  };
  std::vector<int> modes;
  rar_.OnVolumeChange = [&](TRAR*, char*, int mode) {
    modes.push_back(mode);
    return 1;
  };
  EXPECT_TRUE(rar_.Extract());
  EXPECT_EQ(comment, "note");
  EXPECT_EQ(length, 5u);
  EXPECT_EQ(modes, (std::vector<int>{1, 1}));
  EXPECT_TRUE(Exists("big.bin"));
  EXPECT_TRUE(Exists("z.txt"));
}

TEST(WindowExtraction, DrivesTheProgressPageControls) {
  TempDir dir;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  HWND label = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 50, 10, owner, nullptr, nullptr, nullptr);
  HWND current = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, 0, 10, 50, 10, owner, nullptr, nullptr, nullptr);
  HWND total = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, 0, 20, 50, 10, owner, nullptr, nullptr, nullptr);
  ASSERT_TRUE(owner && label && current && total);
  SendMessageA(total, PBM_SETRANGE32, 0, 100);
  TRAR rar;
  TInst inst;
  inst.TotalFiles = 4;
  TExtraction extraction(rar, inst, owner, label, current, total);
  std::string first;
  for (const auto& v : rarwriter::Write("pkg.rar", {File("a.txt", "abc"), File(U8(u8"я.txt"), "12345678")}, {})) {
    std::ofstream(dir.File(v.name), std::ios::binary) << v.bytes;
    if (first.empty()) first = dir.File(v.name);
  }
  rar.ArchiveName = first;
  rar.TargetDir = dir.Path();
  EXPECT_TRUE(rar.Extract());
  // As the installation run does after each archive: the window catches up.
  extraction.handlers.Refresh();
  char text[64] = {};
  GetWindowTextA(label, text, sizeof text);
  EXPECT_STREQ(text, "я.txt");
  EXPECT_EQ(SendMessageA(current, PBM_GETRANGE, FALSE, 0), 8);
  EXPECT_EQ(SendMessageA(current, PBM_GETPOS, 0, 0), 8);
  EXPECT_EQ(SendMessageA(total, PBM_GETPOS, 0, 0), 50);
  DestroyWindow(owner);
}

TEST(OemToAnsiStr, ConvertsAndDropsTrailingZeros) {
  EXPECT_EQ(OemToAnsiStr(""), "");
  EXPECT_EQ(OemToAnsiStr(std::string("\x8f\xa0\xaf\xaa\xa0\0\0", 7)), "Папка");
  EXPECT_EQ(OemToAnsiStr("a\\b.txt"), "a\\b.txt");
}

}  // namespace
