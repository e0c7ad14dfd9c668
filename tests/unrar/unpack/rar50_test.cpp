// The decoder of unpack versions 50 and 70, on real archives and on streams
// written by hand for the cases real archives do not reach.
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/unrar/sha256.h"
#include "tests/unrar/unpack/packed_member.h"
#include "tests/unrar/unpack/rar50_stream.h"
#include "unrar/rar_codes.h"
#include "unrar/unpack/decoder.h"

namespace {

using rar::unpack::MemberParams;
using unpacktest::CollectingOutput;
using unpacktest::PackedMember;
using unpacktest::StringInput;

std::string Fixture(const char* name) { return std::string(UNRAR_FIXTURES) + "/" + name; }
std::string Fixture2(const char* name) { return std::string(UNRAR_FIXTURES2) + "/" + name; }

std::vector<PackedMember> Members(const std::string& path) {
  return unpacktest::ReadPackedMembers(unpacktest::ReadWhole(path));
}

// A split member's pieces from each volume, joined.
std::vector<PackedMember> JoinVolumes(const std::vector<std::string>& volumes) {
  std::vector<PackedMember> out;
  for (const auto& v : volumes) {
    for (auto& m : Members(v)) {
      if (!out.empty() && out.back().member.name == m.member.name && m.member.split_before) {
        out.back().packed += m.packed;
        out.back().member.crc = m.member.crc;  // the last piece's header has the whole file's
      } else {
        out.push_back(std::move(m));
      }
    }
  }
  return out;
}

struct Result {
  int rc;
  std::string bytes;
  uint32_t crc;
};

Result Unpack(rar::unpack::Decoder& d, const std::string& packed, const MemberParams& p, size_t step = 1 << 16) {
  StringInput in(packed, step);
  CollectingOutput out;
  const int rc = d.Decode(in, out, p);
  return {rc, out.bytes, out.crc};
}

Result Unpack(const std::string& packed, const MemberParams& p, size_t step = 1 << 16) {
  auto d = rar::unpack::MakeDecoder(p.version);
  return Unpack(*d, packed, p, step);
}

MemberParams Params(uint64_t size, uint64_t dictionary = 128 * 1024, unsigned version = 50, bool solid = false) {
  MemberParams p;
  p.version = version;
  p.unp_size = size;
  p.dictionary = dictionary;
  p.solid = solid;
  return p;
}

// Member name to SHA-256 from a tab-separated listing: the rows whose
// column `match_col` equals `match`, names in `key`, digests in `value`.
std::map<std::string, std::string> ShaColumn(const std::string& tsv, size_t key, size_t value, size_t match_col,
                                             const std::string& match) {
  std::map<std::string, std::string> out;
  std::istringstream lines(unpacktest::ReadWhole(tsv));
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> cols;
    std::istringstream fields(line);
    for (std::string f; std::getline(fields, f, '\t');) cols.push_back(f);
    if (cols.size() > std::max({key, value, match_col}) && cols[match_col] == match && cols[value].size() == 64) {
      out[cols[key]] = cols[value];
    }
  }
  return out;
}

// fixtures2/expected/<archive>.tsv: name, type, ..., original's SHA-256 ninth.
std::map<std::string, std::string> ExpectedSha2(const char* archive) {
  return ShaColumn(Fixture2("expected/") + archive + ".tsv", 0, 8, 1, "file");
}
// fixtures/MEMBERS.tsv: archive, member, ..., SHA-256 twelfth.
std::map<std::string, std::string> MembersSha(const char* archive) {
  return ShaColumn(Fixture("MEMBERS.tsv"), 1, 11, 0, archive);
}

// --- Real archives -------------------------------------------------------

void ExpectMembersWhole(const std::string& archive, const std::map<std::string, std::string>& sha, size_t count) {
  ASSERT_EQ(sha.size(), count) << archive;
  const auto members = Members(archive);
  ASSERT_EQ(members.size(), count) << archive;
  for (const auto& m : members) {
    ASSERT_FALSE(m.member.stored) << m.member.name;
    const Result r = Unpack(m.packed, m.params);
    ASSERT_EQ(r.rc, rar::kSuccess) << m.member.name;
    EXPECT_EQ(r.bytes.size(), m.params.unp_size) << m.member.name;
    EXPECT_EQ(r.crc, m.member.crc) << m.member.name;
    ASSERT_EQ(sha.count(m.member.name), 1u) << m.member.name;
    EXPECT_EQ(Sha256Hex(r.bytes), sha.at(m.member.name)) << m.member.name;
  }
}

TEST(Rar50Fixtures, MembersComeOutWithTheirHeadersCrcAndOriginalsSha) {
  ExpectMembersWhole(Fixture2("Rar5.rar"), ExpectedSha2("Rar5.rar"), 3);
  const char* compressed = "test_read_format_rar5_compressed.rar";
  ExpectMembersWhole(Fixture(compressed), MembersSha(compressed), 1);
}

// 64 MiB from 3 KB: 2048 bytes of 0xFF over a 28-byte text line repeated
// (fixtures2/README.md). Besides the CRC, that shape is checked byte for
// byte; hashing the bytes in a sanitizer build would take long.
TEST(Rar50Fixtures, LargeMemberComesOutWhole) {
  const auto members = Members(Fixture2("Large.rar"));
  ASSERT_EQ(members.size(), 1u);
  const auto& m = members[0];
  const Result r = Unpack(m.packed, m.params);
  ASSERT_EQ(r.rc, rar::kSuccess);
  EXPECT_EQ(r.crc, m.member.crc);
  ASSERT_EQ(r.bytes.size(), size_t{64} << 20);
  EXPECT_EQ(r.bytes.find_first_not_of('\xFF'), 2048u);
  const std::string line = r.bytes.substr(28 * 74, 28);  // where the text line starts anew
  EXPECT_EQ(line.back(), '\n');
  size_t mismatches = 0;
  for (size_t i = 2048; i < r.bytes.size(); ++i) mismatches += r.bytes[i] != line[i % 28];
  EXPECT_EQ(mismatches, 0u);
}

TEST(Rar50Fixtures, SolidMembersGoOnFromThePreviousOne) {
  const auto members = Members(Fixture("test_read_format_rar5_solid.rar"));
  const auto sha = MembersSha("test_read_format_rar5_solid.rar");
  ASSERT_EQ(members.size(), 7u);
  ASSERT_EQ(sha.size(), 7u);
  auto d = rar::unpack::MakeDecoder(50);
  for (const auto& m : members) {
    const Result r = Unpack(*d, m.packed, m.params, 5);
    ASSERT_EQ(r.rc, rar::kSuccess) << m.member.name;
    EXPECT_EQ(r.crc, m.member.crc) << m.member.name;
    EXPECT_EQ(Sha256Hex(r.bytes), sha.at(m.member.name)) << m.member.name;
  }
  // An empty member without packed data, solid or not, is no break.
  auto again = rar::unpack::MakeDecoder(50);
  EXPECT_EQ(Unpack(*again, members[0].packed, members[0].params).rc, rar::kSuccess);
  MemberParams empty = members[1].params;
  empty.unp_size = 0;
  EXPECT_EQ(Unpack(*again, "", empty).rc, rar::kSuccess);
  EXPECT_EQ(Unpack(*again, members[1].packed, members[1].params).crc, members[1].member.crc);
  empty.solid = false;
  EXPECT_EQ(Unpack(*again, "", empty).rc, rar::kSuccess);
  empty.unp_size = 1;
  EXPECT_EQ(Unpack(*again, "", empty).rc, rar::kBadData);
  // Without what came before, a solid member cannot be decoded.
  auto fresh = rar::unpack::MakeDecoder(50);
  EXPECT_EQ(Unpack(*fresh, members[1].packed, members[1].params).rc, rar::kBadData);
  // Nor after the member before it failed.
  std::string cut = members[0].packed.substr(0, members[0].packed.size() / 2);
  EXPECT_EQ(Unpack(*fresh, cut, members[0].params).rc, rar::kBadData);
  EXPECT_EQ(Unpack(*fresh, members[1].packed, members[1].params).rc, rar::kBadData);
}

TEST(Rar50Fixtures, MembersSplitAcrossVolumesDecodeFromTheirJoinedPieces) {
  std::vector<std::string> volumes;
  for (int i = 1; i <= 8; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "test_read_format_rar5_multiarchive.part%02d.rar", i);
    volumes.push_back(Fixture(name));
  }
  const auto members = JoinVolumes(volumes);
  const auto sha = MembersSha("test_read_format_rar5_multiarchive.part01.rar");
  ASSERT_EQ(members.size(), 2u);
  for (const auto& m : members) {
    const Result r = Unpack(m.packed, m.params, 4093);
    ASSERT_EQ(r.rc, rar::kSuccess) << m.member.name;
    EXPECT_EQ(r.crc, m.member.crc) << m.member.name;
    EXPECT_EQ(Sha256Hex(r.bytes), sha.at(m.member.name)) << m.member.name;
  }
}

TEST(Rar50Fixtures, InputInAwkwardPiecesGivesTheSameBytes) {
  auto members = Members(Fixture2("Rar5.rar"));
  const auto compressed = Members(Fixture("test_read_format_rar5_compressed.rar"));
  members.insert(members.end(), compressed.begin(), compressed.end());
  for (const auto& m : members) {
    for (size_t step : {1, 2, 3, 7, 31, 33, 4093}) {
      const Result r = Unpack(m.packed, m.params, step);
      ASSERT_EQ(r.rc, rar::kSuccess) << m.member.name << " step " << step;
      EXPECT_EQ(r.crc, m.member.crc) << m.member.name << " step " << step;
    }
  }
}

// --- Damaged input ------------------------------------------------------

TEST(Rar50Damage, EveryCutShortMemberIsBadData) {
  const auto m = Members(Fixture("test_read_format_rar5_compressed.rar")).at(0);
  for (size_t len = 0; len < m.packed.size(); ++len) {
    EXPECT_EQ(Unpack(m.packed.substr(0, len), m.params, 7).rc, rar::kBadData) << "cut at " << len;
  }
  const auto exe = Members(Fixture2("Rar5.rar")).at(0);
  for (size_t len = 0; len < exe.packed.size(); len += 97) {
    EXPECT_EQ(Unpack(exe.packed.substr(0, len), exe.params).rc, rar::kBadData) << "cut at " << len;
  }
}

TEST(Rar50Damage, ChangedBytesGiveBadDataOrOtherBytes) {
  const auto members = Members(Fixture2("Rar5.rar"));
  const auto small = Members(Fixture("test_read_format_rar5_compressed.rar")).at(0);
  struct Target {
    const PackedMember* m;
    size_t stride;
  } targets[] = {{&small, 1}, {&members[0], 211}, {&members[1], 499}, {&members[2], 29}};
  int bad = 0, mismatched = 0;
  for (const auto& t : targets) {
    for (size_t at = 0; at < t.m->packed.size(); at += t.stride) {
      for (unsigned char mask : {0x01, 0x80, 0xFF}) {
        std::string damaged = t.m->packed;
        damaged[at] = static_cast<char>(damaged[at] ^ mask);
        const Result r = Unpack(damaged, t.m->params);
        if (r.rc == rar::kSuccess) {
          // Some changes only alter literals (the member's CRC catches
          // those), some hit bits no code uses; the size still holds.
          EXPECT_EQ(r.bytes.size(), t.m->params.unp_size) << t.m->member.name << " byte " << at;
          mismatched += r.crc != t.m->member.crc;
        } else {
          EXPECT_EQ(r.rc, rar::kBadData);
          ++bad;
        }
      }
    }
  }
  EXPECT_GT(bad, 0);
  EXPECT_GT(mismatched, 0);
}

TEST(Rar50Damage, CraftedAndFuzzedArchivesEndWithAnError) {
  const auto bad_tables = Members(Fixture("test_read_format_rar5_bad_tables.rar"));
  ASSERT_EQ(bad_tables.size(), 1u);
  EXPECT_EQ(Unpack(bad_tables[0].packed, bad_tables[0].params).rc, rar::kBadData);
  // The others have no file header the library reads; their bytes from
  // every offset are still no stream that gives the size asked for.
  for (const char* name : {"test_read_format_rar5_truncated_huff.rar", "test_read_format_rar5_distance_overflow.rar",
                           "test_read_format_rar5_leftshift2.rar", "test_read_format_rar5_nonempty_dir_stream.rar",
                           "test_read_format_rar5_different_solid_window_size.rar",
                           "test_read_format_rar5_different_winsize_on_merge.rar",
                           "test_read_format_rar5_block_size_is_too_small.rar",
                           "test_read_format_rar5_data_ready_pointer_leak.rar"}) {
    const std::string bytes = unpacktest::ReadWhole(Fixture(name));
    ASSERT_FALSE(bytes.empty()) << name;
    for (unsigned version : {50u, 70u}) {
      auto known = rar::unpack::MakeDecoder(version);
      auto unknown = rar::unpack::MakeDecoder(version);
      for (size_t at = 0; at < bytes.size(); ++at) {
        MemberParams p = Params(1 << 20, 1 << 20, version);
        EXPECT_NE(Unpack(*known, bytes.substr(at), p).rc, rar::kSuccess) << name << " from " << at;
        p.unp_size_known = false;
        Unpack(*unknown, bytes.substr(at), p);  // any result but a crash
      }
    }
  }
}

// --- Limits --------------------------------------------------------------

class RefusingOutput : public rar::unpack::UnpackedOutput {
 public:
  bool Write(const unsigned char*, size_t) override {
    ++calls;
    return false;
  }
  int Failure() const override { return rar::kWriteError; }
  int calls = 0;
};

TEST(Rar50Limits, DictionaryAboveTheLimitIsNoMemoryBeforeAnyOutput) {
  const auto m = Members(Fixture("test_read_format_rar5_compressed.rar")).at(0);
  MemberParams p = m.params;
  p.dictionary = rar::unpack::kMaxDictionary * 2;
  StringInput in(m.packed);
  CollectingOutput out;
  EXPECT_EQ(rar::unpack::MakeDecoder(50)->Decode(in, out, p), rar::kNoMemory);
  EXPECT_EQ(out.total, 0u);
  // At the limit, a member that needs little gets a window that fits it.
  p.dictionary = rar::unpack::kMaxDictionary;
  EXPECT_EQ(Unpack(m.packed, p).crc, m.member.crc);
}

TEST(Rar50Limits, OutputThatRefusesStopsTheDecoder) {
  const auto m = Members(Fixture2("Large.rar")).at(0);
  StringInput in(m.packed);
  RefusingOutput out;
  EXPECT_EQ(rar::unpack::MakeDecoder(50)->Decode(in, out, m.params), rar::kWriteError);
  EXPECT_EQ(out.calls, 1);
}

TEST(Rar50Limits, SizeFromTheHeaderIsExact) {
  rar50test::StreamWriter w;
  w.Literals("abcdefgh");
  w.Match(100, 8);
  const std::string s = w.Finish();
  EXPECT_EQ(Unpack(s, Params(108)).rc, rar::kSuccess);
  // More than the header says: stopped, not written past the size.
  const Result more = Unpack(s, Params(50));
  EXPECT_EQ(more.rc, rar::kBadData);
  EXPECT_LE(more.bytes.size(), 50u);
  // Less than the header says.
  EXPECT_EQ(Unpack(s, Params(109)).rc, rar::kBadData);
  // Unknown: up to the last block.
  MemberParams unknown = Params(0);
  unknown.unp_size_known = false;
  const Result r = Unpack(s, unknown);
  EXPECT_EQ(r.rc, rar::kSuccess);
  EXPECT_EQ(r.bytes.size(), 108u);
}

// --- Streams written by hand --------------------------------------------

// The stream's own matches replayed naively, with the recent distances
// kept the way the format keeps them.
TEST(Rar50Streams, RecentDistancesAndTheLastLengthAreReused) {
  rar50test::StreamWriter w;
  std::string want = "0123456789abcdefghijklmnopqrstuvwxyz";
  w.Literals(want);
  auto copy = [&](size_t len, size_t dist) {
    for (size_t i = 0; i < len; ++i) want.push_back(want[want.size() - dist]);
  };
  w.Match(5, 10);  // distances: 10
  copy(5, 10);
  w.Match(7, 3);  // 3 10
  copy(7, 3);
  w.Match(4, 20);  // 20 3 10
  copy(4, 20);
  w.Match(6, 33);  // 33 20 3 10
  copy(6, 33);
  w.Repeat(2, 9);  // 3 33 20 10
  copy(9, 3);
  w.Repeat(3, 12);  // 10 3 33 20
  copy(12, 10);
  w.RepeatLast();  // 12 bytes at 10 again
  copy(12, 10);
  w.Repeat(0, 300);  // a long repeat at 10
  copy(300, 10);
  w.Repeat(1, 2);  // 3 10 33 20
  copy(2, 3);
  const Result r = Unpack(w.Finish(), Params(want.size()));
  ASSERT_EQ(r.rc, rar::kSuccess);
  EXPECT_EQ(r.bytes, want);
}

// Matches that overlap their own output, at every short period.
TEST(Rar50Streams, OverlappingMatchesRepeatTheirPeriod) {
  rar50test::StreamWriter w;
  std::string want;
  for (int i = 0; i < 80; ++i) want.push_back(static_cast<char>(i * 37 + 11));
  w.Literals(want);
  for (size_t back = 1; back <= 80; ++back) {
    for (size_t len : {back / 2 + 2, back + 1, 3 * back + 5, size_t{700}}) {
      w.Match(static_cast<uint32_t>(len), back);
      for (size_t i = 0; i < len; ++i) want.push_back(want[want.size() - back]);
      w.Literal(static_cast<unsigned char>(back));
      want.push_back(static_cast<char>(back));
    }
  }
  const Result r = Unpack(w.Finish(), Params(want.size()));
  ASSERT_EQ(r.rc, rar::kSuccess);
  EXPECT_TRUE(r.bytes == want);
}

TEST(Rar50Streams, FarMatchesHaveLongerLengthsAndVersion70HasMoreDistanceCodes) {
  for (unsigned version : {50u, 70u}) {
    rar50test::StreamWriter w(version == 70 ? 80 : 64);
    std::string want;
    for (int i = 0; i < 300000; ++i) want.push_back(static_cast<char>((i * 7919u) >> 5));
    w.Literals(want);
    auto copy = [&](size_t len, size_t dist) {
      for (size_t i = 0; i < len; ++i) want.push_back(want[want.size() - dist]);
    };
    // Across each step of the length bonus, and the longest lengths.
    for (size_t dist : {0x100, 0x101, 0x2000, 0x2001, 0x40000, 0x40001, 299999}) {
      w.Match(40, dist);
      copy(40, dist);
    }
    w.Match(4100, 0x40001);
    copy(4100, 0x40001);
    w.Match(4097, 77);
    copy(4097, 77);
    const Result r = Unpack(w.Finish(), Params(want.size(), 1 << 20, version));
    ASSERT_EQ(r.rc, rar::kSuccess) << version;
    EXPECT_TRUE(r.bytes == want) << version;
  }
}

TEST(Rar50Streams, MatchesReachingBeforeTheDataAreBadData) {
  for (uint64_t dist : {9ull, 1ull << 20, 1ull << 31}) {
    rar50test::StreamWriter w;
    w.Literals("12345678");
    w.Match(4, dist);
    EXPECT_EQ(Unpack(w.Finish(), Params(12, 1 << 20)).rc, rar::kBadData) << dist;
  }
  // A recent distance before there is one.
  rar50test::StreamWriter w;
  w.Literals("12345678");
  w.Repeat(0, 4);
  EXPECT_EQ(Unpack(w.Finish(), Params(12)).rc, rar::kBadData);
}

TEST(Rar50Streams, BlocksMayReuseTablesButNeedOneFirst) {
  rar50test::StreamWriter w;
  w.Literals("first block ");
  w.EndBlock(true);
  w.Literals("second ");
  w.Match(6, 7);
  w.EndBlock(false);
  w.EndBlock(false);  // empty
  w.Literals("third");
  const Result r = Unpack(w.Finish(false), Params(30));
  ASSERT_EQ(r.rc, rar::kSuccess);
  EXPECT_EQ(r.bytes, "first block second secondthird");

  rar50test::StreamWriter none;
  none.Literals("no tables");
  EXPECT_EQ(Unpack(none.Finish(false), Params(9)).rc, rar::kBadData);
}

TEST(Rar50Streams, TablesThatPromiseTooManyCodesAreBadData) {
  rar50test::StreamWriter w;
  w.main_lengths_override.assign(306, 1);
  w.Literal('x');
  EXPECT_EQ(Unpack(w.Finish(), Params(1)).rc, rar::kBadData);
  // Bits that are no code of an incomplete table.
  rar50test::StreamWriter gap;
  gap.Symbol(400);
  EXPECT_EQ(Unpack(gap.Finish(), Params(1)).rc, rar::kBadData);
}

// Encoder-side transforms, written from what each filter promises to undo.
std::string DeltaPlanes(const std::string& data, unsigned channels) {
  std::string out;
  for (unsigned c = 0; c < channels; ++c) {
    unsigned char prev = 0;
    for (size_t i = c; i < data.size(); i += channels) {
      out.push_back(static_cast<char>(prev - static_cast<unsigned char>(data[i])));
      prev = static_cast<unsigned char>(data[i]);
    }
  }
  return out;
}

TEST(Rar50Filters, DeltaChannelsAreInterleavedBack) {
  std::string pixels;
  for (int i = 0; i < 3000; ++i) pixels.push_back(static_cast<char>(i * 3 + (i % 3) * 50));
  for (unsigned channels : {1u, 3u, 32u}) {
    rar50test::StreamWriter w;
    w.Literals("head");
    w.Filter(0, static_cast<uint32_t>(pixels.size()), 0, channels);
    w.Literals(DeltaPlanes(pixels, channels));
    w.Literals("tail");
    const Result r = Unpack(w.Finish(), Params(pixels.size() + 8), 3);
    ASSERT_EQ(r.rc, rar::kSuccess) << channels;
    EXPECT_TRUE(r.bytes == "head" + pixels + "tail") << channels;
  }
}

TEST(Rar50Filters, CallAddressesBecomeRelativeAgain) {
  // Offsets count from the member's start: the filtered range starts at 16.
  std::string stored(16, 'x');
  std::string want(16, 'x');
  auto add = [&](unsigned char op, uint32_t stored_addr, uint32_t original) {
    stored.push_back(static_cast<char>(op));
    want.push_back(static_cast<char>(op));
    for (int i = 0; i < 4; ++i) {
      stored.push_back(static_cast<char>(stored_addr >> (8 * i)));
      want.push_back(static_cast<char>(original >> (8 * i)));
    }
  };
  // Operand at member offset 17: absolute 1000 was relative 983.
  add(0xE8, 1000, 983);
  // Operand at 22: a small negative absolute was a forward target.
  add(0xE8, 0xFFFFFFF0u, 0x1000000u - 16);
  // Operand at 27: beyond the 16 MB space, left alone.
  add(0xE8, 0x2000000u, 0x2000000u);
  // Negative and more than the offset: left alone.
  add(0xE8, 0xFFFF0000u, 0xFFFF0000u);
  // e9 only with the second filter type.
  const size_t e9_at = stored.size();
  add(0xE9, 500, 500 - 37);
  // An opcode whose operand would run past the range is left alone.
  stored += "ab\xE8\x01\x02";
  want += "ab\xE8\x01\x02";
  for (unsigned type : {1u, 2u}) {
    rar50test::StreamWriter w;
    w.Literals(stored.substr(0, 16));
    w.Filter(0, static_cast<uint32_t>(stored.size() - 16), type);
    w.Literals(stored.substr(16));
    std::string expect = want;
    if (type == 1) expect.replace(e9_at, 5, stored.substr(e9_at, 5));
    const Result r = Unpack(w.Finish(), Params(stored.size()));
    ASSERT_EQ(r.rc, rar::kSuccess) << type;
    EXPECT_TRUE(r.bytes == expect) << type;
  }
}

TEST(Rar50Filters, ArmBranchTargetsBecomeRelativeAgainInSolidMembersToo) {
  std::string original;
  for (uint32_t i = 0; i < 64; ++i) {
    const uint32_t target = 0x1000 + i * 3;
    original.push_back(static_cast<char>(target));
    original.push_back(static_cast<char>(target >> 8));
    original.push_back(static_cast<char>(target >> 16));
    original.push_back(static_cast<char>(i % 2 ? 0xEB : 0xEA));  // only BL converts
  }
  auto forward = [&](uint32_t offset) {
    std::string s = original;
    for (size_t at = 0; at + 3 < s.size(); at += 4) {
      if (static_cast<unsigned char>(s[at + 3]) != 0xEB) continue;
      uint32_t t = static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8 |
                   static_cast<unsigned char>(s[at + 2]) << 16;
      t += static_cast<uint32_t>((offset + at) / 4);
      s[at] = static_cast<char>(t);
      s[at + 1] = static_cast<char>(t >> 8);
      s[at + 2] = static_cast<char>(t >> 16);
    }
    return s;
  };
  auto d = rar::unpack::MakeDecoder(50);
  rar50test::StreamWriter first;
  first.Literals("padding!");
  first.Filter(0, static_cast<uint32_t>(original.size()), 3);
  first.Literals(forward(8));
  Result r = Unpack(*d, first.Finish(), Params(original.size() + 8));
  ASSERT_EQ(r.rc, rar::kSuccess);
  EXPECT_TRUE(r.bytes == "padding!" + original);
  // The next member's offsets start again at 0; its tables and history go on.
  rar50test::StreamWriter second;
  second.Filter(4, static_cast<uint32_t>(original.size()), 3);
  second.Literals("abcd");
  second.Literals(forward(4));
  second.Match(8, original.size() + 4 + 8 + original.size());
  r = Unpack(*d, second.Finish(false), Params(original.size() + 12, 128 * 1024, 50, true));
  ASSERT_EQ(r.rc, rar::kSuccess);
  EXPECT_TRUE(r.bytes == "abcd" + original + "padding!");
}

TEST(Rar50Filters, FiltersThatCannotBeAreBadData) {
  auto run = [](auto add) {
    rar50test::StreamWriter w;
    w.Literals("0123456789");
    add(w);
    w.Literals(std::string(100, 'z'));
    return Unpack(w.Finish(), Params(110)).rc;
  };
  for (unsigned type = 4; type < 8; ++type) {
    EXPECT_EQ(run([&](auto& w) { w.Filter(0, 10, type); }), rar::kBadData) << type;
  }
  // Overlapping ranges.
  EXPECT_EQ(run([](auto& w) {
              w.Filter(0, 20, 1);
              w.Filter(10, 20, 1);
            }),
            rar::kBadData);
  // Longer than any filter may be, and past the member's end.
  EXPECT_EQ(run([](auto& w) { w.Filter(0, 0x400001, 1); }), rar::kBadData);
  EXPECT_EQ(run([](auto& w) { w.Filter(50, 60, 1); }), rar::kBadData);
  // Adjacent ranges and an empty one are fine; one after the end is never applied.
  EXPECT_EQ(run([](auto& w) {
              w.Filter(0, 20, 1);
              w.Filter(20, 20, 2);
              w.Filter(40, 0, 1);
              w.Filter(200, 10, 1);
            }),
            rar::kSuccess);
}

// A window smaller than the output, so the position wraps, and a member
// whose small window must grow for the solid one after it.
TEST(Rar50Window, WrapsAndGrowsKeepingHistory) {
  auto d = rar::unpack::MakeDecoder(50);
  std::string want;
  rar50test::StreamWriter first;
  for (int i = 0; i < 1000; ++i) want.push_back(static_cast<char>(i * 31 + i / 7));
  first.Literals(want);
  Result r = Unpack(*d, first.Finish(), Params(want.size(), 128 * 1024));
  ASSERT_EQ(r.rc, rar::kSuccess);
  ASSERT_EQ(r.bytes, want);

  // 4 MB dictionary: the window wraps at about that.
  const size_t dict = 4 << 20;
  rar50test::StreamWriter second;
  std::string all = want;
  auto copy = [&](size_t len, size_t dist) {
    for (size_t i = 0; i < len; ++i) all.push_back(all[all.size() - dist]);
  };
  size_t made = 0;
  while (made < 9 * (1 << 20)) {
    // Back to the first member's bytes while they are in reach, then to
    // the oldest bytes the dictionary still has.
    const size_t dist = all.size() <= dict ? all.size() - 3 : dict;
    second.Match(4000, dist);
    copy(4000, dist);
    second.Literal(static_cast<unsigned char>(made >> 12));
    all.push_back(static_cast<char>(made >> 12));
    made += 4001;
  }
  r = Unpack(*d, second.Finish(false), Params(made, dict, 50, true));
  ASSERT_EQ(r.rc, rar::kSuccess);
  EXPECT_TRUE(r.bytes == all.substr(want.size()));

  // One byte further back than the dictionary holds.
  rar50test::StreamWriter third;
  third.Match(10, dict + 16 * 1024);
  EXPECT_EQ(Unpack(*d, third.Finish(false), Params(10, dict, 50, true)).rc, rar::kBadData);
}

}  // namespace
