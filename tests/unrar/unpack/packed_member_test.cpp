#include "tests/unrar/unpack/packed_member.h"

#include <gtest/gtest.h>

namespace {

TEST(PackedMembers, HeadersGiveEachDecoderItsVersionAndDictionary) {
  auto five = unpacktest::ReadPackedMembers(unpacktest::ReadWhole(std::string(UNRAR_FIXTURES2) + "/Rar5.rar"));
  ASSERT_EQ(five.size(), 3u);
  for (const auto& m : five) {
    EXPECT_EQ(m.params.version, 50u);
    EXPECT_GE(m.params.dictionary, 128u * 1024);
    EXPECT_EQ(m.packed.size(), m.member.pack_size);
  }
  auto old = unpacktest::ReadPackedMembers(unpacktest::ReadWhole(std::string(UNRAR_FIXTURES2) + "/Rar15.rar"));
  ASSERT_EQ(old.size(), 3u);
  EXPECT_EQ(old[0].params.version, 15u);
  EXPECT_EQ(old[0].params.dictionary % (64 * 1024), 0u);
}

TEST(PackedMembers, StoredDataIsCutExactly) {
  auto stored =
      unpacktest::ReadPackedMembers(unpacktest::ReadWhole(std::string(UNRAR_FIXTURES) + "/test_read_format_rar5_stored.rar"));
  ASSERT_FALSE(stored.empty());
  for (const auto& m : stored) {
    ASSERT_TRUE(m.member.stored);
    EXPECT_EQ(rar::Crc32(0, m.packed.data(), m.packed.size()), m.member.crc) << m.member.name;
  }
}

}  // namespace
