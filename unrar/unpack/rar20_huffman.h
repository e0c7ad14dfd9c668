// Canonical prefix codes of unpack versions 20 and 26 (lengths up to 15
// bits, shorter codes first, equal lengths in symbol order), decoded with a
// table of the first kFastBits bits and a search by length beyond it.
#pragma once

#include <cstdint>

#include "unrar/unpack/rar15_stream.h"

namespace rar::unpack::old {

class HuffmanCode {
 public:
  static constexpr int kMaxSymbols = 298;
  static constexpr int kFastBits = 10;

  // False when the lengths ask for more codes than there are (a code set
  // with fewer is allowed; its missing codes fail when met).
  bool Build(const uint8_t* lengths, int count);
  // The next symbol, or -1 when the bits are no code of this set.
  int Decode(BitInput& in) const {
    const uint32_t bits = in.Peek16();
    const uint16_t e = fast_[bits >> (16 - kFastBits)];
    if (e & 15) {
      in.Skip(e & 15);
      return e >> 4;
    }
    return DecodeLong(in, bits);
  }

 private:
  int DecodeLong(BitInput& in, uint32_t bits) const;

  uint16_t fast_[1 << kFastBits] = {};  // symbol << 4 | length; 0 = longer or none
  uint32_t limit_[16] = {};             // left-justified end of the codes of each length
  uint32_t start_[16] = {};             // left-justified first code of each length
  uint16_t index_[16] = {};             // where each length's symbols start in sorted_
  uint16_t sorted_[kMaxSymbols] = {};
};

}  // namespace rar::unpack::old
