// Writes packed streams of the newer format by hand, so that tests can ask
// for exactly the symbols, filters and damage they need. Tables are fixed:
// every code of a table has the same length.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rar50test {

class BitWriter {
 public:
  void Put(uint64_t value, unsigned bits) {
    for (unsigned i = bits; i-- > 0;) PutBit((value >> i) & 1);
  }
  void PutBit(unsigned b) {
    if (used_ % 8 == 0) bytes_.push_back(0);
    if (b) bytes_.back() |= static_cast<unsigned char>(0x80 >> (used_ % 8));
    ++used_;
  }
  size_t bits() const { return used_; }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
  size_t used_ = 0;
};

class StreamWriter {
 public:
  // 64 distance codes for version 50, 80 for version 70.
  explicit StreamWriter(unsigned dist_codes = 64) : dist_codes_(dist_codes) {}

  static constexpr unsigned kMainBits = 9, kLengthBits = 6, kAlignBits = 4;
  unsigned DistBits() const { return dist_codes_ > 64 ? 7 : 6; }

  void Literal(unsigned char b) { body_.Put(b, kMainBits); }
  void Literals(const std::string& s) {
    for (unsigned char c : s) Literal(c);
  }
  // A new match; `length` is what gets copied (the far-distance bonus is
  // taken off before it is sent).
  void Match(uint32_t length, uint64_t dist) {
    if (dist > 0x100) --length;
    if (dist > 0x2000) --length;
    if (dist > 0x40000) --length;
    unsigned slot;
    uint32_t extra;
    unsigned extra_bits;
    LengthSlot(length, slot, extra, extra_bits);
    body_.Put(262 + slot, kMainBits);
    body_.Put(extra, extra_bits);
    PutDistance(dist);
  }
  // One of the four recent distances (0 = the latest).
  void Repeat(unsigned which, uint32_t length) {
    body_.Put(258 + which, kMainBits);
    unsigned slot;
    uint32_t extra;
    unsigned extra_bits;
    LengthSlot(length, slot, extra, extra_bits);
    body_.Put(slot, kLengthBits);
    body_.Put(extra, extra_bits);
  }
  void RepeatLast() { body_.Put(257, kMainBits); }
  void Filter(uint32_t start, uint32_t length, unsigned type, unsigned channels = 1) {
    body_.Put(256, kMainBits);
    PutNumber(start);
    PutNumber(length);
    body_.Put(type, 3);
    if (type == 0) body_.Put(channels - 1, 5);
  }
  // Any main symbol, valid or not.
  void Symbol(unsigned sym) { body_.Put(sym, kMainBits); }

  // Ends the current block (with its tables when `tables`) and starts a new one.
  void EndBlock(bool tables, bool last = false) {
    BitWriter block;
    if (tables) PutTables(block);
    const std::string& body = body_.bytes();
    for (size_t i = 0; i < body_.bits(); ++i) block.PutBit((body[i / 8] >> (7 - i % 8)) & 1);
    PutHeader(block, tables, last);
    body_ = BitWriter();
  }
  // The whole stream: the open block becomes the last one.
  std::string Finish(bool tables = true) {
    EndBlock(tables, true);
    return out_;
  }
  // Bytes of blocks ended so far.
  const std::string& Blocks() const { return out_; }

  // Code lengths sent for the main table instead of the fixed ones (a
  // stream whose tables are damaged).
  std::vector<unsigned char> main_lengths_override;

 private:
  static void LengthSlot(uint32_t length, unsigned& slot, uint32_t& extra, unsigned& bits) {
    const uint32_t v = length - 2;
    if (v < 8) {
      slot = v;
      extra = 0;
      bits = 0;
      return;
    }
    unsigned high = 31 - __builtin_clz(v);
    bits = high - 2;
    slot = 4 * (bits + 1) + ((v >> bits) & 3);
    extra = v & ((1u << bits) - 1);
  }
  void PutDistance(uint64_t dist) {
    const uint64_t v = dist - 1;
    if (v < 4) {
      body_.Put(v, DistBits());
      return;
    }
    const unsigned high = 63 - __builtin_clzll(v);
    const unsigned bits = high - 1;
    const unsigned slot = 2 * (bits + 1) + ((v >> bits) & 1);
    body_.Put(slot, DistBits());
    const uint64_t extra = v & ((uint64_t{1} << bits) - 1);
    if (bits < 4) {
      body_.Put(extra, bits);
    } else {
      body_.Put(extra >> 4, bits - 4);
      body_.Put(extra & 15, kAlignBits);
    }
  }
  void PutNumber(uint32_t v) {
    unsigned bytes = v < 0x100 ? 1 : v < 0x10000 ? 2 : v < 0x1000000 ? 3 : 4;
    body_.Put(bytes - 1, 2);
    for (unsigned i = 0; i < bytes; ++i) body_.Put((v >> (8 * i)) & 0xFF, 8);
  }
  void PutTables(BitWriter& w) const {
    // Every level code 5 bits long, sent as plain 4-bit lengths.
    for (int i = 0; i < 20; ++i) w.Put(5, 4);
    std::vector<unsigned char> lengths;
    if (main_lengths_override.empty()) {
      lengths.assign(306, kMainBits);
    } else {
      lengths = main_lengths_override;
    }
    lengths.insert(lengths.end(), dist_codes_, static_cast<unsigned char>(DistBits()));
    lengths.insert(lengths.end(), 16, kAlignBits);
    lengths.insert(lengths.end(), 44, kLengthBits);
    for (unsigned char len : lengths) w.Put(len, 5);
  }
  void PutHeader(const BitWriter& block, bool tables, bool last) {
    const size_t size = (block.bits() + 7) / 8;
    const unsigned last_bits = block.bits() % 8 == 0 ? 8 : block.bits() % 8;
    const unsigned size_bytes = size < 0x100 ? 1 : size < 0x10000 ? 2 : 3;
    const unsigned flags = (last_bits - 1) | (size_bytes - 1) << 3 | (last ? 0x40 : 0) | (tables ? 0x80 : 0);
    unsigned check = 0x5A ^ flags;
    std::string size_field;
    for (unsigned i = 0; i < size_bytes; ++i) {
      size_field.push_back(static_cast<char>((size >> (8 * i)) & 0xFF));
      check ^= (size >> (8 * i)) & 0xFF;
    }
    out_.push_back(static_cast<char>(flags));
    out_.push_back(static_cast<char>(check & 0xFF));
    out_ += size_field;
    out_ += block.bytes();
  }
  unsigned dist_codes_;
  BitWriter body_;
  std::string out_;
};

}  // namespace rar50test
