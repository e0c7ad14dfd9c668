#include <gtest/gtest.h>

#include "tests/unrar/unpack/old_unpack_util.h"

namespace {

TEST(Rar15Unpack, FixtureMembersMatchTheirHeaders) {
  auto members = oldtest::MembersOfVersions({15});
  ASSERT_GE(members.size(), 3u);
  for (const auto& f : members) {
    for (size_t step : {size_t{1} << 16, size_t{1}, size_t{7}, size_t{4093}}) {
      auto r = oldtest::RunFresh(f.m.packed, f.m.params, step);
      EXPECT_EQ(r.code, rar::kSuccess) << f.archive << " " << f.m.member.name << " step " << step;
      EXPECT_EQ(r.total, f.m.member.unp_size) << f.m.member.name;
      EXPECT_EQ(r.crc, f.m.member.crc) << f.archive << " " << f.m.member.name << " step " << step;
    }
  }
}

}  // namespace
