// The fixed prefix codes of unpack version 15. Each is given by the upper
// bounds of its codes of each length (left-justified 16-bit values, the
// shortest length first) and the first symbol of each length; every code is
// at most 12 bits long, so one lookup of the next 12 bits decodes it.
#pragma once

#include <cstdint>

#include "unrar/unpack/rar15_stream.h"

namespace rar::unpack::old {

enum class Code15 : int {
  kLength1,  // match lengths, short-match old distances
  kLength2,  // match lengths of long matches
  kPlace0,   // places in the adaptive sets, by how skewed they are
  kPlace1,
  kPlace2,
  kPlace3,
  kPlace4,
  kCount
};

// (symbol << 4) | length for each 12-bit prefix.
const uint16_t* Code15Lookup(Code15 code);

inline unsigned Decode15(BitInput& in, const uint16_t* lookup) {
  const uint16_t e = lookup[in.Peek16() >> 4];
  in.Skip(e & 15);
  return e >> 4;
}

// The code of a short match's length and old-distance choices: symbol and
// length for each 8-bit prefix, for the two kinds (by the average length so
// far) and the two states of the switch that lengthens one of its codes.
struct ShortCode {
  uint8_t symbol[256];
  uint8_t bits[256];
};
const ShortCode& ShortLengthCode(bool long_average, bool switched);

}  // namespace rar::unpack::old
