// The decoder of unpack version 15 against the real members of that version.
#include <gtest/gtest.h>

#include "tests/unrar/unpack/old_unpack_util.h"

namespace {

std::vector<oldtest::Fixture> Members() { return oldtest::MembersOfVersions({15}); }

TEST(Rar15Unpack, FixtureMembersMatchTheirHeadersAndOriginals) {
  auto members = Members();
  ASSERT_GE(members.size(), 3u);
  for (const auto& f : members) {
    // Input in odd pieces meets every buffer edge.
    for (size_t step : {size_t{1} << 16, size_t{1}, size_t{7}, size_t{4093}}) {
      auto r = oldtest::RunFresh(f.m.packed, f.m.params, step);
      EXPECT_EQ(r.code, rar::kSuccess) << f.archive << " " << f.m.member.name << " step " << step;
      EXPECT_EQ(r.total, f.m.member.unp_size) << f.m.member.name;
      EXPECT_EQ(r.crc, f.m.member.crc) << f.archive << " " << f.m.member.name << " step " << step;
      // Every member of this version has its original's digest.
      const std::string sha = oldtest::ExpectedSha256(f.archive, f.m.member.name);
      ASSERT_FALSE(sha.empty()) << f.m.member.name;
      EXPECT_EQ(Sha256Hex(r.bytes), sha) << f.m.member.name;
    }
  }
}

TEST(Rar15Unpack, OneDecoderTakesMembersInTurn) { oldtest::ExpectMembersDecodeInAnyOrder(Members()); }

TEST(Rar15Unpack, DamagedMembersAreRefusedOrMismatch) {
  for (const auto& f : Members()) oldtest::ExpectDamageIsCaught(f.m);
}

TEST(Rar15Unpack, LimitsAndOutputFailuresAreReported) {
  for (const auto& f : Members()) oldtest::ExpectLimitsAndFailuresReported(f.m);
}

TEST(Rar15Unpack, NoiseIsSafe) { oldtest::ExpectNoiseIsSafe(15, 0, 300); }

TEST(Rar15Unpack, EmptyMemberNeedsNoData) {
  rar::unpack::MemberParams p;
  p.version = 15;
  p.dictionary = 1 << 16;
  p.unp_size = 0;
  auto r = oldtest::RunFresh("", p);
  EXPECT_EQ(r.code, rar::kSuccess);
  EXPECT_EQ(r.total, 0u);
}

}  // namespace

namespace {

TEST(Rar15Unpack, MembersWithoutSizeEndWithTheirData) {
  for (const auto& f : Members()) oldtest::ExpectUnknownSizeEndsWithTheData(f.m);
}

}  // namespace
