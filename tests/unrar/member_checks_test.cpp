// What the archive code checks around the decoders, with stored data and
// packed data carried over from real archives: the BLAKE2sp hash, each
// part's checksum of its packed bytes, the dictionary limit, and which
// members are refused before anything is written.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/common/temp_dir.h"
#include "tests/unrar/member_run.h"
#include "tests/unrar/tree.h"
#include "unrar/crc32.h"
#include "unrar/rar_blocks.h"
#include "unrar/rar_codes.h"

namespace {

namespace fs = std::filesystem;
using membertest::Extract;
using membertest::File;

// Where each file header of a volume lies: [offset, data_offset).
struct HeaderSpan {
  size_t offset, data;
  rar::Member member;
};

std::vector<HeaderSpan> FileHeaders(const std::string& bytes) {
  std::vector<HeaderSpan> out;
  rar::MemorySource src(bytes);
  rar::Signature sig = rar::FindSignature(src);
  uint64_t at = sig.first_block;
  rar::Block b;
  while (rar::ReadBlock(src, sig.format, at, b) == 0 && b.type != rar::BlockType::kEnd) {
    if (b.type == rar::BlockType::kFile) out.push_back({static_cast<size_t>(at), static_cast<size_t>(b.data_offset), b.member});
    at = b.next;
  }
  return out;
}

// Changes bytes inside a header and seals it again, so that only what those
// bytes mean is wrong.
void PatchHeader(std::string& bytes, const HeaderSpan& h, size_t at, const std::string& with, bool rar5) {
  bytes.replace(at, with.size(), with);
  if (rar5) {
    const uint32_t crc = rar::Crc32(0, bytes.data() + h.offset + 4, h.data - h.offset - 4);
    for (int i = 0; i < 4; ++i) bytes[h.offset + i] = static_cast<char>(crc >> (8 * i));
  } else {
    const uint32_t crc = rar::Crc32(0, bytes.data() + h.offset + 2, h.data - h.offset - 2);
    bytes[h.offset] = static_cast<char>(crc);
    bytes[h.offset + 1] = static_cast<char>(crc >> 8);
  }
}

std::string Le32(uint32_t v) {
  std::string s;
  for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
  return s;
}

class MemberChecks : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directory(Out()); }
  std::string Save(const std::vector<rarwriter::Entry>& entries, const rarwriter::Options& o) {
    return SaveVolumes(rarwriter::Write("pkg.rar", entries, o), dir_.Path());
  }
  std::string Out() const { return dir_.File("out"); }
  void Clean() {
    fs::remove_all(Out());
    fs::create_directory(Out());
  }
  TempDir dir_;
};

TEST_F(MemberChecks, Blake2HashOfWholeAndSplitMembers) {
  rarwriter::Options o;
  o.format = 5;
  o.blake2 = true;
  std::string big(70000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 31 + i / 7);
  for (uint64_t volume_size : {uint64_t{0}, uint64_t{25000}}) {
    SCOPED_TRACE(volume_size);
    o.volume_size = volume_size;
    std::string first = Save({File("big.bin", big), File("small.txt", "small")}, o);
    auto r = Extract(first, Out());
    ASSERT_EQ(r.members.size(), 2u);
    EXPECT_EQ(r.members[0].second, 0);
    EXPECT_EQ(r.members[1].second, 0);
    EXPECT_EQ(ReadAll(Out() + "/big.bin"), big);
    Clean();
  }

  // The last part's hash speaks of the unpacked data, an earlier part's of
  // its own packed bytes: a wrong one of either kind fails the member alone.
  std::vector<std::string> names;
  for (const auto& v : rarwriter::Write("pkg.rar", {File("big.bin", big), File("small.txt", "small")}, o))
    names.push_back(dir_.File(v.name));
  ASSERT_GE(names.size(), 3u);
  for (const std::string& volume : {names.front(), names.back()}) {
    SCOPED_TRACE(volume);
    std::string bytes = ReadAll(volume);
    auto headers = FileHeaders(bytes);
    ASSERT_FALSE(headers.empty());
    const auto& h = headers.front();
    ASSERT_TRUE(h.member.has_blake2);
    const std::string digest(reinterpret_cast<const char*>(h.member.blake2), 32);
    const size_t at = bytes.find(digest, h.offset);
    ASSERT_LT(at, h.data);
    std::string wrong = digest;
    wrong[5] ^= 1;
    const std::string good = bytes;
    PatchHeader(bytes, h, at, wrong, true);
    WriteAll(volume, bytes);
    auto r = Extract(names.front(), Out());
    ASSERT_EQ(r.members.size(), 2u);
    EXPECT_EQ(r.members[0].second, rar::kBadData);
    EXPECT_EQ(r.members[1].second, 0);
    EXPECT_FALSE(fs::exists(Out() + "/big.bin"));
    WriteAll(volume, good);
    Clean();
  }
}

TEST_F(MemberChecks, EachPartsChecksumCoversItsPackedBytes) {
  std::string big(60000, 'p');
  for (int format : {4, 5}) {
    SCOPED_TRACE(format);
    rarwriter::Options o;
    o.format = format;
    o.volume_size = 25000;
    std::string first = Save({File("big.bin", big), File("next.txt", "next")}, o);
    // The data is whole; only the first part's checksum is wrong.
    std::string bytes = ReadAll(first);
    auto headers = FileHeaders(bytes);
    ASSERT_EQ(headers.size(), 1u);
    const auto& h = headers[0];
    ASSERT_TRUE(h.member.split_after);
    const size_t at = bytes.find(Le32(h.member.crc), h.offset + 4);
    ASSERT_LT(at, h.data);
    PatchHeader(bytes, h, at, Le32(h.member.crc ^ 0x100), format == 5);
    WriteAll(first, bytes);
    auto r = Extract(first, Out());
    ASSERT_EQ(r.members.size(), 2u);
    EXPECT_EQ(r.members[0].second, rar::kBadData);
    EXPECT_EQ(r.members[1].second, 0);
    EXPECT_FALSE(fs::exists(Out() + "/big.bin"));
    Clean();
  }
}

TEST_F(MemberChecks, DictionaryBeyondTheLimitIsNoMemoryBeforeAnyOutput) {
  rarwriter::Options o;
  o.format = 5;
  rarwriter::Packed packed;
  packed.bytes = std::string(100, '\x55');
  packed.unp_size = 1000;
  packed.version = 50;
  packed.dictionary_bits = 15;  // 4 GiB
  rarwriter::Entry huge = File("huge.bin", "");
  huge.packed = packed;
  std::string first = Save({huge, File("after.txt", "after")}, o);
  for (int op : {rar::kExtract, rar::kTest}) {
    auto r = Extract(first, Out(), op);
    ASSERT_EQ(r.members.size(), 2u);
    EXPECT_EQ(r.members[0].second, rar::kNoMemory);
    EXPECT_EQ(r.members[1].second, 0);
    EXPECT_FALSE(fs::exists(Out() + "/huge.bin"));
  }
}

}  // namespace
