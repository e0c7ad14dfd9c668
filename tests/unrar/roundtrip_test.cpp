// Archives of our own writer, read back by the core and by bsdtar.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "tests/common/temp_dir.h"
#include "tests/unrar/tree.h"
#include "unrar/header_record.h"
#include "unrar/rar_archive.h"
#include "unrar/rar_codes.h"

namespace {

std::vector<rarwriter::Entry> SampleEntries() {
  std::mt19937 rng(7);
  std::string big(200000, '\0');
  for (char& c : big) c = static_cast<char>(rng());
  return {
      {"docs", true, "", 1600000000, 0},
      {"docs/a.txt", false, "first file\r\n", 1600000000, 0},
      {U8(u8"docs/Папка"), true, "", 1600000100, 0},
      {U8(u8"docs/Папка/Отчёт.txt"), false, U8(u8"текст"), 1600000200, 0},
      {"empty.dat", false, "", 1600000300, 0},
      {"big.bin", false, big, 1600000400, 0},
      {"readme.txt", false, "last", 1600000500, 0},
  };
}

struct Extracted {
  std::vector<std::string> names;  // as the published header gives them (866, backslashes)
  std::vector<int> codes;
  std::vector<unsigned> flags;
  int open = 0, end = 0;
  std::string comment;
};

Extracted ExtractAll(const std::string& archive, const std::string& dest,
                     rar::Archive::VolumeCallback on_volume = nullptr) {
  rar::FileVolumeOpener opener;
  auto output = rar::MakeLocalOutput();
  rar::Archive a(opener, output.get());
  if (on_volume) a.SetVolumeCallback(on_volume);
  Extracted x;
  x.open = a.Open(archive, rar::kModeExtract);
  if (x.open) return x;
  if (a.CommentState() == 1) x.comment = a.Comment();
  for (;;) {
    rar::Member m;
    x.end = a.ReadHeader(m);
    if (x.end) break;
    RARHeaderData h;
    rar::FillHeaderData(m, a.VolumeName(), h);
    x.names.push_back(h.FileName);
    x.flags.push_back(h.Flags);
    x.codes.push_back(a.ProcessFile(rar::kExtract, dest.c_str(), nullptr));
  }
  return x;
}

struct Case {
  int format;
  uint64_t volume_size;
  bool old_names;
  bool oem_names;
};

class RoundTrip : public ::testing::TestWithParam<Case> {};

TEST_P(RoundTrip, CoreExtractsWhatWasWritten) {
  const Case c = GetParam();
  rarwriter::Options o;
  o.format = c.format;
  o.volume_size = c.volume_size;
  o.old_volume_names = c.old_names;
  o.oem_names = c.oem_names;
  o.comment = U8(u8"Пакет 1");
  TempDir dir;
  auto entries = SampleEntries();
  auto volumes = rarwriter::Write("pkg.rar", entries, o);
  EXPECT_EQ(volumes.size() > 1, c.volume_size != 0);
  std::string first = SaveVolumes(volumes, dir.Path());
  std::filesystem::create_directory(dir.File("out"));

  Extracted x = ExtractAll(first, dir.File("out"));
  ASSERT_EQ(x.open, 0);
  EXPECT_EQ(x.end, rar::kEndArchive);
  EXPECT_EQ(x.codes, std::vector<int>(entries.size(), 0));
  EXPECT_EQ(ReadTree(dir.File("out")), TreeOf(entries));
  // The comment and the names reach the caller in code page 866.
  EXPECT_EQ(x.comment, "\x8f\xa0\xaa\xa5\xe2 1");
  ASSERT_EQ(x.names.size(), entries.size());
  EXPECT_EQ(x.names[3], "docs\\\x8f\xa0\xaf\xaa\xa0\\\x8e\xe2\xe7\xf1\xe2.txt");
  EXPECT_EQ(x.flags[0] & RHDF_DIRECTORY, RHDF_DIRECTORY);
  EXPECT_EQ(x.flags[1] & RHDF_DIRECTORY, 0u);
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTrip,
                         ::testing::Values(Case{4, 0, false, false}, Case{4, 0, false, true},
                                           Case{5, 0, false, false}, Case{4, 30000, false, false},
                                           Case{4, 30000, true, false}, Case{5, 30000, false, false}));

TEST(RoundTripLinks, LinksAreRefusedAndTheMembersAroundThemExtracted) {
  for (int format : {4, 5}) {
    SCOPED_TRACE(format);
    TempDir dir;
    rarwriter::Options o;
    o.format = format;
    rarwriter::Entry link{"link", false, "a.txt", 1600000000, 0};
    link.is_link = true;
    std::vector<rarwriter::Entry> entries{{"a.txt", false, "aaa", 1600000000, 0}, link,
                                          {"b.txt", false, "bbb", 1600000000, 0}};
    std::string archive = SaveVolumes(rarwriter::Write("pkg.rar", entries, o), dir.Path());
    std::filesystem::create_directory(dir.File("out"));
    Extracted x = ExtractAll(archive, dir.File("out"));
    EXPECT_EQ(x.codes, (std::vector<int>{0, rar::kUnknownFormat, 0}));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir.File("out/link"))));
    // Another reader sees a symbolic link too.
    if (std::system("bsdtar --version > /dev/null 2>&1") == 0) {
      std::string listing = dir.File("listing");
      std::string command = "bsdtar -tvf '" + archive + "' > '" + listing + "'";
      ASSERT_EQ(std::system(command.c_str()), 0);
      std::ifstream in(listing);
      std::string text((std::istreambuf_iterator<char>(in)), {});
      EXPECT_NE(text.find("\nl"), std::string::npos) << text;
    }
  }
}

TEST(RoundTripBsdtar, BsdtarExtractsTheSameFromBothFormats) {
  if (std::system("bsdtar --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no bsdtar";
  for (int format : {4, 5}) {
    SCOPED_TRACE(format);
    TempDir dir;
    rarwriter::Options o;
    o.format = format;
    auto entries = SampleEntries();
    std::string archive = SaveVolumes(rarwriter::Write("pkg.rar", entries, o), dir.Path());
    std::filesystem::create_directory(dir.File("out"));
    std::string command = "bsdtar -xf '" + archive + "' -C '" + dir.File("out") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadTree(dir.File("out")), TreeOf(entries));
  }
}

}  // namespace
