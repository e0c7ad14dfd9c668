#include "unrar/unpack/rar50_huffman.h"

#include <algorithm>

namespace rar::unpack::rar50 {

bool Huffman::Build(const unsigned char* lengths, unsigned count, unsigned lookup_bits) {
  if (count > kMaxSymbols || lookup_bits == 0 || lookup_bits > kMaxLookupBits) return false;
  lookup_bits_ = lookup_bits;
  unsigned per_length[16] = {};
  for (unsigned i = 0; i < count; ++i) {
    if (lengths[i] > 15) return false;
    ++per_length[lengths[i]];
  }
  per_length[0] = 0;
  uint32_t code = 0;
  unsigned index = 0;
  uint32_t first_code[16] = {};
  for (unsigned len = 1; len < 16; ++len) {
    if (code + per_length[len] > (uint32_t{1} << len)) return false;
    first_code[len] = code;
    first_[len] = code << (16 - len);
    limit_[len] = (code + per_length[len]) << (16 - len);
    index_[len] = static_cast<uint16_t>(index);
    index += per_length[len];
    code = (code + per_length[len]) << 1;
  }
  unsigned next[16];
  std::copy(index_, index_ + 16, next);
  for (unsigned sym = 0; sym < count; ++sym) {
    if (lengths[sym] != 0) symbols_[next[lengths[sym]]++] = static_cast<uint16_t>(sym);
  }

  const unsigned table_size = 1u << lookup_bits;
  std::fill(lookup_, lookup_ + table_size, uint16_t{0});
  for (unsigned len = 1; len <= lookup_bits; ++len) {
    const unsigned span = 1u << (lookup_bits - len);
    for (unsigned k = 0; k < per_length[len]; ++k) {
      const uint16_t entry = static_cast<uint16_t>(symbols_[index_[len] + k] << 4 | len);
      uint16_t* at = lookup_ + ((first_code[len] + k) << (lookup_bits - len));
      std::fill(at, at + span, entry);
    }
  }
  return true;
}

unsigned Huffman::DecodeLong(uint32_t top16, unsigned& used) const {
  // The lookup missed, so the code is longer than the lookup or no code at all.
  for (unsigned len = lookup_bits_ + 1; len < 16; ++len) {
    if (top16 < limit_[len]) {
      used = len;
      return symbols_[index_[len] + ((top16 - first_[len]) >> (16 - len))];
    }
  }
  used = 0;
  return kNoSymbol;
}

}  // namespace rar::unpack::rar50
