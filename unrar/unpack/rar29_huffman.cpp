#include "unrar/unpack/rar29_huffman.h"

#include <algorithm>

namespace rar::unpack::rar29 {

bool HuffTable::Build(const uint8_t* lengths, unsigned count) {
  if (count > kMaxSymbols) return false;
  unsigned per_length[16] = {};
  for (unsigned i = 0; i < count; ++i) ++per_length[lengths[i] & 15];
  per_length[0] = 0;

  uint32_t code = 0;
  unsigned index = 0;
  for (unsigned len = 1; len < 16; ++len) {
    first_[len] = code;
    offset_[len] = static_cast<uint16_t>(index);
    code += per_length[len];
    if (code > (1u << len)) return false;
    limit_[len] = code << (16 - len);
    index += per_length[len];
    code <<= 1;
  }

  uint16_t next[16];
  std::copy(offset_, offset_ + 16, next);
  for (unsigned sym = 0; sym < count; ++sym) {
    const unsigned len = lengths[sym] & 15;
    if (len != 0) symbols_[next[len]++] = static_cast<uint16_t>(sym);
  }

  std::fill(quick_, quick_ + (1u << kQuickBits), uint16_t{0});
  for (unsigned len = 1; len <= kQuickBits; ++len) {
    const unsigned span = 1u << (kQuickBits - len);
    for (unsigned i = offset_[len]; i < next[len]; ++i) {
      const uint32_t c = first_[len] + (i - offset_[len]);
      const uint16_t entry = static_cast<uint16_t>(symbols_[i] | (len << 12));
      std::fill(quick_ + c * span, quick_ + (c + 1) * span, entry);
    }
  }
  return true;
}

unsigned HuffTable::LongLength(uint32_t bits) const {
  for (unsigned len = kQuickBits + 1; len < 16; ++len)
    if (bits < limit_[len]) return len;
  return 0;
}

}  // namespace rar::unpack::rar29
