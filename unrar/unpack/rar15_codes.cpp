#include "unrar/unpack/rar15_codes.h"

#include <array>

namespace rar::unpack::old {

namespace {

// One fixed code: the length of its shortest codes, then for each length
// from there the left-justified bound below which the codes of that length
// lie (0xffff closes the code), and the symbol each length starts at.
struct FixedCode {
  unsigned start;
  std::array<unsigned, 12> bound;
  unsigned bound_count;
  std::array<unsigned, 13> first;
};

constexpr FixedCode kFixed[] = {
    {2, {0x8000, 0xa000, 0xc000, 0xd000, 0xe000, 0xea00, 0xee00, 0xf000, 0xf200, 0xf200, 0xffff}, 11,
     {0, 0, 0, 2, 3, 5, 7, 11, 16, 20, 24, 32, 32}},
    {3, {0xa000, 0xc000, 0xd000, 0xe000, 0xea00, 0xee00, 0xf000, 0xf200, 0xf240, 0xffff}, 10,
     {0, 0, 0, 0, 5, 7, 9, 13, 18, 22, 26, 34, 36}},
    {4, {0x8000, 0xc000, 0xe000, 0xf200, 0xf200, 0xf200, 0xf200, 0xf200, 0xffff}, 9,
     {0, 0, 0, 0, 0, 8, 16, 24, 33, 33, 33, 33, 33}},
    {5, {0x2000, 0xc000, 0xe000, 0xf000, 0xf200, 0xf200, 0xf7e0, 0xffff}, 8,
     {0, 0, 0, 0, 0, 0, 4, 44, 60, 76, 80, 80, 127}},
    {5, {0x1000, 0x2400, 0x8000, 0xc000, 0xfa00, 0xffff}, 6,
     {0, 0, 0, 0, 0, 0, 2, 7, 53, 117, 233, 0, 0}},
    {6, {0x0800, 0x2400, 0xee00, 0xfe80, 0xffff}, 5,
     {0, 0, 0, 0, 0, 0, 0, 2, 16, 218, 251, 0, 0}},
    {8, {0xff00, 0xffff}, 2,
     {0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0}},
};

using Lookup = std::array<uint16_t, 4096>;

Lookup MakeLookup(const FixedCode& c) {
  Lookup t{};
  for (unsigned prefix = 0; prefix < 4096; ++prefix) {
    const unsigned num = prefix << 4;
    unsigned i = 0;
    while (i + 1 < c.bound_count && c.bound[i] <= num) ++i;
    const unsigned length = c.start + i;
    const unsigned low = i ? c.bound[i - 1] : 0;
    const unsigned symbol = ((num - low) >> (16 - length)) + c.first[length];
    t[prefix] = static_cast<uint16_t>((symbol << 4) | length);
  }
  return t;
}

struct AllLookups {
  Lookup t[static_cast<int>(Code15::kCount)];
  AllLookups() {
    for (int i = 0; i < static_cast<int>(Code15::kCount); ++i) t[i] = MakeLookup(kFixed[i]);
  }
};

// Codes of a short match, tried in order; the second entry of the first
// kind and the fourth of the second are one bit longer while switched.
constexpr unsigned kShortBits1[] = {1, 3, 4, 4, 5, 6, 7, 8, 8, 4, 4, 5, 6, 6, 4};
constexpr unsigned kShortCode1[] = {0x00, 0xa0, 0xd0, 0xe0, 0xf0, 0xf8, 0xfc, 0xfe, 0xff, 0xc0, 0x80, 0x90, 0x98, 0x9c, 0xb0};
constexpr unsigned kShortBits2[] = {2, 3, 3, 3, 4, 4, 5, 6, 6, 4, 4, 5, 6, 6, 4};
constexpr unsigned kShortCode2[] = {0x00, 0x40, 0x60, 0xa0, 0xd0, 0xe0, 0xf0, 0xf8, 0xfc, 0xc0, 0x80, 0x90, 0x98, 0x9c, 0xb0};

ShortCode MakeShort(bool long_average, bool switched) {
  const unsigned* bits = long_average ? kShortBits2 : kShortBits1;
  const unsigned* code = long_average ? kShortCode2 : kShortCode1;
  const unsigned stretched = long_average ? 3 : 1;
  ShortCode s{};
  for (unsigned prefix = 0; prefix < 256; ++prefix) {
    for (unsigned k = 0; k < 15; ++k) {
      const unsigned n = k == stretched ? 3 + (switched ? 1 : 0) : bits[k];
      if (((prefix ^ code[k]) & ~(0xffu >> n) & 0xff) == 0) {
        s.symbol[prefix] = static_cast<uint8_t>(k);
        s.bits[prefix] = static_cast<uint8_t>(n);
        break;
      }
    }
  }
  return s;
}

struct AllShort {
  ShortCode s[4];
  AllShort() {
    for (int i = 0; i < 4; ++i) s[i] = MakeShort(i & 2, i & 1);
  }
};

}  // namespace

const uint16_t* Code15Lookup(Code15 code) {
  static const AllLookups all;
  return all.t[static_cast<int>(code)].data();
}

const ShortCode& ShortLengthCode(bool long_average, bool switched) {
  static const AllShort all;
  return all.s[(long_average ? 2 : 0) + (switched ? 1 : 0)];
}

}  // namespace rar::unpack::old
