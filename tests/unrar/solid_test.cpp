// Compressed members through the archive code: solid sets whose members are
// skipped, tested or read past, damage that must stay with its member,
// members split across volumes, and a long solid set. The packed data is
// real (cut out of the fixtures) and laid out anew with the archive writer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/common/temp_dir.h"
#include "tests/unrar/member_run.h"
#include "tests/unrar/tree.h"
#include "tests/unrar/unpack/packed_member.h"
#include "unrar/crc32.h"
#include "unrar/rar_codes.h"

namespace {

namespace fs = std::filesystem;
using membertest::kReadOn;
using membertest::RunPlan;

std::string Fixture(const std::string& dir, const std::string& name) { return dir + "/" + name; }

// The process's resident memory in KB (0 where the system does not say).
long ResidentKb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * 4;
}

bool HaveDecoder(unsigned version) { return rar::unpack::MakeDecoder(version) != nullptr; }

unsigned Log2(uint64_t v) {
  unsigned n = 0;
  while (v > 1) v >>= 1, ++n;
  return n;
}

// A member of a real archive as an entry of the writer.
rarwriter::Entry Carried(const unpacktest::PackedMember& p, bool rar5, std::string name = "") {
  rarwriter::Entry e{name.empty() ? p.member.name : std::move(name), false, "", 1600000000, 0};
  rarwriter::Packed packed;
  packed.bytes = p.packed;
  packed.unp_size = p.member.unp_size;
  packed.crc = p.member.crc;
  packed.version = p.member.unp_ver;
  packed.method = p.member.method - 0x30;
  packed.dictionary_bits = Log2(p.member.dictionary / (rar5 ? 128 * 1024 : 64 * 1024));
  packed.solid = p.member.solid;
  e.packed = packed;
  return e;
}

std::string FileCrc(const std::string& path) {
  const std::string bytes = ReadAll(path);
  return std::to_string(rar::Crc32(0, bytes.data(), bytes.size()));
}

struct SolidCase {
  const char* dir;
  const char* archive;
  unsigned version;
};

class Solid : public ::testing::TestWithParam<SolidCase> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(HaveDecoder(GetParam().version)) << "no decoder for version " << GetParam().version;
    fs::create_directory(Out());
    path_ = Fixture(GetParam().dir, GetParam().archive);
    members_ = unpacktest::ReadPackedMembers(unpacktest::ReadWhole(path_));
    ASSERT_GE(members_.size(), 3u);
  }
  std::string Out() const { return dir_.File("out"); }
  void Clean() {
    fs::remove_all(Out());
    fs::create_directory(Out());
  }
  // The extracted file members have their headers' CRC32; the others are absent.
  void ExpectExtracted(const std::vector<bool>& present) {
    for (size_t i = 0; i < members_.size(); ++i) {
      const std::string path = Out() + "/" + members_[i].member.name;
      SCOPED_TRACE(members_[i].member.name);
      if (i < present.size() && present[i]) {
        EXPECT_EQ(FileCrc(path), std::to_string(members_[i].member.crc));
      } else {
        EXPECT_FALSE(fs::exists(path));
      }
    }
  }
  std::string path_;
  std::vector<unpacktest::PackedMember> members_;
  TempDir dir_;
};

TEST_P(Solid, MembersSkippedTestedOrReadPastAreStillDecoded) {
  const std::vector<std::vector<int>> plans = {
      {rar::kExtract},
      {rar::kSkip, rar::kExtract},
      {rar::kTest, rar::kExtract},
      {kReadOn, rar::kSkip, rar::kExtract},
      {rar::kExtract, kReadOn, rar::kTest, rar::kExtract},
  };
  for (const auto& plan : plans) {
    SCOPED_TRACE(::testing::PrintToString(plan));
    auto r = RunPlan(path_, Out(), plan);
    EXPECT_EQ(r.end, rar::kEndArchive);
    std::vector<bool> present;
    size_t file = 0;
    for (size_t i = 0; i < r.members.size(); ++i) {
      const int op = plan[std::min(i, plan.size() - 1)];
      if (op != kReadOn) {
        EXPECT_EQ(r.members[i].second, 0) << r.members[i].first;
      }
      // Folders come after the files in these archives.
      if (file < members_.size() && r.members[i].first == members_[file].member.name) {
        present.push_back(op == rar::kExtract);
        ++file;
      }
    }
    EXPECT_EQ(file, members_.size());
    ExpectExtracted(present);
    Clean();
  }
}

TEST_P(Solid, DamageFailsTheMemberAndEverySolidOneAfterIt) {
  const bool rar5 = GetParam().version >= 50;
  rarwriter::Options o;
  o.format = rar5 ? 5 : 4;
  std::vector<rarwriter::Entry> entries;
  for (const auto& m : members_) entries.push_back(Carried(m, rar5));
  // A member with nothing solid before it cannot be decoded at all.
  auto first_solid = entries;
  first_solid.erase(first_solid.begin());
  std::string archive = SaveVolumes(rarwriter::Write("orphans.rar", first_solid, o), dir_.Path());
  auto r = RunPlan(archive, Out(), {rar::kExtract});
  ASSERT_EQ(r.members.size(), first_solid.size());
  for (const auto& [name, code] : r.members) EXPECT_EQ(code, rar::kBadData) << name;

  std::string& bytes = entries[0].packed->bytes;
  for (size_t i = bytes.size() / 3; i < bytes.size() / 3 + 16; ++i) bytes[i] ^= 0x5A;
  archive = SaveVolumes(rarwriter::Write("damaged.rar", entries, o), dir_.Path());
  r = RunPlan(archive, Out(), {rar::kExtract});
  ASSERT_EQ(r.members.size(), entries.size());
  EXPECT_EQ(r.members[0].second, rar::kBadData);
  for (size_t i = 1; i < r.members.size(); ++i) {
    EXPECT_EQ(r.members[i].second, members_[i].member.solid ? rar::kBadData : 0) << r.members[i].first;
  }
  EXPECT_EQ(r.end, rar::kEndArchive);
  EXPECT_FALSE(fs::exists(Out() + "/" + members_[0].member.name));
}

INSTANTIATE_TEST_SUITE_P(Archives, Solid,
                         ::testing::Values(SolidCase{UNRAR_FIXTURES2, "Rar.solid.rar", 29},
                                           SolidCase{UNRAR_FIXTURES, "test_read_format_rar5_solid.rar", 50}));

struct SplitCase {
  const char* archive;
  unsigned version;
  int format;
  bool old_names;
};

class Split : public ::testing::TestWithParam<SplitCase> {};

// Small volumes cut the packed data at many places; a damaged member in a
// non-solid archive leaves the others whole.
TEST_P(Split, CompressedMembersAcrossVolumesAndDamageInOne) {
  const SplitCase c = GetParam();
  ASSERT_TRUE(HaveDecoder(c.version)) << "no decoder for version " << c.version;
  TempDir dir;
  const std::string out = dir.File("out");
  fs::create_directory(out);
  auto members = unpacktest::ReadPackedMembers(unpacktest::ReadWhole(Fixture(UNRAR_FIXTURES2, c.archive)));
  ASSERT_GE(members.size(), 3u);
  std::vector<rarwriter::Entry> entries;
  for (const auto& m : members) entries.push_back(Carried(m, c.format == 5));
  rarwriter::Options o;
  o.format = c.format;
  o.old_volume_names = c.old_names;
  o.volume_size = 7000;
  auto volumes = rarwriter::Write("split.rar", entries, o);
  ASSERT_GT(volumes.size(), 5u);
  std::string first = SaveVolumes(volumes, dir.Path());
  auto r = RunPlan(first, out, {rar::kExtract});
  ASSERT_EQ(r.members.size(), members.size());
  for (size_t i = 0; i < members.size(); ++i) {
    EXPECT_EQ(r.members[i].second, 0) << r.members[i].first;
    EXPECT_EQ(FileCrc(out + "/" + members[i].member.name), std::to_string(members[i].member.crc));
  }
  EXPECT_EQ(r.end, rar::kEndArchive);
  fs::remove_all(out);
  fs::create_directory(out);

  std::string& bytes = entries[1].packed->bytes;
  for (size_t i = bytes.size() / 2; i < bytes.size() / 2 + 8; ++i) bytes[i] ^= 0x33;
  first = SaveVolumes(rarwriter::Write("damaged.rar", entries, o), dir.Path());
  r = RunPlan(first, out, {rar::kExtract});
  ASSERT_EQ(r.members.size(), members.size());
  for (size_t i = 0; i < members.size(); ++i)
    EXPECT_EQ(r.members[i].second, i == 1 ? rar::kBadData : 0) << r.members[i].first;
  EXPECT_FALSE(fs::exists(out + "/" + members[1].member.name));
}

INSTANTIATE_TEST_SUITE_P(Volumes, Split,
                         ::testing::Values(SplitCase{"Rar.rar", 29, 4, false}, SplitCase{"Rar.rar", 29, 4, true},
                                           SplitCase{"Rar5.rar", 50, 5, false}, SplitCase{"Rar2.rar", 20, 4, false},
                                           SplitCase{"Rar15.rar", 15, 4, true}));

// Ten thousand small solid members, each the same packed data that repeats
// its own first byte (so every copy unpacks alike): every one extracts, and
// the process's resident memory does not grow with their number.
TEST(LongSolidSet, TenThousandMembers) {
  ASSERT_TRUE(HaveDecoder(50));
  auto members = unpacktest::ReadPackedMembers(
      unpacktest::ReadWhole(Fixture(UNRAR_FIXTURES, "test_read_format_rar5_solid.rar")));
  ASSERT_GE(members.size(), 3u);
  std::vector<rarwriter::Entry> entries{Carried(members[0], true), Carried(members[1], true)};
  for (int i = 0; i < 10000; ++i) entries.push_back(Carried(members[2], true, "set/" + std::to_string(i) + ".bin"));
  TempDir dir;
  rarwriter::Options o;
  o.format = 5;
  const std::string archive = SaveVolumes(rarwriter::Write("long.rar", entries, o), dir.Path());
  const std::string out = dir.File("out");
  fs::create_directory(out);
  rar::FileVolumeOpener opener;
  auto output = rar::MakeLocalOutput();
  rar::Archive a(opener, output.get());
  ASSERT_EQ(a.Open(archive, rar::kModeExtract), 0);
  int failed = 0, count = 0;
  long resident_early = 0;
  rar::Member m;
  while (a.ReadHeader(m) == 0) {
    failed += a.ProcessFile(count < 2 ? rar::kExtract : rar::kTest, out.c_str(), nullptr) != 0;
    if (++count == 2000) resident_early = ResidentKb();
  }
  EXPECT_EQ(count, static_cast<int>(entries.size()));
  EXPECT_EQ(failed, 0);
  const long resident_late = ResidentKb();
  std::printf("resident memory after 2,000 members: %ld KB, after %d: %ld KB\n", resident_early, count, resident_late);
  EXPECT_LT(resident_late - resident_early, 16 * 1024);
}

}  // namespace
