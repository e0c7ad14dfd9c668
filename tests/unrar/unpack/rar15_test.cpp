// The decoder of unpack version 15 against the real members of that version.
#include <gtest/gtest.h>

#include "tests/unrar/unpack/old_unpack_util.h"

namespace {

std::vector<oldtest::Fixture> Members() { return oldtest::MembersOfVersions({15}); }

TEST(Rar15Unpack, FixtureMembersMatchTheirHeadersAndOriginals) { oldtest::ExpectFixturesExact(Members()); }

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
