// Any bytes as the packed data of one or two members for the decoder of
// unpack versions 29 and 36. A short prefix sets the parameters:
//   byte 0: bit 0 version 36 (else 29), bit 1 two members (the second
//           solid), bit 2 size unknown
//   byte 1: dictionary, 64 KiB << (value & 7) (at most 4 MiB)
//   bytes 2-4: unpacked size of each member, little-endian, up to 64 KiB
//   bytes 5-6: with two members, the packed size of the first
// Output is counted, not kept, and cut off after 1 MiB (when the size is
// unknown) so that every input stays fast.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "unrar/rar_codes.h"
#include "unrar/unpack/decoder.h"

namespace {

class BytesInput : public rar::unpack::PackedInput {
 public:
  BytesInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  long Read(unsigned char* buffer, size_t size) override {
    // Odd pieces, so that the input's edges move around.
    const size_t n = std::min({size, size_ - pos_, size_t{4093}});
    std::memcpy(buffer, data_ + pos_, n);
    pos_ += n;
    return static_cast<long>(n);
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

class CountingOutput : public rar::unpack::UnpackedOutput {
 public:
  bool Write(const unsigned char* data, size_t size) override {
    // Touch what is written, so that reads of bad memory show.
    for (size_t i = 0; i < size; i += 4096) sum_ += data[i];
    total_ += size;
    return total_ <= (size_t{1} << 20);
  }
  int Failure() const override { return rar::kWriteError; }

 private:
  size_t total_ = 0;
  unsigned sum_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 7) return 0;
  rar::unpack::MemberParams p;
  p.version = (data[0] & 1) ? 36 : 29;
  const bool two = (data[0] & 2) != 0;
  p.unp_size_known = (data[0] & 4) == 0;
  p.dictionary = uint64_t{64 * 1024} << std::min(data[1] & 7, 6);
  p.unp_size = (data[2] | (data[3] << 8) | (data[4] << 16)) & 0xFFFF;
  const size_t first = two ? std::min<size_t>(data[5] | (data[6] << 8), size - 7) : size - 7;
  const uint8_t* packed = data + 7;

  auto decoder = rar::unpack::MakeDecoder(p.version);
  BytesInput in1(packed, first);
  CountingOutput out1;
  const int r = decoder->Decode(in1, out1, p);
  if (two) {
    p.solid = true;
    BytesInput in2(packed + first, size - 7 - first);
    CountingOutput out2;
    const int r2 = decoder->Decode(in2, out2, p);
    // After a failure the decoder must refuse to go on.
    if (r != rar::kSuccess && r2 != rar::kBadData) __builtin_trap();
  }
  return 0;
}
