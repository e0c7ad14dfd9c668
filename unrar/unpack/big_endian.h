// The decoders' bit readers take eight bytes at a time, first byte highest.
#pragma once

#include <cstdint>
#include <cstring>

namespace rar::unpack {

inline uint64_t LoadBigEndian64(const unsigned char* p) {
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return __builtin_bswap64(v);
#else
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v = (v << 8) | p[i];
  return v;
#endif
}

}  // namespace rar::unpack
