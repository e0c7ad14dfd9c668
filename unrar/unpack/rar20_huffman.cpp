#include "unrar/unpack/rar20_huffman.h"

#include <algorithm>

namespace rar::unpack::old {

bool HuffmanCode::Build(const uint8_t* lengths, int count) {
  if (count > kMaxSymbols) return false;
  unsigned per_length[16] = {};
  for (int i = 0; i < count; ++i) ++per_length[lengths[i] & 15];
  per_length[0] = 0;

  uint32_t code = 0;  // left-justified in 16 bits
  unsigned index = 0;
  for (int len = 1; len < 16; ++len) {
    start_[len] = code;
    index_[len] = static_cast<uint16_t>(index);
    code += per_length[len] << (16 - len);
    if (code > 0x10000) return false;
    limit_[len] = code;
    index += per_length[len];
  }
  unsigned next[16];
  for (int len = 1; len < 16; ++len) next[len] = index_[len];
  for (int i = 0; i < count; ++i) {
    const unsigned len = lengths[i] & 15;
    if (len) sorted_[next[len]++] = static_cast<uint16_t>(i);
  }

  std::fill(std::begin(fast_), std::end(fast_), uint16_t{0});
  for (int len = 1; len <= kFastBits; ++len) {
    const unsigned shift = 16 - kFastBits;
    for (unsigned k = 0; k < per_length[len]; ++k) {
      const uint32_t first = (start_[len] + (k << (16 - len))) >> shift;
      const uint32_t span = 1u << (kFastBits - len);
      const uint16_t e = static_cast<uint16_t>((sorted_[index_[len] + k] << 4) | len);
      for (uint32_t j = 0; j < span; ++j) fast_[first + j] = e;
    }
  }
  return true;
}

int HuffmanCode::DecodeLong(BitInput& in, uint32_t bits) const {
  for (int len = kFastBits + 1; len < 16; ++len) {
    if (bits < limit_[len]) {
      if (bits < start_[len]) return -1;
      in.Skip(static_cast<unsigned>(len));
      return sorted_[index_[len] + ((bits - start_[len]) >> (16 - len))];
    }
  }
  return -1;
}

}  // namespace rar::unpack::old
