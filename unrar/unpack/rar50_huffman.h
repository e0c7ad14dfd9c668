// Canonical prefix codes of the newer format's blocks: codes are given by
// their lengths (1..15 bits, 0 for an unused symbol) and numbered shortest
// first, then by symbol. Decoding looks the first bits up in a table and
// walks the longer codes only when the table says so.
#pragma once

#include <cstdint>

namespace rar::unpack::rar50 {

// What Decode returns for bits that are no code of an incomplete table.
constexpr unsigned kNoSymbol = 0xFFFF;

class Huffman {
 public:
  static constexpr unsigned kMaxSymbols = 306;
  static constexpr unsigned kMaxLookupBits = 11;

  // False when the lengths promise more codes than the bits can hold.
  bool Build(const unsigned char* lengths, unsigned count, unsigned lookup_bits);

  // top16: the next 16 bits of input, first bit highest. Sets `used` to the
  // code's length; kNoSymbol when the bits are no code.
  unsigned Decode(uint32_t top16, unsigned& used) const {
    const unsigned entry = lookup_[top16 >> (16 - lookup_bits_)];
    if (entry & 15) {
      used = entry & 15;
      return entry >> 4;
    }
    return DecodeLong(top16, used);
  }

 private:
  unsigned DecodeLong(uint32_t top16, unsigned& used) const;

  // Left as they are until Build fills what Decode reads: a decoder made
  // for each small member should not clear them first.
  unsigned lookup_bits_ = 1;
  // symbol << 4 | length; 0 where the code is longer than the lookup.
  uint16_t lookup_[1u << kMaxLookupBits];
  // Per length: the first code and the end of the codes, both shifted to 16 bits.
  uint32_t first_[16];
  uint32_t limit_[16];
  // Per length: where its symbols start in symbols_.
  uint16_t index_[16];
  uint16_t symbols_[kMaxSymbols];
};

}  // namespace rar::unpack::rar50
