// Shared by the tests of the decoders of unpack versions 15, 20 and 26: the
// fixture members of those versions and a driver that decodes one member.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/unrar/unpack/packed_member.h"
#include "unrar/rar_codes.h"
#include "unrar/unpack/decoder.h"

namespace oldtest {

struct Fixture {
  std::string archive;
  unpacktest::PackedMember m;
};

// Every compressed, unencrypted, unsplit member of the given versions in
// both fixture folders.
inline std::vector<Fixture> MembersOfVersions(std::vector<unsigned> versions) {
  std::vector<Fixture> found;
  std::vector<std::filesystem::path> files;
  for (const char* dir : {UNRAR_FIXTURES, UNRAR_FIXTURES2})
    for (const auto& e : std::filesystem::directory_iterator(dir))
      if (e.is_regular_file()) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  for (const auto& f : files) {
    for (auto& m : unpacktest::ReadPackedMembers(unpacktest::ReadWhole(f.string()))) {
      bool wanted = false;
      for (unsigned v : versions) wanted |= m.params.version == v;
      if (!wanted || m.member.stored || m.member.encrypted || m.member.split_before || m.member.split_after) continue;
      found.push_back({f.filename().string(), std::move(m)});
    }
  }
  return found;
}

struct Result {
  int code = -1;
  uint32_t crc = 0;
  uint64_t total = 0;
  std::string bytes;
  double seconds = 0;
};

inline Result Run(rar::unpack::Decoder& d, const std::string& packed, const rar::unpack::MemberParams& p,
                  size_t step = 1 << 16, size_t keep = SIZE_MAX) {
  unpacktest::StringInput in(packed, step);
  unpacktest::CollectingOutput out(keep);
  const auto t0 = std::chrono::steady_clock::now();
  Result r;
  r.code = d.Decode(in, out, p);
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  r.crc = out.crc;
  r.total = out.total;
  r.bytes = std::move(out.bytes);
  return r;
}

inline Result RunFresh(const std::string& packed, const rar::unpack::MemberParams& p, size_t step = 1 << 16,
                       size_t keep = SIZE_MAX) {
  auto d = rar::unpack::MakeDecoder(p.version);
  return Run(*d, packed, p, step, keep);
}

}  // namespace oldtest

#include <fstream>
#include <sstream>

#include "tests/unrar/sha256.h"

namespace oldtest {

// The SHA-256 of the original file that fixtures2/expected/<archive>.tsv
// gives for a member; empty when there is none.
inline std::string ExpectedSha256(const std::string& archive, const std::string& member) {
  std::ifstream f(std::string(UNRAR_FIXTURES2) + "/expected/" + archive + ".tsv");
  std::string line;
  while (std::getline(f, line)) {
    std::vector<std::string> cols;
    std::stringstream ss(line);
    std::string c;
    while (std::getline(ss, c, '\t')) cols.push_back(c);
    if (cols.size() > 8 && cols[0] == member) return cols[8];
  }
  return {};
}

// Each member in pieces of several sizes (odd ones meet every buffer edge)
// gives its header's size and CRC and its original's SHA-256, which every
// member of these versions among the fixtures has.
inline void ExpectFixturesExact(const std::vector<Fixture>& members) {
  ASSERT_GE(members.size(), 3u);
  for (const auto& f : members) {
    const std::string sha = ExpectedSha256(f.archive, f.m.member.name);
    ASSERT_FALSE(sha.empty()) << f.m.member.name;
    for (size_t step : {size_t{1} << 16, size_t{1}, size_t{7}, size_t{4093}}) {
      auto r = RunFresh(f.m.packed, f.m.params, step);
      EXPECT_EQ(r.code, rar::kSuccess) << f.archive << " " << f.m.member.name << " step " << step;
      EXPECT_EQ(r.total, f.m.member.unp_size) << f.m.member.name;
      EXPECT_EQ(r.crc, f.m.member.crc) << f.archive << " " << f.m.member.name << " step " << step;
      EXPECT_EQ(Sha256Hex(r.bytes), sha) << f.m.member.name;
    }
  }
}

// An output that takes `allow` bytes and refuses the rest.
class RefusingOutput : public rar::unpack::UnpackedOutput {
 public:
  explicit RefusingOutput(uint64_t allow) : allow_(allow) {}
  bool Write(const unsigned char*, size_t size) override {
    if (size > allow_) return false;
    allow_ -= size;
    return true;
  }
  int Failure() const override { return rar::kWriteError; }

 private:
  uint64_t allow_;
};

class Lcg {
 public:
  explicit Lcg(uint32_t seed) : s_(seed) {}
  uint32_t Next() {
    s_ = s_ * 1664525u + 1013904223u;
    return s_ >> 8;
  }

 private:
  uint32_t s_;
};

// Damaged copies of a good member: bytes flipped in the middle, the data
// cut short, sizes that disagree with the data. None may crash or run long;
// each must be refused or give other bytes than the header's CRC.
inline void ExpectDamageIsCaught(const unpacktest::PackedMember& m) {
  using rar::unpack::MemberParams;
  const std::string& good = m.packed;
  const double budget = 1.0 + static_cast<double>(m.member.unp_size) / 1e6;
  Lcg rng(static_cast<uint32_t>(good.size()));
  int flips = 0, caught = 0;
  for (int round = 0; round < 40; ++round) {
    std::string bad = good;
    const size_t at = good.size() / 8 + rng.Next() % (good.size() - good.size() / 8);
    bad[at] = static_cast<char>(bad[at] ^ (1 + rng.Next() % 255));
    if (round % 3 == 0 && at + 1 < bad.size()) bad[at + 1] = static_cast<char>(rng.Next());
    auto r = RunFresh(bad, m.params, 1 + rng.Next() % 5000);
    ASSERT_TRUE(r.code == rar::kSuccess || r.code == rar::kBadData) << r.code;
    EXPECT_LE(r.total, m.member.unp_size);
    EXPECT_LT(r.seconds, budget);
    ++flips;
    if (r.code == rar::kBadData || r.crc != m.member.crc) ++caught;
  }
  // A flip may land on bits that no code reads; nearly all must show.
  EXPECT_GE(caught, flips - 2) << m.member.name;

  for (size_t cut : {size_t{0}, size_t{1}, good.size() / 4, good.size() / 2, good.size() - 16}) {
    auto r = RunFresh(good.substr(0, cut), m.params, 997);
    EXPECT_EQ(r.code, rar::kBadData) << m.member.name << " cut to " << cut;
    EXPECT_LE(r.total, m.member.unp_size);
  }

  // The data ends before the header's size is reached.
  MemberParams longer = m.params;
  longer.unp_size += 100000;
  EXPECT_EQ(RunFresh(good, longer).code, rar::kBadData) << m.member.name;

  // A smaller size stops there: the bytes made are the start of the real
  // ones, or the member is refused when a match runs past the size.
  auto whole = RunFresh(good, m.params);
  ASSERT_EQ(whole.code, rar::kSuccess);
  for (uint64_t less : {uint64_t{1}, uint64_t{777}, m.member.unp_size / 2}) {
    MemberParams shorter = m.params;
    shorter.unp_size -= less;
    auto r = RunFresh(good, shorter);
    ASSERT_TRUE(r.code == rar::kSuccess || r.code == rar::kBadData);
    EXPECT_LE(r.total, shorter.unp_size);
    if (r.code == rar::kSuccess) {
      EXPECT_EQ(r.total, shorter.unp_size);
      EXPECT_EQ(r.bytes, whole.bytes.substr(0, r.bytes.size()));
    }
  }
}

// Refusals that do not depend on the data.
inline void ExpectLimitsAndFailuresReported(const unpacktest::PackedMember& m) {
  using rar::unpack::MemberParams;
  MemberParams huge = m.params;
  huge.dictionary = rar::unpack::kMaxDictionary * 2;
  auto r = RunFresh(m.packed, huge);
  EXPECT_EQ(r.code, rar::kNoMemory);
  EXPECT_EQ(r.total, 0u);

  // The output refuses at once, or after some pieces.
  for (uint64_t allow : {uint64_t{0}, m.member.unp_size / 2}) {
    auto d = rar::unpack::MakeDecoder(m.params.version);
    unpacktest::StringInput in(m.packed);
    RefusingOutput out(allow);
    EXPECT_EQ(d->Decode(in, out, m.params), rar::kWriteError);
  }

  // After a failure the next member may not build on the state it left.
  auto d = rar::unpack::MakeDecoder(m.params.version);
  EXPECT_EQ(Run(*d, m.packed.substr(0, m.packed.size() / 2), m.params).code, rar::kBadData);
  MemberParams solid = m.params;
  solid.solid = true;
  EXPECT_EQ(Run(*d, m.packed, solid).code, rar::kBadData);
  // A member that does not build on it decodes again.
  auto again = Run(*d, m.packed, m.params);
  EXPECT_EQ(again.code, rar::kSuccess);
  EXPECT_EQ(again.crc, m.member.crc);
}

// Members of a family decoded one after another by one decoder, each on its
// own: nothing of one may leak into the next.
inline void ExpectMembersDecodeInAnyOrder(const std::vector<Fixture>& members) {
  ASSERT_FALSE(members.empty());
  auto d = rar::unpack::MakeDecoder(members[0].m.params.version);
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t k = 0; k < members.size(); ++k) {
      const auto& f = members[pass == 0 ? k : members.size() - 1 - k];
      auto r = Run(*d, f.m.packed, f.m.params, 333);
      EXPECT_EQ(r.code, rar::kSuccess) << f.m.member.name;
      EXPECT_EQ(r.crc, f.m.member.crc) << f.m.member.name;
    }
  }
}

// Arbitrary bytes as packed data: refused or decoded, quickly, never more
// than the size asked for.
inline void ExpectNoiseIsSafe(unsigned version, uint8_t first_byte_or, int rounds) {
  Lcg rng(version * 7919u + first_byte_or);
  for (int round = 0; round < rounds; ++round) {
    std::string noise(1 + rng.Next() % 3000, '\0');
    for (auto& c : noise) c = static_cast<char>(rng.Next());
    noise[0] = static_cast<char>(noise[0] | first_byte_or);
    rar::unpack::MemberParams p;
    p.version = version;
    p.dictionary = uint64_t{1} << (16 + rng.Next() % 7);
    p.unp_size = rng.Next() % 200000;
    auto r = RunFresh(noise, p, 1 + rng.Next() % 100, 0);
    ASSERT_TRUE(r.code == rar::kSuccess || r.code == rar::kBadData) << r.code;
    EXPECT_LE(r.total, p.unp_size);
    EXPECT_LT(r.seconds, 1.0);
  }
}

}  // namespace oldtest

namespace oldtest {

// Without a size, a member decodes to the end of its data: the real bytes,
// and at most what the unused bits of the last byte happen to spell.
inline void ExpectUnknownSizeEndsWithTheData(const unpacktest::PackedMember& m) {
  auto whole = RunFresh(m.packed, m.params);
  ASSERT_EQ(whole.code, rar::kSuccess);
  rar::unpack::MemberParams p = m.params;
  p.unp_size_known = false;
  for (size_t step : {size_t{1} << 16, size_t{3}}) {
    auto r = RunFresh(m.packed, p, step);
    EXPECT_EQ(r.code, rar::kSuccess) << m.member.name;
    ASSERT_GE(r.bytes.size(), whole.bytes.size()) << m.member.name;
    EXPECT_LE(r.bytes.size(), whole.bytes.size() + 10) << m.member.name;
    EXPECT_EQ(r.bytes.substr(0, whole.bytes.size()), whole.bytes) << m.member.name;
  }
  // Cut short, it is still refused when a symbol lacks its bits, or ends
  // early with the start of the real bytes.
  auto cut = RunFresh(m.packed.substr(0, m.packed.size() / 2), p, 5);
  if (cut.code == rar::kSuccess) EXPECT_EQ(cut.bytes, whole.bytes.substr(0, cut.bytes.size()));
  else EXPECT_EQ(cut.code, rar::kBadData);
}

}  // namespace oldtest
