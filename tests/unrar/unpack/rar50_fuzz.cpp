// Any bytes as packed data of the decoder of unpack versions 50 and 70.
// The first 8 bytes choose the members' parameters:
//   0: bit 0 version 70, bit 1 sizes unknown, bits 2-3 dictionary 128 KB << n,
//      bit 5 the data is two members, the second solid with the first,
//      bit 6 the input comes in pieces of 1..16 bytes
//   1-3, 4-6: unpacked sizes of the members, little-endian, at most 256 KB
//   7: where the data splits into two members, in 256ths; piece size
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "unrar/unpack/decoder.h"

namespace {

class Input : public rar::unpack::PackedInput {
 public:
  Input(const uint8_t* data, size_t size, size_t step) : data_(data), size_(size), step_(step) {}
  long Read(unsigned char* buffer, size_t size) override {
    size_t n = size_ - pos_;
    if (n > size) n = size;
    if (n > step_) n = step_;
    std::memcpy(buffer, data_ + pos_, n);
    pos_ += n;
    return static_cast<long>(n);
  }

 private:
  const uint8_t* data_;
  size_t size_, step_, pos_ = 0;
};

// Keeps nothing; stops a stream of unknown size after a megabyte so that
// one input stays fast.
class Output : public rar::unpack::UnpackedOutput {
 public:
  bool Write(const unsigned char* data, size_t size) override {
    if (size > 0) sum_ += data[0] + data[size - 1];
    total_ += size;
    return total_ <= (size_t{1} << 20);
  }
  int Failure() const override { return 19; }

 private:
  size_t total_ = 0;
  unsigned sum_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  const unsigned flags = data[0];
  rar::unpack::MemberParams p;
  p.version = (flags & 1) ? 70 : 50;
  p.unp_size_known = (flags & 2) == 0;
  // Without a known size the window fills (at least 4 MB) before the first
  // write, so larger dictionaries would only make inputs slow.
  p.dictionary = uint64_t{128 * 1024} << ((flags >> 2) & 3);
  p.unp_size = (data[1] | data[2] << 8 | data[3] << 16) & 0x3FFFF;
  const uint64_t second_size = (data[4] | data[5] << 8 | data[6] << 16) & 0x3FFFF;
  const size_t step = (flags & 0x40) ? 1 + (data[7] & 15) : size;
  data += 8;
  size -= 8;
  size_t first = size;
  if (flags & 0x20) first = size * data[-1] / 256;

  auto decoder = rar::unpack::MakeDecoder(p.version);
  Input in(data, first, step);
  Output out;
  const int rc = decoder->Decode(in, out, p);
  if (flags & 0x20) {
    p.solid = true;
    p.unp_size = second_size;
    Input rest(data + first, size - first, step);
    Output out2;
    const int rc2 = decoder->Decode(rest, out2, p);
    // A solid member after a failed one has nothing to go on from.
    if (rc != 0 && rc2 == 0) __builtin_trap();
  }
  return 0;
}
