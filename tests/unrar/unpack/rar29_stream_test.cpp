// The decoder of unpack versions 29 and 36 on streams written by hand: the
// parts of the format real archives show rarely or never (filters reused
// by number in a later member, chained filters, kept tables, codes past the
// end, damaged tables), and the filters themselves.
#include <gtest/gtest.h>

#include <random>

#include "tests/unrar/unpack/packed_member.h"
#include "tests/unrar/unpack/rar29_stream.h"
#include "unrar/rar_codes.h"
#include "unrar/unpack/decoder.h"
#include "unrar/unpack/rar29_filters.h"

namespace {

using rar::unpack::Decoder;
using rar::unpack::MakeDecoder;
using rar::unpack::MemberParams;
using rar29test::LzWriter;
using rar29test::RecordWriter;

struct Result {
  int code;
  std::string bytes;
};

Result DecodeStream(Decoder& d, const std::string& packed, uint64_t size, bool solid = false, size_t step = 1 << 16) {
  MemberParams p;
  p.version = 29;
  p.unp_size = size;
  p.dictionary = 1 << 20;
  p.solid = solid;
  unpacktest::StringInput in(packed, step);
  unpacktest::CollectingOutput out;
  const int code = d.Decode(in, out, p);
  return {code, out.bytes};
}

// What LZ output means: literals, and copies from `distance` bytes back.
struct Plain {
  std::string s;
  void Lit(const std::string& t) { s += t; }
  void Copy(size_t length, size_t distance) {
    for (size_t i = 0; i < length; ++i) s += s[s.size() - distance];
  }
};

std::string Random(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(rng() & 0xFF);
  return s;
}

// Literals, matches and repeats, more output than the window holds, read in
// odd pieces: what wraps around the window's end comes out whole.
TEST(Rar29Stream, OutputLongerThanTheWindowWrapsWhole) {
  LzWriter w;
  Plain p;
  w.Tables();
  const std::string start = Random(9000, 7);
  w.Literals(start);
  p.Lit(start);
  std::mt19937 rng(11);
  while (p.s.size() < (size_t{9} << 20)) {
    const unsigned distance = 1 + rng() % 0x1FFF;
    const unsigned length = 3 + rng() % 255;
    w.Match(length, distance);
    p.Copy(length, distance);
    if (rng() % 4 == 0) {
      const std::string lit = Random(1 + rng() % 20, rng());
      w.Literals(lit);
      p.Lit(lit);
    }
    if (rng() % 8 == 0) {
      const unsigned near = 1 + rng() % 256;
      w.ShortMatch(near);
      p.Copy(2, near);
      w.RepeatLast();  // the same length and distance again
      p.Copy(2, near);
    }
  }
  w.EndOfFile(true);
  auto d = MakeDecoder(29);
  const Result r = DecodeStream(*d, w.Take(), p.s.size(), false, 4093);
  EXPECT_EQ(r.code, rar::kSuccess);
  EXPECT_TRUE(r.bytes == p.s);
}

// The delta program as archives carry it (the one in Rar.rar of fixtures2).
const std::string kDeltaProgram(
    "\x2f\x01\x9a\x41\x80\xec\x27\x48\x2f\x09\x76\x6d\xd3\xea\x41\x5b\x59\x44\xe8\x17\x5c\xe1\x6c\x91\x4c\x4e\x3f\x77\x00",
    29);

// The packer's side of the delta filter: each channel's bytes in a row, as
// differences from the byte before.
std::string DeltaEncode(const std::string& plain, unsigned channels) {
  std::string out;
  for (unsigned ch = 0; ch < channels; ++ch) {
    uint8_t prev = 0;
    for (size_t i = ch; i < plain.size(); i += channels) {
      out += static_cast<char>(prev - static_cast<uint8_t>(plain[i]));
      prev = static_cast<uint8_t>(plain[i]);
    }
  }
  return out;
}

struct DeltaRecord {
  bool numbered = true;  // the record names its filter (else: the last one)
  uint32_t number = 0;
  bool define = true;    // the program follows
  uint32_t offset = 0;
  uint32_t length = 0;
  uint32_t channels = 1;
  std::string program = kDeltaProgram;

  unsigned Flags() const { return (numbered ? 0x80 : 0) | 0x20 | 0x10; }
  std::string Body() const {
    RecordWriter r;
    if (numbered) r.Number(number + 1);
    r.Number(offset);
    r.Number(length);
    r.Bits(1, 7);  // R0 follows
    r.Number(channels);
    if (define) {
      r.Number(static_cast<uint32_t>(program.size()));
      r.Bytes(program);
    }
    return r.Take();
  }
};

void AddFilter(LzWriter& w, const DeltaRecord& f) { w.Filter(f.Flags(), f.Body()); }

TEST(Rar29Stream, DeltaFilterIsReusedByNumberInALaterSolidMember) {
  const std::string one = Random(1000, 1), two = Random(700, 2), three = Random(300, 3);

  LzWriter w1;
  w1.Tables();
  AddFilter(w1, {.length = 1000, .channels = 3});
  w1.Literals(DeltaEncode(one, 3));
  w1.Literals("tail");
  w1.EndOfFile(false);  // the next member goes on with these tables

  LzWriter w2;  // no tables: the last member said so
  AddFilter(w2, {.numbered = false, .define = false, .offset = 5, .length = 700, .channels = 2});
  w2.Literals("head!");
  w2.Literals(DeltaEncode(two, 2));
  w2.EndOfFile(true);

  LzWriter w3;
  w3.AssumeTables();
  w3.Tables(true);
  AddFilter(w3, {.number = 0, .define = false, .length = 300, .channels = 4});
  w3.Literals(DeltaEncode(three, 4));
  w3.EndOfFile(true);

  auto d = MakeDecoder(29);
  Result r = DecodeStream(*d, w1.Take(), 1004);
  EXPECT_EQ(r.code, rar::kSuccess);
  EXPECT_EQ(r.bytes, one + "tail");
  r = DecodeStream(*d, w2.Take(), 705, true);
  EXPECT_EQ(r.code, rar::kSuccess);
  EXPECT_EQ(r.bytes, "head!" + two);
  r = DecodeStream(*d, w3.Take(), 300, true);
  EXPECT_EQ(r.code, rar::kSuccess);
  EXPECT_EQ(r.bytes, three);

  // A member that is not solid starts without filters: number 0 is unknown.
  LzWriter w4;
  w4.Tables();
  AddFilter(w4, {.number = 0, .define = false, .length = 300});
  w4.Literals(DeltaEncode(three, 1));
  w4.EndOfFile(true);
  r = DecodeStream(*d, w4.Take(), 300);
  EXPECT_EQ(r.code, rar::kBadData);
}

// Two filters on one block: the second works on the first one's result.
TEST(Rar29Stream, FiltersOnTheSameBlockRunInTurn) {
  const std::string plain = Random(5000, 4);
  LzWriter w;
  w.Tables();
  w.Literals("before");
  AddFilter(w, {.offset = 20, .length = 5000, .channels = 2});
  AddFilter(w, {.number = 0, .define = false, .offset = 20, .length = 5000, .channels = 5});
  w.Literals(std::string(20, 'x'));
  w.Literals(DeltaEncode(DeltaEncode(plain, 5), 2));
  w.Literals("after");
  w.EndOfFile(true);
  auto d = MakeDecoder(29);
  const Result r = DecodeStream(*d, w.Take(), 6 + 20 + 5000 + 5);
  EXPECT_EQ(r.code, rar::kSuccess);
  EXPECT_EQ(r.bytes, "before" + std::string(20, 'x') + plain + "after");
}

TEST(Rar29Stream, FilterProgramsThatAreNotStandardAreBadData) {
  std::string changed = kDeltaProgram;
  changed[10] = static_cast<char>(changed[10] ^ 0x40);
  std::string rebalanced = changed;
  rebalanced[0] = static_cast<char>(rebalanced[0] ^ 0x40);  // the check byte agrees again
  for (const std::string& program : {changed, rebalanced, kDeltaProgram.substr(0, 28)}) {
    LzWriter w;
    w.Tables();
    AddFilter(w, {.length = 10, .program = program});
    w.Literals(std::string(10, 'a'));
    w.EndOfFile(true);
    auto d = MakeDecoder(29);
    EXPECT_EQ(DecodeStream(*d, w.Take(), 10).code, rar::kBadData);
  }
}

TEST(Rar29Stream, FiltersWithImpossibleBlocksAreBadData) {
  struct Case {
    const char* what;
    DeltaRecord f;
  };
  for (const Case& c : {Case{"block past the member's end", {.offset = 5, .length = 100}},
                        Case{"no channels", {.length = 50, .channels = 0}},
                        Case{"block larger than filters take", {.length = 0x40001}}}) {
    SCOPED_TRACE(c.what);
    LzWriter w;
    w.Tables();
    AddFilter(w, c.f);
    w.Literals(Random(60, 5));
    w.EndOfFile(true);
    auto d = MakeDecoder(29);
    EXPECT_EQ(DecodeStream(*d, w.Take(), 60).code, rar::kBadData);
  }
}

// Filters that wait far ahead are bounded: a stream cannot pile them up.
TEST(Rar29Stream, WaitingFiltersAreBounded) {
  LzWriter w;
  w.Tables();
  AddFilter(w, {.offset = 1000000, .length = 1});
  for (int i = 0; i < 1100; ++i) AddFilter(w, {.numbered = false, .define = false, .offset = 1000000, .length = 1});
  w.Literals("x");
  w.EndOfFile(true);
  auto d = MakeDecoder(29);
  EXPECT_EQ(DecodeStream(*d, w.Take(), 1).code, rar::kBadData);

  // As many that are done as they come are fine.
  LzWriter ok;
  ok.Tables();
  AddFilter(ok, {.length = 1});
  ok.Literal(0);
  for (int i = 0; i < 3000; ++i) {
    AddFilter(ok, {.numbered = false, .define = false, .length = 1});
    ok.Literal(static_cast<uint8_t>(-(i & 0x7F)));
  }
  ok.EndOfFile(true);
  const Result r = DecodeStream(*d, ok.Take(), 3001);
  EXPECT_EQ(r.code, rar::kSuccess);
  std::string want(1, '\0');
  for (int i = 0; i < 3000; ++i) want += static_cast<char>(i & 0x7F);
  EXPECT_EQ(r.bytes, want);
}

TEST(Rar29Stream, EndCodeSaysWhetherTheNextMemberStartsWithTables) {
  for (bool new_tables : {false, true}) {
    SCOPED_TRACE(new_tables ? "new tables" : "same tables");
    LzWriter w1;
    w1.Tables();
    w1.Literals("first");
    w1.EndOfFile(new_tables);
    LzWriter w2;
    w2.AssumeTables();
    if (new_tables) w2.Tables(true);  // written as differences: all zero
    w2.Literals("second");
    w2.Match(6, 6);
    w2.EndOfFile(true);
    auto d = MakeDecoder(29);
    EXPECT_EQ(DecodeStream(*d, w1.Take(), 5).code, rar::kSuccess);
    const Result r = DecodeStream(*d, w2.Take(), 12, true);
    EXPECT_EQ(r.code, rar::kSuccess);
    EXPECT_EQ(r.bytes, "secondsecond");
  }
}

TEST(Rar29Stream, NewTablesInsideAMember) {
  LzWriter w;
  w.Tables();
  w.Literals("one");
  w.NewTables(true);
  w.Literals("two");
  w.NewTables(false);
  w.Literals("three");
  w.Match(3, 11);
  w.EndOfFile(true);
  auto d = MakeDecoder(36);
  const Result r = DecodeStream(*d, w.Take(), 14);
  EXPECT_EQ(r.code, rar::kSuccess);
  EXPECT_EQ(r.bytes, "onetwothreeone");
}

TEST(Rar29Stream, OutputBeyondTheSizeIsBadData) {
  LzWriter w;
  w.Tables();
  w.Literals("abcdef");
  w.Match(10, 3);
  w.EndOfFile(true);
  const std::string packed = w.Take();
  for (uint64_t size : {0, 4, 6, 15}) {
    auto d = MakeDecoder(29);
    const Result r = DecodeStream(*d, packed, size);
    EXPECT_EQ(r.code, rar::kBadData) << size;
    EXPECT_LE(r.bytes.size(), size);
  }
  auto d = MakeDecoder(29);
  EXPECT_EQ(DecodeStream(*d, packed, 16).code, rar::kSuccess);
}

TEST(Rar29Stream, StreamWithoutItsEndCodeIsBadData) {
  LzWriter w;
  w.Tables();
  w.Literals("abcdefghij");  // with the tables' 2102 bits: ends on a byte boundary
  auto d = MakeDecoder(29);
  EXPECT_EQ(DecodeStream(*d, w.Take(), 10).code, rar::kBadData);
  LzWriter odd;
  odd.Tables();
  odd.Literals("abc");  // padding bits follow
  EXPECT_EQ(DecodeStream(*d, odd.Take(), 3).code, rar::kBadData);
}

TEST(Rar29Stream, DistanceBeforeTheFirstByteIsBadData) {
  LzWriter w;
  w.Tables();
  w.Literals("ab");
  w.Match(3, 3);
  w.EndOfFile(true);
  auto d = MakeDecoder(29);
  EXPECT_EQ(DecodeStream(*d, w.Take(), 5).code, rar::kBadData);
  LzWriter rep;
  rep.Tables();
  rep.Literal('a');
  rep.RawBits(259, rar29test::kMainBits);  // the first old distance, still 0
  rep.RawBits(0, rar29test::kRepeatBits);
  rep.EndOfFile(true);
  EXPECT_EQ(DecodeStream(*d, rep.Take(), 3).code, rar::kBadData);
}

TEST(Rar29Stream, DamagedTablesAreBadData) {
  std::vector<uint8_t> over(rar29test::kTableSize, 5);
  for (int i = 0; i < 299; ++i) over[i] = 1;  // far more codes than one bit has
  LzWriter a;
  a.RawTables(over);
  a.Literal('a');
  a.EndOfFile(true);

  LzWriter b;  // "repeat the last length" with none before it
  b.RawBits(0, 2);
  for (int i = 0; i < 20; ++i) b.RawBits(rar29test::kPreBits, 4);
  b.PreSymbol(16, 3, 3);
  b.Tables();

  LzWriter c;  // tables cut short
  c.Tables();
  std::string cut = c.Take();
  cut.resize(cut.size() / 2);

  std::vector<uint8_t> empty(rar29test::kTableSize, 0);
  LzWriter e;  // a main code with no symbols at all
  e.RawTables(empty);
  e.RawBits(0, 16);

  for (const std::string& packed : {a.Take(), b.Take(), cut, e.Take()}) {
    auto d = MakeDecoder(29);
    EXPECT_EQ(DecodeStream(*d, packed, 1).code, rar::kBadData);
  }
}

TEST(Rar29Stream, ModelBlocksThatCannotStartAreBadData) {
  // The model bit without a restart, when no model was ever set up; a
  // restart of order 1; a header cut short.
  for (const std::string& packed :
       {std::string("\x80\x00\x00\x00\x00\x00\x00\x00", 8), std::string("\xA0\x10\x00\x00\x00\x00\x00", 7),
        std::string("\xE5", 1)}) {
    auto d = MakeDecoder(29);
    EXPECT_EQ(DecodeStream(*d, packed, 10).code, rar::kBadData);
  }
}

// The native filters on every odd size and parameter, with their input in a
// block of exactly its size: nothing reads or writes outside (the address
// sanitizer watches), and parameters that do not fit are refused. RGB and
// Itanium programs never turn up in fuzzed streams, so this is where their
// bounds are tried.
TEST(Rar29Filters, NativeFiltersStayInsideTheirBlocks) {
  using rar::unpack::rar29::FilterKind;
  using rar::unpack::rar29::RunFilter;
  const uint32_t memory = rar::unpack::rar29::kFilterMemory;
  std::vector<uint8_t> mem(2 * memory + 64);
  std::mt19937 rng(5);
  int refused = 0, run = 0;
  for (FilterKind kind : {FilterKind::kE8, FilterKind::kE8E9, FilterKind::kItanium, FilterKind::kDelta,
                          FilterKind::kRgb, FilterKind::kAudio}) {
    for (uint32_t length : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 20u, 21u, 22u, 37u, 38u, 1000u, memory / 2, memory / 2 + 1,
                            memory}) {
      std::vector<uint8_t> block(length);
      for (auto& b : block) b = static_cast<uint8_t>(rng() % 3 == 0 ? 0xE8 : rng());
      for (uint32_t r0 : {0u, 1u, 2u, 3u, 4u, 6u, 7u, 129u, 1025u, length, length + 3, length + 4, 0xFFFFFFFFu}) {
        for (uint32_t r1 : {0u, 2u, 3u}) {
          const uint32_t regs[7] = {r0, r1, 0, 0, length, 0, 0};
          const uint8_t* result = RunFilter(kind, block.data(), length, regs, rng(), mem.data());
          if (result == nullptr) {
            ++refused;
          } else {
            ++run;
            EXPECT_TRUE(result >= mem.data() && result + length <= mem.data() + mem.size());
          }
        }
      }
    }
  }
  EXPECT_GT(run, 0);
  EXPECT_GT(refused, 0);
  // No channels, a stride smaller than a pixel, a red position past blue:
  // refused, as is a block whose size register disagrees with it.
  std::vector<uint8_t> block(300);
  const uint32_t no_channels[7] = {0, 0, 0, 0, 300, 0, 0}, narrow[7] = {2, 0, 0, 0, 300, 0, 0},
                 red[7] = {30, 3, 0, 0, 300, 0, 0}, size[7] = {1, 0, 0, 0, 299, 0, 0};
  EXPECT_EQ(RunFilter(FilterKind::kDelta, block.data(), 300, no_channels, 0, mem.data()), nullptr);
  EXPECT_EQ(RunFilter(FilterKind::kAudio, block.data(), 300, no_channels, 0, mem.data()), nullptr);
  EXPECT_EQ(RunFilter(FilterKind::kRgb, block.data(), 300, narrow, 0, mem.data()), nullptr);
  EXPECT_EQ(RunFilter(FilterKind::kRgb, block.data(), 300, red, 0, mem.data()), nullptr);
  EXPECT_EQ(RunFilter(FilterKind::kE8, block.data(), 300, size, 0, mem.data()), nullptr);
}

}  // namespace
