// Canonical prefix codes of up to 15 bits, as the blocks of the LZ stream
// give them by their lengths: shorter codes first, equal lengths in symbol
// order. Symbols are found by a table of the first kQuickBits bits; longer
// codes by their length's range.
#pragma once

#include <cstdint>

#include "unrar/unpack/rar29_bits.h"

namespace rar::unpack::rar29 {

class HuffTable {
 public:
  static constexpr unsigned kMaxSymbols = 299;
  static constexpr unsigned kQuickBits = 10;

  // Lengths 0 (unused) to 15. False when they ask for more codes than the
  // lengths allow (an incomplete code is fine: its unused codes decode as
  // errors).
  bool Build(const uint8_t* lengths, unsigned count);

  // The next symbol, or -1 for a code that is not in the table.
  template <class Bits>
  int Decode(Bits& in) const {
    const uint32_t bits = in.Peek16();
    const uint16_t entry = quick_[bits >> (16 - kQuickBits)];
    if (entry >= (1u << 12)) {
      in.Skip(entry >> 12);
      return entry & 0xFFF;
    }
    const unsigned len = LongLength(bits);
    if (len == 0) return -1;
    in.Skip(len);
    return symbols_[offset_[len] + ((bits >> (16 - len)) - first_[len])];
  }
  int Decode(BitReader& in) const {
    BitCursor c = in.cursor();
    const int symbol = Decode(c);
    in.set_cursor(c);
    return symbol;
  }

 private:
  // The length of a code longer than kQuickBits; 0 when there is none.
  unsigned LongLength(uint32_t bits) const;

  // Symbol | length << 12; 0 for codes longer than kQuickBits or unused.
  uint16_t quick_[1u << kQuickBits] = {};
  // Per length: the first code after the last of that length, as the top
  // bits of 16; the first code; where its symbols start in symbols_.
  uint32_t limit_[16] = {};
  uint32_t first_[16] = {};
  uint16_t offset_[16] = {};
  uint16_t symbols_[kMaxSymbols] = {};
};

}  // namespace rar::unpack::rar29
