// The PPMd model and range decoder alone: against a stream the archiver
// wrote, against streams the tests' encoder writes with the same model
// (every order, small memory that runs out again and again, models carried
// across coder restarts), and against damaged and truncated input.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/unrar/sha256.h"
#include "tests/unrar/unpack/packed_member.h"
#include "tests/unrar/unpack/ppmd_h_encoder.h"
#include "unrar/unpack/decoder.h"
#include "unrar/unpack/ppmd_h.h"

namespace {

using rar::unpack::ByteIn;
using rar::unpack::PpmdH;

constexpr size_t kMB = size_t{1} << 20;

struct BytesIn : ByteIn {
  explicit BytesIn(std::string d, size_t start = 0) : data(std::move(d)), pos(start) {}
  int Get() override { return pos < data.size() ? static_cast<unsigned char>(data[pos++]) : -1; }
  std::string data;
  size_t pos;
};

// Text with a large vocabulary, numbers and runs of arbitrary bytes: it
// makes many contexts, so that a small model memory fills up. Never the
// byte 2, which the block framing reserves as its escape, so that these
// texts can be framed as members just as they are.
std::string SampleText(size_t size, uint32_t seed) {
  uint32_t x = seed * 2654435761u + 1;
  auto next = [&x] {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
  };
  std::vector<std::string> words;
  for (int i = 0; i < 3000; i++) {
    std::string w;
    const int len = 2 + static_cast<int>(next() % 9);
    for (int k = 0; k < len; k++) w.push_back(static_cast<char>('a' + next() % 26));
    words.push_back(w);
  }
  std::string s;
  while (s.size() < size) {
    const uint32_t r = next() % 100;
    if (r < 85) {
      // Small indexes far more often than large ones.
      const uint32_t a = next() % 3000, b = next() % 3000;
      s += words[a < b ? a : b];
      s.push_back(next() % 12 == 0 ? '\n' : ' ');
    } else if (r < 97) {
      s += std::to_string(next() % 100000) + ", ";
    } else {
      for (int k = 0, n = static_cast<int>(next() % 40); k < n; k++) {
        const uint32_t c = next() & 0xff;
        s.push_back(static_cast<char>(c == 2 ? 0xfe : c));
      }
    }
  }
  s.resize(size);
  return s;
}

// One pattern over and over with a stray letter now and then: counts in
// the deepest contexts overflow, and rescaling drops the stray symbols.
std::string RepetitiveText(size_t size) {
  std::string s;
  uint32_t x = 1;
  while (s.size() < size) {
    s += "abc";
    x = x * 1103515245u + 12345u;
    if ((x >> 16) % 17 == 0) s.push_back(static_cast<char>('a' + (x >> 8) % 26));
  }
  s.resize(size);
  return s;
}

std::string Encode(const std::string& text, size_t memory, int order, int* restarts = nullptr) {
  unpacktest::PpmdEncoder enc(memory, order);
  for (unsigned char c : text)
    if (!enc.Put(c)) return {};
  if (restarts) *restarts = enc.restarts();
  return enc.Flush();
}

// Up to n symbols; stops at the first -1.
std::string Decode(PpmdH& ppm, size_t n, bool* failed = nullptr) {
  std::string out;
  out.reserve(n);
  while (out.size() < n) {
    const int c = ppm.DecodeSymbol();
    if (c < 0) {
      if (failed) *failed = true;
      return out;
    }
    out.push_back(static_cast<char>(c));
  }
  if (failed) *failed = false;
  return out;
}

// The one real member whose stream switches between PPM and LZ blocks.
const std::string& RealMemberPacked() {
  static const std::string packed = [] {
    auto members =
        unpacktest::ReadPackedMembers(unpacktest::ReadWhole(std::string(UNRAR_PPMD_FIXTURE)));
    return members.size() == 1 ? members[0].packed : std::string();
  }();
  return packed;
}

// The first block of a stream of unpack version 29: the PPM block header
// (flags; memory in MB less one when the model restarts; escape symbol
// when given), then the range coder's bytes.
struct PpmBlock {
  int order = 0;
  size_t memory = 0;
  int escape = 2;
  size_t coder_start = 0;
};
bool ParseBlock(const std::string& s, PpmBlock& block) {
  if (s.size() < 3 || !(s[0] & 0x80) || !(s[0] & 0x20)) return false;
  const int flags = static_cast<unsigned char>(s[0]);
  size_t pos = 1;
  block.memory = (static_cast<size_t>(static_cast<unsigned char>(s[pos++])) + 1) * kMB;
  if (flags & 0x40) block.escape = static_cast<unsigned char>(s[pos++]);
  block.order = (flags & 0x1f) + 1;
  if (block.order > 16) block.order = 16 + (block.order - 16) * 3;
  block.coder_start = pos;
  return true;
}

// The text of a PPM block up to its end marker, with the block's own
// escapes for repeats and matches applied; false on anything else.
bool DecodeBlock(PpmdH& ppm, int escape, std::string& out) {
  for (;;) {
    int c = ppm.DecodeSymbol();
    if (c < 0) return false;
    if (c == escape) {
      const int what = ppm.DecodeSymbol();
      if (what == 0) return true;  // end of the block
      if (what == 4) {
        uint32_t distance = 0;
        for (int i = 0; i < 3; i++) distance = distance << 8 | static_cast<uint32_t>(ppm.DecodeSymbol() & 0xff);
        const int length = ppm.DecodeSymbol();
        distance += 2;
        if (length < 0 || distance > out.size()) return false;
        for (int i = 0; i < length + 32; i++) out.push_back(out[out.size() - distance]);
        continue;
      }
      if (what == 5) {
        const int length = ppm.DecodeSymbol();
        if (length < 0 || out.empty()) return false;
        for (int i = 0; i < length + 4; i++) out.push_back(out.back());
        continue;
      }
      if (what != escape) return false;
    }
    out.push_back(static_cast<char>(c));
  }
}

TEST(PpmdH, ArchiversFirstBlockDecodesToItsText) {
  const std::string& packed = RealMemberPacked();
  ASSERT_FALSE(packed.empty()) << UNRAR_PPMD_FIXTURE;
  PpmBlock block;
  ASSERT_TRUE(ParseBlock(packed, block));
  EXPECT_EQ(block.order, 8);
  EXPECT_EQ(block.memory, 25 * kMB);
  PpmdH ppm;
  ASSERT_TRUE(ppm.Allocate(block.memory));
  ppm.Restart(block.order);
  BytesIn in(packed, block.coder_start);
  ASSERT_TRUE(ppm.StartDecoder(&in));
  std::string text;
  ASSERT_TRUE(DecodeBlock(ppm, block.escape, text));
  // An HTML page: any slip of the model would turn the rest into noise.
  ASSERT_GE(text.size(), 30000u);
  EXPECT_EQ(text.rfind("<!DOCTYPE HTML PUBLIC", 0), 0u);
  size_t odd = 0;
  for (unsigned char c : text) odd += (c < 0x20 && c != '\n' && c != '\r' && c != '\t') || c > 0x7e;
  EXPECT_EQ(odd, 0u);
  EXPECT_NE(text.find("</P>", text.size() - 2000), std::string::npos);
}

TEST(PpmdH, ArchiversWholeMemberThroughTheDecoderOfItsVersion) {
  // Every block, model ones and LZ ones in turn, with the model going on
  // across them: the header's CRC holds only if the model is the
  // archiver's exactly.
  auto members = unpacktest::ReadPackedMembers(unpacktest::ReadWhole(std::string(UNRAR_PPMD_FIXTURE)));
  ASSERT_EQ(members.size(), 1u);
  const auto& m = members[0];
  ASSERT_EQ(m.params.version, 29u);
  auto decoder = rar::unpack::MakeDecoder(m.params.version);
  ASSERT_TRUE(decoder);
  unpacktest::StringInput in(m.packed, 4093);
  unpacktest::CollectingOutput out(0);
  EXPECT_EQ(decoder->Decode(in, out, m.params), rar::kSuccess);
  EXPECT_EQ(out.total, 241647978u);
  EXPECT_EQ(out.crc, 0xf72b4477u);
  EXPECT_EQ(out.crc, m.member.crc);
}

// The streams the model makes of fixed texts in a small memory, pinned.
// A second, independent implementation of the model decoded each of them,
// framed as a member, back to its text. When the memory runs out is
// decided by exactly how it is carved, which no round trip can check: the
// order 3 text, for one, codes differently when free blocks are not
// merged, or when units are not taken from the text area.
TEST(PpmdH, CodingOfFixedTextsIsPinned) {
  struct Case {
    int order;
    std::string text;
    const char* sha256;
  };
  std::string deep = SampleText(150000, 23);
  const std::string passage = SampleText(12000, 24);
  deep += passage + passage + passage;
  const Case cases[] = {
      {2, RepetitiveText(200000), "f31bd554662312e8b9ea753063535ce134123e81c8022a47e64bb61ec9a2d5f6"},
      {3, SampleText(400000, 41), "7c5ac803fb455cca1e5cdbcab201817296a4aeb588fe047128f8eb803f71c09b"},
      {16, SampleText(250000, 22), "e88aece2dd3e48cb3a427ee3ffbf39e238e815443399a17b563dedd4a8dfee95"},
      {64, deep, "b1ea614ac52abd96d5c7cc948cd65cff2af952f5bf0a1a6058dba354419ed747"},
  };
  for (const Case& c : cases) {
    int restarts = 0;
    const std::string packed = Encode(c.text, 1 * kMB, c.order, &restarts);
    EXPECT_EQ(Sha256Hex(packed), c.sha256) << "order " << c.order;
    if (c.order > 2) {
      EXPECT_GT(restarts, 0) << "order " << c.order;
    }
    PpmdH ppm;
    ASSERT_TRUE(ppm.Allocate(1 * kMB));
    ppm.Restart(c.order);
    BytesIn in(packed);
    ASSERT_TRUE(ppm.StartDecoder(&in));
    EXPECT_EQ(Decode(ppm, c.text.size()), c.text) << "order " << c.order;
    // The coder reads exactly what was written: the caller's next block
    // starts right after.
    EXPECT_EQ(in.pos, packed.size()) << "order " << c.order;
  }
}

TEST(PpmdH, RoundTripsAtTheOrdersAtEitherEnd) {
  std::string text = SampleText(100000, 7);
  const std::string passage = SampleText(8000, 8);
  text += passage + passage;
  for (int order : {2, 5, 255}) {
    const std::string packed = Encode(text, 1 * kMB, order);
    ASSERT_FALSE(packed.empty()) << "order " << order;
    PpmdH ppm;
    ASSERT_TRUE(ppm.Allocate(1 * kMB));
    ppm.Restart(order);
    BytesIn in(packed);
    ASSERT_TRUE(ppm.StartDecoder(&in));
    EXPECT_EQ(Decode(ppm, text.size()), text) << "order " << order;
    EXPECT_EQ(in.pos, packed.size()) << "order " << order;
  }
}

TEST(PpmdH, LargerMemoryAndRepetitiveInput) {
  std::string text = SampleText(150000, 3);
  text += std::string(60000, 'x');  // long runs: counts rescale over and over
  for (int i = 0; i < 2000; i++) text += "abcabcabd";
  for (size_t memory : {2 * kMB, 7 * kMB}) {
    const std::string packed = Encode(text, memory, 6);
    ASSERT_FALSE(packed.empty());
    PpmdH ppm;
    ASSERT_TRUE(ppm.Allocate(memory));
    ppm.Restart(6);
    BytesIn in(packed);
    ASSERT_TRUE(ppm.StartDecoder(&in));
    EXPECT_EQ(Decode(ppm, text.size()), text) << memory;
  }
}

TEST(PpmdH, ModelCarriesOverCoderRestartsAndSameSizedMemory) {
  // Blocks without the restart flag go on with the model as it was; only
  // the range coder starts again.
  const std::string a = SampleText(120000, 11), b = SampleText(120000, 12);
  unpacktest::PpmdEncoder enc(1 * kMB, 8);
  for (unsigned char c : a) ASSERT_TRUE(enc.Put(c));
  const std::string pa = enc.Flush();
  for (unsigned char c : b) ASSERT_TRUE(enc.Put(c));
  const std::string pb = enc.Flush();

  PpmdH ppm;
  ASSERT_TRUE(ppm.Allocate(1 * kMB));
  ppm.Restart(8);
  BytesIn ina(pa);
  ASSERT_TRUE(ppm.StartDecoder(&ina));
  EXPECT_EQ(Decode(ppm, a.size()), a);
  ASSERT_TRUE(ppm.Allocate(1 * kMB));  // same size: the model stays
  EXPECT_TRUE(ppm.Allocated());
  BytesIn inb(pb);
  ASSERT_TRUE(ppm.StartDecoder(&inb));
  EXPECT_EQ(Decode(ppm, b.size()), b);

  // A fresh model cannot read the second stream.
  PpmdH fresh;
  ASSERT_TRUE(fresh.Allocate(1 * kMB));
  fresh.Restart(8);
  BytesIn again(pb);
  ASSERT_TRUE(fresh.StartDecoder(&again));
  EXPECT_NE(Decode(fresh, b.size()), b);

  // Memory of another size holds no model until the next restart.
  ASSERT_TRUE(ppm.Allocate(2 * kMB));
  BytesIn inc(pa);
  ASSERT_TRUE(ppm.StartDecoder(&inc));
  EXPECT_EQ(ppm.DecodeSymbol(), -1);
  ppm.Restart(8);
  BytesIn ind(Encode(a, 2 * kMB, 8));
  ASSERT_TRUE(ppm.StartDecoder(&ind));
  EXPECT_EQ(Decode(ppm, a.size()), a);
}

TEST(PpmdH, RefusesWhatItCannotHaveOrDo) {
  PpmdH ppm;
  EXPECT_FALSE(ppm.Allocated());
  BytesIn in(std::string(16, 'a'));
  ASSERT_TRUE(ppm.StartDecoder(&in));
  EXPECT_EQ(ppm.DecodeSymbol(), -1);  // no memory, no model
  EXPECT_FALSE(ppm.Allocate(static_cast<size_t>(rar::unpack::kMaxDictionary) + 1));
  EXPECT_FALSE(ppm.Allocated());
  EXPECT_FALSE(ppm.Allocate(0));
  ASSERT_TRUE(ppm.Allocate(1 * kMB));
  EXPECT_TRUE(ppm.Allocated());
  EXPECT_EQ(ppm.DecodeSymbol(), -1);  // memory, but no restart yet
  for (int order : {0, 1, 256, 1000}) {
    ppm.Restart(order);
    BytesIn bad(std::string(16, 'a'));
    ASSERT_TRUE(ppm.StartDecoder(&bad));
    EXPECT_EQ(ppm.DecodeSymbol(), -1) << order;
  }
  ppm.Restart(4);
  BytesIn shortin(std::string(3, 'a'));
  EXPECT_FALSE(ppm.StartDecoder(&shortin));
  EXPECT_FALSE(ppm.StartDecoder(nullptr));
}

TEST(PpmdH, InputThatEndsEarlyStops) {
  const std::string text = SampleText(100000, 5);
  const std::string packed = Encode(text, 1 * kMB, 8);
  ASSERT_FALSE(packed.empty());
  for (size_t cut : {size_t{4}, size_t{5}, packed.size() / 3, packed.size() - 5, packed.size() - 1}) {
    PpmdH ppm;
    ASSERT_TRUE(ppm.Allocate(1 * kMB));
    ppm.Restart(8);
    BytesIn in(packed.substr(0, cut));
    ASSERT_TRUE(ppm.StartDecoder(&in));
    bool failed = false;
    const std::string out = Decode(ppm, text.size(), &failed);
    EXPECT_TRUE(failed) << cut;
    EXPECT_LT(out.size(), text.size()) << cut;
    EXPECT_EQ(ppm.DecodeSymbol(), -1) << cut;  // and stays so
  }
}

TEST(PpmdH, DamagedStreamsStopOrDifferAndAreDeterministic) {
  const std::string text = SampleText(40000, 9);
  const std::string packed = Encode(text, 1 * kMB, 16);
  ASSERT_FALSE(packed.empty());
  // One model object reused across all runs (its memory holds whatever the
  // last run left) and a fresh one each time must agree byte for byte:
  // nothing read may depend on memory the model did not write.
  PpmdH reused;
  ASSERT_TRUE(reused.Allocate(1 * kMB));
  uint32_t x = 12345;
  for (int trial = 0; trial < 30; trial++) {
    std::string bad = packed;
    x = x * 1103515245 + 12345;
    const size_t at = 4 + (x >> 8) % (bad.size() - 4);
    bad[at] = static_cast<char>(bad[at] ^ (1 + (x & 0x7f)));
    if (trial % 3 == 0) bad.resize(at + 1 + (x >> 20) % 64);
    std::string out[2];
    bool failed[2];
    for (int k = 0; k < 2; k++) {
      PpmdH fresh;
      PpmdH& ppm = k == 0 ? reused : fresh;
      ASSERT_TRUE(ppm.Allocate(1 * kMB));
      ppm.Restart(16);
      BytesIn in(bad);
      ASSERT_TRUE(ppm.StartDecoder(&in));
      out[k] = Decode(ppm, text.size(), &failed[k]);
    }
    EXPECT_TRUE(failed[0] || out[0] != text) << "damage at " << at;
    EXPECT_EQ(out[0], out[1]) << "damage at " << at;
    EXPECT_EQ(failed[0], failed[1]) << "damage at " << at;
  }
}

TEST(PpmdH, ArbitraryBytesDecodeAlikeInFreshAndReusedModels) {
  // Streams that were never coded, zeros and ones among them: whatever
  // they give, a model in stale memory gives the same.
  PpmdH reused;
  ASSERT_TRUE(reused.Allocate(1 * kMB));
  int stopped = 0;
  for (int order : {2, 8, 64}) {
    for (uint32_t seed = 1; seed <= 12; seed++) {
      std::string junk;
      uint32_t x = seed * 747796405u + static_cast<uint32_t>(order);
      for (int i = 0; i < 4096; i++) {
        x = x * 1664525u + 1013904223u;
        junk.push_back(static_cast<char>(seed % 5 == 0 ? 0 : seed % 5 == 1 ? 0xff : x >> 24));
      }
      std::string out[2];
      bool failed[2];
      for (int k = 0; k < 2; k++) {
        PpmdH fresh;
        PpmdH& ppm = k == 0 ? reused : fresh;
        ASSERT_TRUE(ppm.Allocate(1 * kMB));
        ppm.Restart(order);
        BytesIn in(junk);
        ASSERT_TRUE(ppm.StartDecoder(&in));
        out[k] = Decode(ppm, 100000, &failed[k]);
      }
      EXPECT_EQ(out[0], out[1]) << order << " " << seed;
      EXPECT_EQ(failed[0], failed[1]) << order << " " << seed;
      stopped += failed[0];
    }
  }
  EXPECT_GT(stopped, 18);
}

}  // namespace
