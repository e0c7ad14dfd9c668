// The decoder of unpack versions 29 and 36 against real archives: every
// member of the family in the fixtures, fed whole and in odd pieces; damaged
// copies of them; and the decoder's contract (sizes, dictionary, output
// failure, solid members).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "tests/unrar/sha256.h"
#include "tests/unrar/unpack/packed_member.h"
#include "unrar/rar_codes.h"
#include "unrar/unpack/decoder.h"

namespace {

using rar::unpack::Decoder;
using rar::unpack::MakeDecoder;
using rar::unpack::MemberParams;
using unpacktest::CollectingOutput;
using unpacktest::PackedMember;
using unpacktest::ReadPackedMembers;
using unpacktest::ReadWhole;
using unpacktest::StringInput;

bool InFamily(const PackedMember& m) {
  return (m.params.version == 29 || m.params.version == 36) && !m.member.stored && !m.member.encrypted;
}

struct Decoded {
  int code = -1;
  uint32_t crc = 0;
  uint64_t total = 0;
  std::string bytes;
};

Decoded Decode(Decoder& d, const std::string& packed, const MemberParams& p, size_t step = 1 << 16,
               size_t keep = SIZE_MAX) {
  StringInput in(packed, step);
  CollectingOutput out(keep);
  Decoded r;
  r.code = d.Decode(in, out, p);
  r.crc = out.crc;
  r.total = out.total;
  r.bytes = std::move(out.bytes);
  return r;
}

struct Archive {
  std::string dir, name;
  std::string Path() const { return dir + "/" + name; }
};

// The archives whose members of the family all decode.
std::vector<Archive> GoodArchives() {
  return {{UNRAR_FIXTURES2, "Rar.rar"},
          {UNRAR_FIXTURES2, "Rar.solid.rar"},
          {UNRAR_FIXTURES2, "Rar.Audio_program.rar"},
          {UNRAR_FIXTURES, "test_read_format_rar_compress_normal.rar"},
          {UNRAR_FIXTURES, "test_read_format_rar_filter.rar"},
          {UNRAR_FIXTURES, "test_read_format_rar3_lowdist_reset.rar"},
          {UNRAR_FIXTURES, "test_read_format_rar_unicode.rar"}};
}

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> cells;
  std::stringstream ss(line);
  std::string cell;
  while (std::getline(ss, cell, '\t')) cells.push_back(cell);
  return cells;
}

// The SHA-256 of each member's original, by member name, where the lists
// beside the archives know it.
std::map<std::string, std::string> KnownDigests(const Archive& a) {
  std::map<std::string, std::string> digests;
  std::ifstream tsv(a.dir + "/expected/" + a.name + ".tsv");
  std::string line;
  if (tsv) {
    std::getline(tsv, line);
    while (std::getline(tsv, line)) {
      auto c = Split(line);
      if (c.size() >= 9 && c[1] == "file" && c[8].size() == 64) digests[c[0]] = c[8];
    }
    return digests;
  }
  std::ifstream sums(a.dir + "/expected/" + a.name + ".sha256");
  while (std::getline(sums, line)) {
    if (line.empty() || line[0] == '#') continue;
    auto c = Split(line);
    if (c.size() >= 3) digests[c[2]] = c[0];
  }
  return digests;
}

// Decodes every member of the family in order, one decoder per solid run.
void CheckArchive(const Archive& a, size_t step, bool check_digests, int* checked, int* digests_checked = nullptr) {
  SCOPED_TRACE(a.name + " in pieces of " + std::to_string(step));
  const auto members = ReadPackedMembers(ReadWhole(a.Path()));
  const auto digests = check_digests ? KnownDigests(a) : std::map<std::string, std::string>{};
  std::unique_ptr<Decoder> d;
  int in_family = 0;
  for (const auto& m : members) {
    if (!InFamily(m)) continue;
    SCOPED_TRACE(m.member.name);
    ++in_family;
    if (!d || !m.params.solid) d = MakeDecoder(m.params.version);
    ASSERT_NE(d, nullptr);
    const Decoded r = Decode(*d, m.packed, m.params, step, check_digests ? SIZE_MAX : 0);
    EXPECT_EQ(r.code, rar::kSuccess);
    EXPECT_EQ(r.total, m.member.unp_size);
    EXPECT_EQ(r.crc, m.member.crc);
    if (auto it = digests.find(m.member.name); it != digests.end()) {
      EXPECT_EQ(Sha256Hex(r.bytes), it->second);
      if (digests_checked) ++*digests_checked;
    }
    ++*checked;
  }
  EXPECT_GT(in_family, 0);
}

TEST(Rar29Fixtures, EveryMemberComesOutWithItsHeadersCrcAndDigest) {
  int checked = 0, digests = 0;
  for (const auto& a : GoodArchives()) CheckArchive(a, 1 << 16, true, &checked, &digests);
  EXPECT_EQ(checked, 13);
  // All but the audio member and the crafted one have a recorded original.
  EXPECT_EQ(digests, 11);
}

TEST(Rar29Fixtures, InputInOddPiecesGivesTheSameBytes) {
  for (size_t step : {size_t{1}, size_t{3}, size_t{7}, size_t{509}, size_t{4093}}) {
    int checked = 0;
    for (const auto& a : GoodArchives()) CheckArchive(a, step, false, &checked);
    EXPECT_EQ(checked, 13);
  }
}

// The member that switches between context-model and LZ blocks is checked
// whole by PpmdH.ArchiversWholeMemberThroughTheDecoderOfItsVersion.

// Members of the family that were made to break readers: each ends with an
// error or (for encrypted data, which is not ours to decode) a wrong CRC,
// never a crash.
TEST(Rar29Fixtures, DamagedMembersEndWithAnError) {
  const std::map<std::string, int> expected = {{"test_read_format_rar_unbound_staticdata.rar", rar::kBadData}};
  int tried = 0;
  for (const char* dir : {UNRAR_FIXTURES, UNRAR_FIXTURES2}) {
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      if (!entry.is_regular_file()) continue;
      const std::string name = entry.path().filename().string();
      bool good = false;
      for (const auto& g : GoodArchives()) good |= g.name == name;
      if (good || name.find("ppmd_lzss_conversion") != std::string::npos) continue;
      SCOPED_TRACE(name);
      for (auto m : ReadPackedMembers(ReadWhole(entry.path().string()))) {
        if (m.member.stored) continue;
        // The damaged members of the oldest version go through this decoder too.
        const bool family = m.params.version == 29 || m.params.version == 36;
        if (!family && m.params.version != 13) continue;
        if (!family) m.params.version = 29;
        if (m.params.dictionary == 0 || m.params.dictionary > rar::unpack::kMaxDictionary)
          m.params.dictionary = 1 << 22;
        SCOPED_TRACE(m.member.name);
        auto d = MakeDecoder(29);
        const Decoded r = Decode(*d, m.packed, m.params, 1 << 16, 0);
        EXPECT_FALSE(r.code == rar::kSuccess && r.crc == m.member.crc);
        EXPECT_LE(r.total, m.params.unp_size);
        if (auto it = expected.find(name); it != expected.end()) {
          EXPECT_EQ(r.code, it->second);
        }
        ++tried;
      }
    }
  }
  EXPECT_GE(tried, 5);
}

// Members small enough to be damaged many times over.
std::vector<PackedMember> SmallMembers() {
  std::vector<PackedMember> out;
  for (const auto& a : GoodArchives()) {
    if (a.name == "Rar.Audio_program.rar" || a.name == "Rar.solid.rar") continue;
    for (auto& m : ReadPackedMembers(ReadWhole(a.Path())))
      if (InFamily(m) && m.packed.size() >= 8) out.push_back(std::move(m));
  }
  return out;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// A flipped byte gives bad data, or output the CRC tells from the original,
// or (in padding and unused table entries) no change at all; never a crash,
// a hang or more output than the member's size.
TEST(Rar29Damage, FlippedBytesGiveBadDataOrAWrongCrc) {
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
  int bad_data = 0, wrong_crc = 0, unchanged = 0, runs = 0;
  for (const auto& m : SmallMembers()) {
    SCOPED_TRACE(m.member.name);
    for (int i = 0; i < 48; ++i) {
      std::string packed = m.packed;
      // Spread over the member, the first bytes (tables) included.
      const size_t at = i < 8 ? static_cast<size_t>(i) : (next() >> 8) % packed.size();
      packed[at] = static_cast<char>(packed[at] ^ (1u << (next() % 8)) ^ (i % 3 == 0 ? 0xA5 : 0));
      auto d = MakeDecoder(m.params.version);
      const auto start = std::chrono::steady_clock::now();
      const Decoded r = Decode(*d, packed, m.params, 1 << 16, 0);
      EXPECT_LT(Seconds(start), 1.0);
      EXPECT_LE(r.total, m.member.unp_size);
      if (r.code == rar::kBadData) {
        ++bad_data;
      } else if (r.code != rar::kSuccess) {
        ADD_FAILURE() << "byte " << at << ": code " << r.code;
      } else if (r.crc != m.member.crc) {
        ++wrong_crc;
      } else {
        ++unchanged;
      }
      ++runs;
    }
  }
  std::printf("%d runs: %d bad data, %d wrong CRC, %d unchanged\n", runs, bad_data, wrong_crc, unchanged);
  EXPECT_GT(runs, 400);
  // Most damage is caught by the decoder itself, not only by the CRC.
  EXPECT_GT(bad_data, runs / 3);
  EXPECT_LT(unchanged, runs / 10);
}

TEST(Rar29Damage, DataCutShortIsBadData) {
  for (const auto& m : SmallMembers()) {
    SCOPED_TRACE(m.member.name);
    const size_t n = m.packed.size();
    for (size_t keep : {size_t{0}, size_t{1}, n / 4, n / 2, n - 2, n - 1}) {
      auto d = MakeDecoder(m.params.version);
      const Decoded r = Decode(*d, m.packed.substr(0, keep), m.params, 7, 0);
      EXPECT_EQ(r.code, rar::kBadData) << "cut to " << keep << " of " << n;
      EXPECT_LE(r.total, m.member.unp_size);
    }
  }
}

TEST(Rar29Damage, WrongSizeInTheHeaderIsBadData) {
  for (const auto& m : SmallMembers()) {
    SCOPED_TRACE(m.member.name);
    MemberParams shorter = m.params, longer = m.params;
    shorter.unp_size -= 1;
    longer.unp_size += 1;
    auto d = MakeDecoder(m.params.version);
    Decoded r = Decode(*d, m.packed, shorter, 1 << 16, 0);
    EXPECT_EQ(r.code, rar::kBadData);
    EXPECT_LE(r.total, shorter.unp_size);
    r = Decode(*d, m.packed, longer, 1 << 16, 0);
    EXPECT_EQ(r.code, rar::kBadData);
    // The decoder that failed decodes the next (not solid) member right.
    r = Decode(*d, m.packed, m.params, 1 << 16, 0);
    EXPECT_EQ(r.code, rar::kSuccess);
    EXPECT_EQ(r.crc, m.member.crc);
  }
}

TEST(Rar29Decoder, WithoutASizeTheEndCodeEndsTheMember) {
  for (const auto& m : SmallMembers()) {
    SCOPED_TRACE(m.member.name);
    MemberParams p = m.params;
    p.unp_size_known = false;
    p.unp_size = 0;
    auto d = MakeDecoder(p.version);
    const Decoded r = Decode(*d, m.packed, p, 1 << 16, 0);
    EXPECT_EQ(r.code, rar::kSuccess);
    EXPECT_EQ(r.total, m.member.unp_size);
    EXPECT_EQ(r.crc, m.member.crc);
  }
}

TEST(Rar29Decoder, DictionaryBeyondTheLimitIsNoMemoryBeforeAnyOutput) {
  const auto m = SmallMembers().front();
  MemberParams p = m.params;
  p.dictionary = rar::unpack::kMaxDictionary * 2;
  auto d = MakeDecoder(p.version);
  const Decoded r = Decode(*d, m.packed, p);
  EXPECT_EQ(r.code, rar::kNoMemory);
  EXPECT_EQ(r.total, 0u);
}

// Refuses the n-th write.
class FailingOutput : public rar::unpack::UnpackedOutput {
 public:
  explicit FailingOutput(int fail_at) : fail_at_(fail_at) {}
  bool Write(const unsigned char*, size_t) override { return ++writes < fail_at_; }
  int Failure() const override { return rar::kWriteError; }
  int writes = 0;

 private:
  int fail_at_;
};

TEST(Rar29Decoder, OutputThatFailsStopsTheDecoderWithItsCode) {
  // The audio member is written in many pieces.
  const auto members = ReadPackedMembers(ReadWhole(std::string(UNRAR_FIXTURES2) + "/Rar.Audio_program.rar"));
  ASSERT_EQ(members.size(), 1u);
  for (int fail_at : {1, 2, 5}) {
    auto d = MakeDecoder(29);
    StringInput in(members[0].packed);
    FailingOutput out(fail_at);
    EXPECT_EQ(d->Decode(in, out, members[0].params), rar::kWriteError);
    EXPECT_EQ(out.writes, fail_at);
  }
}

TEST(Rar29Decoder, SolidMemberGoesOnOnlyFromAGoodPredecessor) {
  const auto members = ReadPackedMembers(ReadWhole(std::string(UNRAR_FIXTURES2) + "/Rar.solid.rar"));
  std::vector<PackedMember> files;
  for (const auto& m : members)
    if (InFamily(m)) files.push_back(m);
  ASSERT_EQ(files.size(), 3u);
  ASSERT_TRUE(files[1].params.solid);

  // Alone, the second member lacks the data it refers back to.
  auto alone = MakeDecoder(29);
  Decoded r = Decode(*alone, files[1].packed, files[1].params);
  EXPECT_FALSE(r.code == rar::kSuccess && r.crc == files[1].member.crc);

  // After a member that failed, a solid member is refused.
  auto d = MakeDecoder(29);
  r = Decode(*d, files[0].packed.substr(0, files[0].packed.size() / 2), files[0].params);
  EXPECT_EQ(r.code, rar::kBadData);
  r = Decode(*d, files[1].packed, files[1].params);
  EXPECT_EQ(r.code, rar::kBadData);
  EXPECT_EQ(r.total, 0u);

  // The whole set again with the same decoder, from its first member.
  for (const auto& f : files) {
    r = Decode(*d, f.packed, f.params);
    EXPECT_EQ(r.code, rar::kSuccess);
    EXPECT_EQ(r.crc, f.member.crc);
  }
}

}  // namespace
