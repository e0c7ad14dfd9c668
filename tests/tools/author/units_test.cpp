// The small units under the checker: code page 1251, nearest names and macro
// words, where a path points, keys the product does not own, files found as
// Windows finds them, and the command line's exit codes.
#include <gtest/gtest.h>

#include <sstream>

#ifndef _WIN32
#include <iconv.h>
#endif

#include "tests/tools/author/author_test_lib.h"
#include "tools/author/cp1251.h"
#include "tools/author/distribution_files.h"
#include "tools/author/regfile_check.h"
#include "tools/author/spelling.h"
#include "tools/author/target_check.h"
#include "tools/author/text_check.h"

namespace {

using namespace authortest;

#ifndef _WIN32
TEST(Cp1251, EveryByteAsTheSystemsConverterReadsIt) {
  iconv_t cd = iconv_open("UTF-8", "CP1251");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  for (int b = 0x80; b <= 0xFF; ++b) {
    if (b == cp1251::kUndefinedByte) continue;
    char in[1] = {static_cast<char>(b)};
    char out[8] = {};
    char* inp = in;
    char* outp = out;
    size_t inLeft = 1, outLeft = sizeof out;
    ASSERT_NE(iconv(cd, &inp, &inLeft, &outp, &outLeft), static_cast<size_t>(-1)) << b;
    const std::string utf8(out, sizeof out - outLeft);
    EXPECT_EQ(cp1251::Utf8FromCp1251(std::string(1, static_cast<char>(b))), utf8) << b;
    bool lossless = false;
    EXPECT_EQ(cp1251::Cp1251FromUtf8(utf8, &lossless), std::string(1, static_cast<char>(b))) << b;
    EXPECT_TRUE(lossless);
  }
  iconv_close(cd);
}
#endif

TEST(Cp1251, WhatTheCodePageLacksBecomesAQuestionMark) {
  bool lossless = true;
  EXPECT_EQ(cp1251::Cp1251FromUtf8(reinterpret_cast<const char*>(u8"a\u4E2Db"), &lossless), "a?b");
  EXPECT_FALSE(lossless);
  EXPECT_EQ(cp1251::Cp1251FromUtf16(u"\xD83D\xDE00!", &lossless), "?!");
  EXPECT_FALSE(lossless);
}

TEST(Spelling, NearestNamesAndMacroWords) {
  EXPECT_EQ(author::EditDistance("Welcome", "Wellcome"), 1u);
  EXPECT_EQ(author::NearestName("Language", {"Path", "Languge", "Start"}), "Languge");
  EXPECT_EQ(author::NearestName("Colour", {"Path", "Languge", "Start"}), "");
  const std::vector<author::MacroWord> words = author::MacroWords("%installpath%\\%Foo% 50% off %SourceDrive%%x");
  ASSERT_EQ(words.size(), 3u);
  EXPECT_TRUE(words[0].known);
  EXPECT_EQ(words[1].word, "%Foo%");
  EXPECT_FALSE(words[1].known);
  EXPECT_EQ(words[2].word, "%SourceDrive%");
}

TEST(Targets, WhereAPathPointsAndWhichProgramsEveryWindowsHas) {
  author::Place p = author::PlaceOf("%InstallPath%\\\\bin\\app.exe");
  EXPECT_EQ(p.kind, author::Place::Install);
  EXPECT_EQ(p.rel, "bin\\app.exe");
  p = author::PlaceOf("%SourcePath%setup\\x.exe");
  EXPECT_EQ(p.kind, author::Place::Medium);
  EXPECT_EQ(p.rel, "setup\\x.exe");
  EXPECT_EQ(author::PlaceOf("%SourceDrive%\\x.exe").rel, "x.exe");
  EXPECT_EQ(author::PlaceOf("C:\\Windows\\notepad.exe").kind, author::Place::Absolute);
  EXPECT_EQ(author::PlaceOf("http://example.org").kind, author::Place::Url);
  EXPECT_EQ(author::PlaceOf("tool.exe").kind, author::Place::Bare);
  EXPECT_EQ(author::PlaceOf("%InstallPath%").rel, "");
  EXPECT_EQ(author::ProgramOf("  \"C:\\My Tools\\x.exe\" /s"), "C:\\My Tools\\x.exe");
  EXPECT_EQ(author::ProgramOf("regsvr32 /s a.dll"), "regsvr32");
  EXPECT_TRUE(author::IsStandardProgram("regsvr32"));
  EXPECT_TRUE(author::IsStandardProgram("C:\\WINDOWS\\NOTEPAD.EXE"));
  EXPECT_FALSE(author::IsStandardProgram("C:\\Windows\\mytool.exe"));
}

TEST(RegistryKeys, WhichKeysAnInstallationOwns) {
  auto reason = [](const char* path) { return author::SharedKeyReason(regfile::LocateKey(path)); };
  EXPECT_EQ(reason("HKEY_CURRENT_USER\\Software\\Maker\\App"), "");
  EXPECT_EQ(reason("HKEY_LOCAL_MACHINE\\Software\\Classes\\.abc"), "");
  EXPECT_EQ(reason("HKEY_CLASSES_ROOT\\.abc"), "");
  EXPECT_EQ(reason("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\a.exe"), "");
  EXPECT_NE(reason("HKEY_CURRENT_USER\\Environment"), "");
  EXPECT_NE(reason("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"), "");
  EXPECT_NE(reason("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\X"), "");
  EXPECT_NE(reason("HKEY_LOCAL_MACHINE\\System\\CurrentControlSet"), "");
  EXPECT_NE(reason("HKEY_USERS\\.DEFAULT\\Software\\X"), "");
  EXPECT_NE(reason("HKEY_CURRENT_USER\\Software"), "");
}

TEST(Text, LineEndsAndBytesOfNoCharacter) {
  author::Findings f;
  EXPECT_TRUE(author::CheckText("[A]\rk=1\rx=\x98\x01", "a.ini", author::TextKind::SetupIni, f));
  const std::vector<author::Finding> all = f.Sorted();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].line, 1);
  EXPECT_NE(all[0].text.find("ends its lines with CR alone"), std::string::npos);
  EXPECT_EQ(all[1].line, 3);
  EXPECT_NE(all[1].text.find("0x98"), std::string::npos);
  EXPECT_NE(all[2].text.find("control character 0x01"), std::string::npos);
  const std::vector<author::TextLine> lines = author::SplitTextLines("a\r\nb\nc\rd");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[3].text, "d");
  EXPECT_EQ(lines[3].end, author::LineEnd::None);
}

TEST(Files, FoundWhateverTheLetterCaseAsWindowsFindsThem) {
  TempDir dir;
  std::filesystem::create_directories(std::filesystem::path(dir.Path()) / "Paks");
  WriteBytes(dir.File("Paks/Core.RAR"), ArchiveBytes({File("a.txt")}));
  std::optional<std::string> found = author::FindOnDisk(dir.Path(), "paks\\core.rar");
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(ReadBytes(*found), ArchiveBytes({File("a.txt")}));
  EXPECT_TRUE(author::FindOnDisk(dir.Path(), "PAKS", true).has_value());
  EXPECT_FALSE(author::FindOnDisk(dir.Path(), "paks\\other.rar").has_value());
  EXPECT_FALSE(author::FindOnDisk(dir.Path(), "C:\\paks\\core.rar").has_value());
  EXPECT_TRUE(author::IsAbsoluteName("\\\\server\\share\\a.rar"));
  // The volumes of a set, whatever their case.
  rarwriter::Options o;
  o.volume_size = 120;
  std::vector<rarwriter::Volume> volumes = rarwriter::Write("set.rar", {File("big.txt", std::string(300, 'b'))}, o);
  ASSERT_GE(volumes.size(), 2u);
  for (size_t i = 0; i < volumes.size(); ++i) {
    std::string name = volumes[i].name;
    if (i > 0) name[0] = 'S';  // "Set.part2.rar"
    WriteBytes(dir.File(name), volumes[i].bytes);
  }
  author::DiskVolumeOpener opener;
  const author::ArchiveScan scan = author::ScanArchive(opener, dir.File(volumes[0].name));
  EXPECT_TRUE(scan.Complete()) << scan.missingVolume;
  ASSERT_EQ(scan.members.size(), 1u);
  EXPECT_EQ(scan.members[0].code, 0);
}

TEST(CheckCommand, ExitCodesAndTheFolderOfDisks) {
  Distribution d;
  d.Check();
  std::ostringstream out, err;
  EXPECT_EQ(author::RunCheckCommand({d.Folders()[0]}, out, err), 0);
  EXPECT_NE(out.str().find("0 errors, 0 warnings\n"), std::string::npos) << out.str();
  d.Edit("FilesCount=3", "FilesCount=4");
  d.Check();
  out.str("");
  EXPECT_EQ(author::RunCheckCommand({"--json", d.Folders()[0]}, out, err), 1);
  EXPECT_NE(out.str().find("\"errors\":1,"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("\"line\":" + std::to_string(d.Line("FilesCount=4"))), std::string::npos) << out.str();
  EXPECT_EQ(author::RunCheckCommand({}, out, err), 2);
  EXPECT_EQ(author::RunCheckCommand({"--bogus", d.Folders()[0]}, out, err), 2);
  out.str("");
  EXPECT_EQ(author::RunCheckCommand({d.Path("no-such-folder")}, out, err), 1);
  EXPECT_NE(out.str().find("no-such-folder: error: no such folder"), std::string::npos) << out.str();
}

}  // namespace
