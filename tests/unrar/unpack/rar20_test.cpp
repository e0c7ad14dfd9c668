// The decoder of unpack versions 20 and 26: the real members of version 20,
// and small streams written here for what no real member here shows: solid
// members, a window that wraps, the multimedia mode.
#include <gtest/gtest.h>

#include "tests/unrar/unpack/old_unpack_util.h"

namespace {

using rar::unpack::MemberParams;

std::vector<oldtest::Fixture> Members() { return oldtest::MembersOfVersions({20, 26}); }

TEST(Rar20Unpack, FixtureMembersMatchTheirHeadersAndOriginals) { oldtest::ExpectFixturesExact(Members()); }

TEST(Rar20Unpack, OneDecoderTakesMembersInTurn) { oldtest::ExpectMembersDecodeInAnyOrder(Members()); }

TEST(Rar20Unpack, DamagedMembersAreRefusedOrMismatch) {
  for (const auto& f : Members()) oldtest::ExpectDamageIsCaught(f.m);
}

TEST(Rar20Unpack, LimitsAndOutputFailuresAreReported) {
  for (const auto& f : Members()) oldtest::ExpectLimitsAndFailuresReported(f.m);
}

TEST(Rar20Unpack, NoiseIsSafe) {
  oldtest::ExpectNoiseIsSafe(20, 0, 200);
  oldtest::ExpectNoiseIsSafe(26, 0, 100);
  // The first bit asks for the multimedia mode.
  oldtest::ExpectNoiseIsSafe(20, 0x80, 200);
  oldtest::ExpectNoiseIsSafe(26, 0xc0, 100);
}

// Writes streams of this format with tables in which every symbol of a code
// has the same length, so that a symbol's code is its number.
class Writer {
 public:
  void Put(uint32_t value, unsigned bits) {
    for (unsigned i = bits; i-- > 0;) {
      if (used_ % 8 == 0) bytes_.push_back('\0');
      if ((value >> i) & 1) bytes_.back() = static_cast<char>(bytes_.back() | (0x80 >> (used_ % 8)));
      ++used_;
    }
  }
  // LZ tables: every main symbol `m` bits, distance `d`, repeat `r`; with
  // `keep` sent as changes from the tables before.
  void LzTables(unsigned m, unsigned d, unsigned r, bool keep) {
    Put(0, 1);
    Put(keep ? 1 : 0, 1);
    LengthCode();
    const unsigned want[3] = {m, d, r};
    const int count[3] = {298, 48, 28};
    for (int t = 0; t < 3; ++t)
      for (int i = 0; i < count[t]; ++i) Put(keep ? (want[t] - old_[t]) & 15 : want[t], 5);
    old_[0] = m;
    old_[1] = d;
    old_[2] = r;
    main_ = m;
    dist_ = d;
    rep_ = r;
  }
  // Multimedia tables: `channels` codes of 257 symbols of 9 bits.
  void AudioTables(unsigned channels) {
    Put(1, 1);
    Put(0, 1);
    Put(channels - 1, 2);
    LengthCode();
    for (unsigned i = 0; i < 257 * channels; ++i) Put(9, 5);
    old_[0] = old_[1] = old_[2] = 0;
  }
  void Literal(unsigned char c) { Put(c, main_); }
  void Audio(unsigned delta) { Put(delta, 9); }
  void Symbol(unsigned s) { Put(s, main_); }
  void Match(unsigned length, unsigned distance) {
    const unsigned base = length - 3 - (distance >= 0x2000) - (distance >= 0x40000);
    const unsigned n = LengthSlot(base);
    Put(270 + n, main_);
    Put(base - kLengthBase[n], kLengthBits[n]);
    unsigned d = 47;
    while (kDistBase[d] + 1 > distance) --d;
    Put(d, dist_);
    Put(distance - kDistBase[d] - 1, kDistBits[d]);
  }
  // Symbol 257..260: the distance `back` matches ago (1 = the last).
  void OldDistance(unsigned back, unsigned length, unsigned distance) {
    const unsigned base = length - 2 - (distance >= 0x101) - (distance >= 0x2000) - (distance >= 0x40000);
    const unsigned n = LengthSlot(base);
    Put(256 + back, main_);
    Put(n, rep_);
    Put(base - kLengthBase[n], kLengthBits[n]);
  }
  std::string Bytes() const { return bytes_; }
  // The widths of tables sent before (a solid member goes on with them).
  void UseWidths(unsigned m, unsigned d, unsigned r) {
    main_ = old_[0] = m;
    dist_ = old_[1] = d;
    rep_ = old_[2] = r;
  }

 private:
  static constexpr unsigned kLengthBits[28] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                               2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
  static constexpr unsigned kLengthBase[28] = {0,  1,  2,  3,  4,  5,  6,  7,  8,   10,  12,  14,  16,  20,
                                               24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
  static constexpr unsigned kDistBits[48] = {0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,
                                             7,  7,  8,  8,  9,  9,  10, 10, 11, 11, 12, 12, 13, 13, 14, 14,
                                             15, 15, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};
  static constexpr unsigned kDistBase[48] = {
      0,      1,      2,      3,      4,      6,      8,      12,     16,     24,     32,     48,
      64,     96,     128,    192,    256,    384,    512,    768,    1024,   1536,   2048,   3072,
      4096,   6144,   8192,   12288,  16384,  24576,  32768,  49152,  65536,  98304,  131072, 196608,
      262144, 327680, 393216, 458752, 524288, 589824, 655360, 720896, 786432, 851968, 917504, 983040};

  static unsigned LengthSlot(unsigned base) {
    unsigned n = 27;
    while (kLengthBase[n] > base) --n;
    return n;
  }
  // All 19 symbols of the bit-length code take 5 bits: code n is n.
  void LengthCode() {
    for (int i = 0; i < 19; ++i) Put(5, 4);
  }

  std::string bytes_;
  size_t used_ = 0;
  unsigned old_[3] = {};
  unsigned main_ = 9, dist_ = 6, rep_ = 5;
};

MemberParams Params(uint64_t size, bool solid = false, uint64_t dictionary = 1 << 20) {
  MemberParams p;
  p.version = 20;
  p.unp_size = size;
  p.dictionary = dictionary;
  p.solid = solid;
  return p;
}

TEST(Rar20Unpack, SolidMemberGoesOnFromWindowTablesAndDistances) {
  const std::string first = "The quick brown fox ";
  Writer a;
  a.LzTables(9, 6, 5, false);
  for (char c : first) a.Literal(static_cast<unsigned char>(c));
  // The member ends with new tables, which the next member starts with.
  a.Symbol(269);
  a.LzTables(10, 7, 6, true);

  Writer b;
  b.UseWidths(10, 7, 6);
  b.Match(10, 20);          // "The quick "
  b.Symbol(256);            // the last match again: "brown fox "
  b.OldDistance(1, 4, 20);  // "The "
  b.OldDistance(3, 3, 20);  // three matches ago, 20 too: "qui"
  b.Match(3, 47);           // the first member's first bytes: "The"
  const std::string second = "The quick brown fox The quiThe";

  auto d = rar::unpack::MakeDecoder(20);
  auto r1 = oldtest::Run(*d, a.Bytes(), Params(first.size()));
  ASSERT_EQ(r1.code, rar::kSuccess);
  EXPECT_EQ(r1.bytes, first);
  auto r2 = oldtest::Run(*d, b.Bytes(), Params(second.size(), true), 3);
  EXPECT_EQ(r2.code, rar::kSuccess);
  EXPECT_EQ(r2.bytes, second);

  // Without the state before, the same data is no good.
  auto alone = oldtest::RunFresh(b.Bytes(), Params(second.size(), false));
  EXPECT_TRUE(alone.code == rar::kBadData || alone.bytes != second);
  // Nor after a member that failed.
  auto d2 = rar::unpack::MakeDecoder(20);
  EXPECT_EQ(oldtest::Run(*d2, a.Bytes().substr(0, 10), Params(first.size())).code, rar::kBadData);
  EXPECT_EQ(oldtest::Run(*d2, b.Bytes(), Params(second.size(), true)).code, rar::kBadData);
}

TEST(Rar20Unpack, WindowWrapsAndFarMatchesStayExact) {
  // A 300-byte pattern repeated far past a 64 KB window, copied from 300 and
  // from 64,800 bytes back (a whole number of periods).
  const size_t period = 300, total = 200000;
  std::string want(total, '\0');
  oldtest::Lcg rng(5);
  for (size_t i = 0; i < period; ++i) want[i] = static_cast<char>(rng.Next());
  for (size_t i = period; i < total; ++i) want[i] = want[i - period];

  Writer w;
  w.LzTables(9, 6, 5, false);
  for (size_t i = 0; i < period; ++i) w.Literal(static_cast<unsigned char>(want[i]));
  size_t made = period;
  bool far = false;
  while (made < total) {
    const unsigned length = static_cast<unsigned>(std::min<size_t>(total - made, 200 + made % 57));
    if (length < 3) {
      w.Literal(static_cast<unsigned char>(want[made]));
      ++made;
      continue;
    }
    far = made > 64800 && !far ? (w.Match(length, 64800), true) : (w.Match(length, period), far);
    made += length;
  }
  ASSERT_TRUE(far);
  for (size_t step : {size_t{1} << 16, size_t{4093}}) {
    auto r = oldtest::RunFresh(w.Bytes(), Params(total, false, 1 << 16), step);
    EXPECT_EQ(r.code, rar::kSuccess);
    EXPECT_TRUE(r.bytes == want);
  }
}

TEST(Rar20Unpack, MatchesBeyondTheWindowOrTheStartAreRefused) {
  Writer before_start;
  before_start.LzTables(9, 6, 5, false);
  before_start.Literal('x');
  before_start.Match(5, 2);
  EXPECT_EQ(oldtest::RunFresh(before_start.Bytes(), Params(6)).code, rar::kBadData);

  // 70,000 bytes back in a 64 KB window, though that much was made.
  Writer too_far;
  too_far.LzTables(9, 6, 5, false);
  for (int i = 0; i < 70000; ++i) too_far.Literal(static_cast<unsigned char>(i));
  too_far.Match(10, 70000);
  auto r = oldtest::RunFresh(too_far.Bytes(), Params(70010, false, 1 << 16));
  EXPECT_EQ(r.code, rar::kBadData);
  // The same with a window that holds it.
  auto ok = oldtest::RunFresh(too_far.Bytes(), Params(70010, false, 1 << 17));
  EXPECT_EQ(ok.code, rar::kSuccess);
  EXPECT_EQ(ok.bytes.substr(70000), ok.bytes.substr(0, 10));

  // A whole window back is the farthest a match reaches.
  Writer whole_ring;
  whole_ring.LzTables(9, 6, 5, false);
  for (int i = 0; i < 70000; ++i) whole_ring.Literal(static_cast<unsigned char>(i * 7));
  whole_ring.Match(10, 65536);
  auto ring = oldtest::RunFresh(whole_ring.Bytes(), Params(70010, false, 1 << 16), 4093);
  EXPECT_EQ(ring.code, rar::kSuccess);
  EXPECT_EQ(ring.bytes.substr(70000), ring.bytes.substr(70000 - 65536, 10));

  // A solid member with a larger window than the member before reaches no
  // further back than that member's window held.
  for (unsigned distance : {60000u, 69000u}) {
    auto d = rar::unpack::MakeDecoder(20);
    auto r1 = oldtest::Run(*d, too_far.Bytes(), Params(70000, false, 1 << 16));
    ASSERT_EQ(r1.code, rar::kSuccess);
    Writer next;
    next.UseWidths(9, 6, 5);
    next.Match(10, distance);
    auto r2 = oldtest::Run(*d, next.Bytes(), Params(10, true, 1 << 17));
    if (distance <= 65536) {
      EXPECT_EQ(r2.code, rar::kSuccess);
      EXPECT_EQ(r2.bytes, r1.bytes.substr(70000 - distance, 10));
    } else {
      EXPECT_EQ(r2.code, rar::kBadData);
    }
  }

  // A match that runs past the member's size.
  Writer over;
  over.LzTables(9, 6, 5, false);
  over.Literal('a');
  over.Match(10, 1);
  EXPECT_EQ(oldtest::RunFresh(over.Bytes(), Params(5)).code, rar::kBadData);
  EXPECT_EQ(oldtest::RunFresh(over.Bytes(), Params(11)).bytes, std::string(11, 'a'));
}

// With the weights still at zero (the first 32 bytes of a channel), each byte
// is the channel's byte before less the coded delta.
std::string ZeroWeightAudio(const std::vector<unsigned>& deltas, unsigned channels) {
  std::string out;
  std::vector<unsigned char> last(channels, 0);
  for (size_t i = 0; i < deltas.size(); ++i) {
    auto& l = last[i % channels];
    l = static_cast<unsigned char>(l - deltas[i]);
    out.push_back(static_cast<char>(l));
  }
  return out;
}

TEST(Rar20Unpack, MultimediaBlocksPredictPerChannelAndSwitchBack) {
  for (unsigned channels : {1u, 2u, 3u, 4u}) {
    oldtest::Lcg rng(channels);
    std::vector<unsigned> deltas;
    for (unsigned i = 0; i < 20 * channels; ++i) deltas.push_back(rng.Next() % 256);
    std::string want = ZeroWeightAudio(deltas, channels);

    Writer w;
    w.AudioTables(channels);
    for (unsigned v : deltas) w.Audio(v);
    // Back to LZ, copying the last audio bytes.
    w.Audio(256);
    w.LzTables(9, 6, 5, false);
    w.Literal('Z');
    w.Match(8, 9);
    want += 'Z';
    want += want.substr(want.size() - 9, 8);

    auto r = oldtest::RunFresh(w.Bytes(), Params(want.size()), 5);
    EXPECT_EQ(r.code, rar::kSuccess) << channels;
    EXPECT_EQ(r.bytes, want) << channels;
  }
}

TEST(Rar20Unpack, DamagedMultimediaBlocksAreSafe) {
  oldtest::Lcg rng(99);
  for (unsigned channels : {1u, 4u}) {
    Writer w;
    w.AudioTables(channels);
    for (int i = 0; i < 5000; ++i) w.Audio(rng.Next() % 256);
    const std::string good = w.Bytes();
    auto whole = oldtest::RunFresh(good, Params(5000));
    ASSERT_EQ(whole.code, rar::kSuccess);
    EXPECT_EQ(oldtest::RunFresh(good.substr(0, good.size() / 2), Params(5000)).code, rar::kBadData);
    for (int round = 0; round < 50; ++round) {
      std::string bad = good;
      bad[rng.Next() % bad.size()] ^= static_cast<char>(1 + rng.Next() % 255);
      auto r = oldtest::RunFresh(bad, Params(5000), 1 + rng.Next() % 300);
      ASSERT_TRUE(r.code == rar::kSuccess || r.code == rar::kBadData);
      EXPECT_LE(r.total, 5000u);
      EXPECT_TRUE(r.code == rar::kBadData || r.bytes != whole.bytes || bad == good);
    }
  }
}

}  // namespace

namespace {

TEST(Rar20Unpack, MembersWithoutSizeEndWithTheirData) {
  for (const auto& f : Members()) oldtest::ExpectUnknownSizeEndsWithTheData(f.m);
}

}  // namespace
