// Writes small LZ streams of unpack version 29 by hand, so that tests can
// reach what real archives rarely show: filters reused by number in a later
// member, tables kept across members, codes past the end, damaged tables.
// Every table gets one code length for all its symbols, so that a symbol's
// code is simply its number in that many bits.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace rar29test {

class BitWriter {
 public:
  void Put(uint32_t value, unsigned bits) {
    for (unsigned i = bits; i > 0; --i) {
      cur_ = static_cast<uint8_t>((cur_ << 1) | ((value >> (i - 1)) & 1));
      if (++used_ == 8) {
        bytes_.push_back(static_cast<char>(cur_));
        cur_ = 0;
        used_ = 0;
      }
    }
  }
  void Align() {
    if (used_ != 0) Put(0, 8 - used_);
  }
  std::string Take() {
    Align();
    return std::move(bytes_);
  }

 private:
  std::string bytes_;
  uint8_t cur_ = 0;
  unsigned used_ = 0;
};

constexpr unsigned kMainBits = 9, kDistBits = 6, kLowBits = 5, kRepeatBits = 5, kPreBits = 5;
constexpr unsigned kTableSize = 299 + 60 + 17 + 28;

// The body of a filter record.
class RecordWriter {
 public:
  void Number(uint32_t v) {
    if (v < 16) {
      w_.Put(0, 2);
      w_.Put(v, 4);
    } else if (v < 256) {
      w_.Put(1, 2);
      w_.Put(v, 8);
    } else if (v < 65536) {
      w_.Put(2, 2);
      w_.Put(v, 16);
    } else {
      w_.Put(3, 2);
      w_.Put(v >> 16, 16);
      w_.Put(v & 0xFFFF, 16);
    }
  }
  void Bits(uint32_t v, unsigned n) { w_.Put(v, n); }
  void Bytes(const std::string& s) {
    for (unsigned char c : s) w_.Put(c, 8);
  }
  std::string Take() { return w_.Take(); }

 private:
  BitWriter w_;
};

class LzWriter {
 public:
  // An LZ block's tables: every main symbol 9 bits, distances 6, low
  // distances and repeat lengths 5. With keep, the lengths are written as
  // differences from the last tables (all 0 when they are the same).
  void Tables(bool keep = false) { RawTables(Uniform(), keep); }
  // The decoder already has Tables() from an earlier writer (a solid member
  // going on): keep then writes differences from those.
  void AssumeTables() {
    const auto lengths = Uniform();
    std::copy(lengths.begin(), lengths.end(), old_);
  }
  // The lengths as symbols 0..15 of the length code, each sent in 5 bits.
  void RawTables(const std::vector<uint8_t>& lengths, bool keep = false) {
    w_.Align();
    w_.Put(0, 1);  // LZ, not the context model
    w_.Put(keep ? 1 : 0, 1);
    for (int i = 0; i < 20; ++i) w_.Put(kPreBits, 4);
    for (unsigned i = 0; i < lengths.size(); ++i) {
      const unsigned old = keep ? old_[i] : 0;
      w_.Put((lengths[i] - old) & 15, kPreBits);
    }
    for (unsigned i = 0; i < lengths.size() && i < kTableSize; ++i) old_[i] = lengths[i];
  }
  // A length code symbol as it is (16..19 repeat or zero runs).
  void PreSymbol(unsigned symbol, uint32_t extra, unsigned extra_bits) {
    w_.Put(symbol, kPreBits);
    if (extra_bits) w_.Put(extra, extra_bits);
  }
  void Literal(uint8_t b) { w_.Put(b, kMainBits); }
  void Literals(const std::string& s) {
    for (unsigned char c : s) Literal(c);
  }
  // Length 2, distance 1..256.
  void ShortMatch(unsigned distance) {
    static const unsigned kBase[8] = {0, 4, 8, 16, 32, 64, 128, 192};
    static const unsigned kBits[8] = {2, 2, 3, 4, 5, 6, 6, 6};
    unsigned n = 7;
    while (kBase[n] + 1 > distance) --n;
    w_.Put(263 + n, kMainBits);
    w_.Put(distance - 1 - kBase[n], kBits[n]);
  }
  // Length 3..257, distance 1..0x1FFF (no length bonus for far matches).
  void Match(unsigned length, unsigned distance) {
    static const unsigned kLenBase[28] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  10,  12,  14,  16,  20,
                                          24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
    static const unsigned kLenBits[28] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                          2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
    unsigned s = 27;
    while (kLenBase[s] + 3 > length) --s;
    w_.Put(271 + s, kMainBits);
    if (kLenBits[s]) w_.Put(length - 3 - kLenBase[s], kLenBits[s]);
    // Distance slots: 4 of no extra bits, then 2 per width.
    unsigned slot = 0, base = 0, width = 0;
    for (unsigned sl = 0, b = 0; sl < 30; ++sl) {
      const unsigned w = sl < 4 ? 0 : (sl - 2) / 2;
      if (b + 1 > distance) break;
      slot = sl;
      base = b;
      width = w;
      b += 1u << w;
    }
    const unsigned extra = distance - 1 - base;
    w_.Put(slot, kDistBits);
    if (slot > 9) {
      if (width > 4) w_.Put(extra >> 4, width - 4);
      w_.Put(extra & 15, kLowBits);  // never 16: no runs of repeated low bits
    } else if (width) {
      w_.Put(extra, width);
    }
  }
  void RepeatLast() { w_.Put(258, kMainBits); }
  // Symbol 257: the first byte, the record's size, the record.
  void Filter(unsigned flags, const std::string& body) {
    w_.Put(257, kMainBits);
    const size_t n = body.size();
    if (n <= 6) {
      w_.Put(flags | static_cast<unsigned>(n - 1), 8);
    } else if (n < 7 + 256) {
      w_.Put(flags | 6, 8);
      w_.Put(static_cast<uint32_t>(n - 7), 8);
    } else {
      w_.Put(flags | 7, 8);
      w_.Put(static_cast<uint32_t>(n), 16);
    }
    for (unsigned char c : body) w_.Put(c, 8);
  }
  void EndOfFile(bool new_tables_next) {
    w_.Put(256, kMainBits);
    w_.Put(new_tables_next ? 1 : 0, 2);
  }
  void NewTables(bool keep = false) {
    w_.Put(256, kMainBits);
    w_.Put(1, 1);
    Tables(keep);
  }
  void RawBits(uint32_t v, unsigned n) { w_.Put(v, n); }
  std::string Take() { return w_.Take(); }

 private:
  static std::vector<uint8_t> Uniform() {
    std::vector<uint8_t> lengths(kTableSize);
    for (unsigned i = 0; i < kTableSize; ++i)
      lengths[i] = i < 299 ? kMainBits : i < 359 ? kDistBits : i < 376 ? kLowBits : kRepeatBits;
    return lengths;
  }

  BitWriter w_;
  uint8_t old_[kTableSize] = {};
};

}  // namespace rar29test
