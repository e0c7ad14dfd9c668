// Hostile and damaged archives: nothing is written outside the destination,
// every failure has its code, and the member after a failure still works.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "tests/common/temp_dir.h"
#include "tests/unrar/tree.h"
#include "unrar/crc32.h"
#include "unrar/rar_archive.h"
#include "unrar/rar_codes.h"

namespace {

namespace fs = std::filesystem;

rarwriter::Entry File(std::string name, std::string data) {
  return {std::move(name), false, std::move(data), 1600000000, 0};
}

struct Result {
  int open = 0, end = 0;
  std::vector<std::pair<std::string, int>> members;
};

Result ExtractAll(const std::string& archive, const std::string& dest, rar::Archive::VolumeCallback vol = nullptr,
           rar::Archive::DataCallback data = nullptr, int mode = rar::kModeExtract) {
  rar::FileVolumeOpener opener;
  auto output = rar::MakeLocalOutput();
  rar::Archive a(opener, output.get());
  if (vol) a.SetVolumeCallback(vol);
  if (data) a.SetDataCallback(data);
  Result r;
  r.open = a.Open(archive, mode);
  if (r.open) return r;
  for (;;) {
    rar::Member m;
    r.end = a.ReadHeader(m);
    if (r.end) break;
    r.members.emplace_back(m.name, a.ProcessFile(rar::kExtract, dest.c_str(), nullptr));
  }
  return r;
}

class Damaged : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directory(dir_.File("out")); }
  std::string Save(const std::vector<rarwriter::Entry>& entries, int format = 4,
                   uint64_t volume_size = 0) {
    rarwriter::Options o;
    o.format = format;
    o.volume_size = volume_size;
    return SaveVolumes(rarwriter::Write("pkg.rar", entries, o), dir_.Path());
  }
  std::string Out() const { return dir_.File("out"); }
  TempDir dir_;
};

TEST_F(Damaged, NamesThatLeaveTheDestinationAreRefusedAndTheNextMemberStillWorks) {
  for (int format : {4, 5}) {
    SCOPED_TRACE(format);
    std::string archive = Save({File("../evil1.txt", "x"), File("/evil2.txt", "x"),
                                File("C:/evil3.txt", "x"), File("a/../../evil4.txt", "x"),
                                File("a/.. /evil5.txt", "x"), File("con.txt", "x"),
                                File("a\\..\\..\\evil6.txt", "x"), File("ok/good.txt", "fine")},
                               format);
    Result r = ExtractAll(archive, Out());
    ASSERT_EQ(r.open, 0);
    EXPECT_EQ(r.end, rar::kEndArchive);
    ASSERT_EQ(r.members.size(), 8u);
    for (size_t i = 0; i + 1 < r.members.size(); ++i)
      EXPECT_EQ(r.members[i].second, rar::kCreateError) << r.members[i].first;
    EXPECT_EQ(r.members.back().second, 0);
    std::map<std::string, std::string> expected{{"ok", "<dir>"}, {"ok/good.txt", Digest("fine")}};
    EXPECT_EQ(ReadTree(Out()), expected);
    // Only the archive and the destination are in the test folder.
    int entries = 0;
    for (const auto& e : fs::directory_iterator(dir_.Path())) entries += e.path() != Out();
    EXPECT_EQ(entries, 1);
    fs::remove_all(Out());
    fs::create_directory(Out());
  }
}

TEST_F(Damaged, ChecksumMismatchLeavesNoFile) {
  std::string archive = Save({File("a.txt", "abcdef"), File("b.txt", "second")});
  std::string bytes = ReadAll(archive);
  size_t at = bytes.find("abcdef");
  ASSERT_NE(at, std::string::npos);
  bytes[at] = 'X';
  WriteAll(archive, bytes);
  Result r = ExtractAll(archive, Out());
  ASSERT_EQ(r.members.size(), 2u);
  EXPECT_EQ(r.members[0].second, rar::kBadData);
  EXPECT_EQ(r.members[1].second, 0);
  EXPECT_FALSE(fs::exists(Out() + "/a.txt"));
  EXPECT_TRUE(fs::exists(Out() + "/b.txt"));
}

TEST_F(Damaged, TruncatedDataAndTruncatedHeaders) {
  for (int format : {4, 5}) {
    SCOPED_TRACE(format);
    std::string archive = Save({File("a.txt", "first"), File("b.txt", std::string(1000, 'b'))}, format);
    std::string bytes = ReadAll(archive);
    WriteAll(archive, bytes.substr(0, bytes.size() - 600));  // inside b.txt's data
    Result r = ExtractAll(archive, Out());
    ASSERT_EQ(r.members.size(), 2u);
    EXPECT_EQ(r.members[0].second, 0);
    EXPECT_EQ(r.members[1].second, rar::kBadData);
    EXPECT_FALSE(fs::exists(Out() + "/b.txt"));
    EXPECT_EQ(r.end, rar::kBadArchive);  // the next header lies beyond the end

    size_t header_b = bytes.find("b.txt");
    WriteAll(archive, bytes.substr(0, header_b - 3));  // inside b.txt's header
    r = ExtractAll(archive, Out());
    ASSERT_EQ(r.members.size(), 1u);
    EXPECT_EQ(r.end, rar::kBadArchive);
  }
}

TEST_F(Damaged, AbsurdPackedSizeIsAnErrorNotAnAllocation) {
  std::string archive = Save({File("a.txt", "tiny")});
  std::string bytes = ReadAll(archive);
  const size_t h = 7 + 13;  // first block after the marker and the main header
  for (int i = 0; i < 4; ++i) bytes[h + 7 + i] = '\xFF';
  const size_t head_size = static_cast<unsigned char>(bytes[h + 5]) | (static_cast<unsigned char>(bytes[h + 6]) << 8);
  uint32_t crc = rar::Crc32(0, bytes.data() + h + 2, head_size - 2);
  bytes[h] = static_cast<char>(crc & 0xFF);
  bytes[h + 1] = static_cast<char>((crc >> 8) & 0xFF);
  WriteAll(archive, bytes);
  Result r = ExtractAll(archive, Out());
  ASSERT_EQ(r.members.size(), 1u);
  EXPECT_EQ(r.members[0].second, rar::kBadData);
  EXPECT_EQ(r.end, rar::kBadArchive);
  EXPECT_FALSE(fs::exists(Out() + "/a.txt"));
}

TEST_F(Damaged, BrokenHeaderChecksumIsBadData) {
  std::string archive = Save({File("a.txt", "tiny")});
  std::string bytes = ReadAll(archive);
  bytes[bytes.find("a.txt")] = 'b';
  WriteAll(archive, bytes);
  Result r = ExtractAll(archive, Out());
  EXPECT_TRUE(r.members.empty());
  EXPECT_EQ(r.end, rar::kBadData);
}

TEST_F(Damaged, NotAnArchiveAndNoFile) {
  WriteAll(dir_.File("plain.rar"), "just some text, long enough to look at");
  EXPECT_EQ(ExtractAll(dir_.File("plain.rar"), Out()).open, rar::kBadArchive);
  EXPECT_EQ(ExtractAll(dir_.File("missing.rar"), Out()).open, rar::kOpenError);
  EXPECT_EQ(ExtractAll("", Out()).open, rar::kOpenError);
}

class Volumes : public Damaged {};

TEST_F(Volumes, MissingVolumeAsksTheCallerAndFailsCleanly) {
  for (int format : {4, 5}) {
    SCOPED_TRACE(format);
    std::string data(50000, 'v');
    std::string first = Save({File("split.bin", data), File("after.txt", "after")}, format, 20000);
    const std::string part2 = dir_.File("pkg.part2.rar");
    ASSERT_TRUE(fs::exists(part2));
    fs::rename(part2, dir_.File("moved.rar"));

    Result r = ExtractAll(first, Out());
    ASSERT_FALSE(r.members.empty());
    EXPECT_EQ(r.members[0].second, rar::kOpenError);
    EXPECT_FALSE(fs::exists(Out() + "/split.bin"));

    std::vector<std::pair<std::string, int>> calls;
    r = ExtractAll(first, Out(), [&](std::string& name, int mode) {
      calls.emplace_back(name, mode);
      return -1;
    });
    EXPECT_EQ(r.members[0].second, rar::kOpenError);
    EXPECT_EQ(r.end, rar::kOpenError);  // reading on needs that volume too
    ASSERT_FALSE(calls.empty());
    for (const auto& call : calls) EXPECT_EQ(call, std::make_pair(part2, 0));

    calls.clear();
    r = ExtractAll(first, Out(), [&](std::string& name, int mode) {
      calls.emplace_back(name, mode);
      if (mode == 0 && name != part2) return -1;
      if (mode == 0) name = dir_.File("moved.rar");
      return 1;
    });
    ASSERT_EQ(r.members.size(), 2u);
    EXPECT_EQ(r.members[0].second, 0);
    EXPECT_EQ(r.members[1].second, 0);
    EXPECT_EQ(ReadAll(Out() + "/split.bin"), data);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0].second, 0);
    EXPECT_EQ(calls[1], std::make_pair(dir_.File("moved.rar"), 1));
    fs::rename(dir_.File("moved.rar"), part2);
    fs::remove_all(Out());
    fs::create_directory(Out());
  }
}

TEST_F(Volumes, DataCallbackSeesEveryByteAndCanCancel) {
  std::string data(70000, 'd');
  std::string first = Save({File("split.bin", data)}, 5, 30000);
  size_t seen = 0;
  Result r = ExtractAll(first, Out(), nullptr, [&](const unsigned char*, size_t n) {
    seen += n;
    return 1;
  });
  EXPECT_EQ(r.members.at(0).second, 0);
  EXPECT_EQ(seen, data.size());

  fs::remove(Out() + "/split.bin");
  r = ExtractAll(first, Out(), nullptr, [](const unsigned char*, size_t) { return -1; });
  EXPECT_NE(r.members.at(0).second, 0);
  EXPECT_FALSE(fs::exists(Out() + "/split.bin"));
}

TEST_F(Volumes, ListModeWritesNothing) {
  std::string first = Save({File("a.txt", "a"), File("b.txt", "b")});
  Result r = ExtractAll(first, Out(), nullptr, nullptr, rar::kModeList);
  EXPECT_EQ(r.members.size(), 2u);
  EXPECT_TRUE(fs::is_empty(Out()));
}

}  // namespace
