// The input of the fuzz targets of the old decoders: a 7-byte prefix of
// parameters, then packed bytes.
//   [0] bit 0: a second, solid member follows; bits 1-2: which version of
//       the family; bit 3: the size is not known; bits 4-7: input piece size
//   [1] dictionary: 64 KB << (value % 4)
//   [2..4] unpacked size (little-endian, below 192 KB: past a 64 KB window,
//          yet fast enough for many runs a second)
//   [5..6] with a second member: where its packed bytes start
// The second member's size is half the first's.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "unrar/unpack/decoder.h"

namespace oldfuzz {

class SpanInput : public rar::unpack::PackedInput {
 public:
  SpanInput(const uint8_t* data, size_t size, size_t step) : data_(data), size_(size), step_(step) {}
  long Read(unsigned char* buffer, size_t size) override {
    const size_t n = std::min({size, step_, size_ - pos_});
    std::memcpy(buffer, data_ + pos_, n);
    pos_ += n;
    return static_cast<long>(n);
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t step_;
  size_t pos_ = 0;
};

class NullOutput : public rar::unpack::UnpackedOutput {
 public:
  bool Write(const unsigned char*, size_t size) override {
    total += size;
    return true;
  }
  int Failure() const override { return 12; }
  uint64_t total = 0;
};

inline void Run(const uint8_t* data, size_t size, const unsigned* versions, unsigned version_count) {
  if (size < 7) return;
  const unsigned flags = data[0];
  rar::unpack::MemberParams p;
  p.version = versions[((flags >> 1) & 3) % version_count];
  p.dictionary = uint64_t{1} << (16 + data[1] % 4);
  p.unp_size = (data[2] | (data[3] << 8) | (uint32_t{data[4]} << 16)) % (3u << 16);
  p.unp_size_known = !(flags & 8);
  const size_t step = 1 + (flags >> 4) * 37;
  const size_t split = (flags & 1) ? std::min<size_t>(size - 7, data[5] | (data[6] << 8)) : size - 7;
  data += 7;
  size -= 7;

  auto d = rar::unpack::MakeDecoder(p.version);
  if (!d) __builtin_trap();
  SpanInput first(data, split, step);
  NullOutput out;
  const int code = d->Decode(first, out, p);
  if (code != 0 && code != 12) __builtin_trap();
  if (p.unp_size_known && out.total > p.unp_size) __builtin_trap();
  if (!(flags & 1)) return;
  p.solid = true;
  p.unp_size /= 2;
  SpanInput second(data + split, size - split, step);
  NullOutput out2;
  const int code2 = d->Decode(second, out2, p);
  if (code2 != 0 && code2 != 12) __builtin_trap();
  if (p.unp_size_known && out2.total > p.unp_size) __builtin_trap();
}

}  // namespace oldfuzz
