// The packed bits of one member, most significant bit first, read through a
// buffer that is refilled from the member's input. The buffer is always
// followed by zeros, so that a peek never leaves it; running past the real
// data is noticed by the caller through Overrun().
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "unrar/unpack/decoder.h"

namespace rar::unpack::rar29 {

class BitReader {
 public:
  // Bytes kept readable past the position while the input has more.
  static constexpr size_t kAhead = 64;

  void Start(PackedInput* in) {
    in_ = in;
    pos_ = fill_ = 0;
    bit_ = 0;
    eof_ = false;
    border_ = 0;
    std::memset(buf_, 0, kPad);
    Refill();
  }

  // True when fewer than kAhead bytes are known to be ahead; Refill() then.
  bool Low() const { return pos_ > border_; }
  // Call before each item read (a symbol with its extra bits, at most 56
  // bytes): false once the data has run out.
  bool Ensure() {
    if (pos_ <= border_) return true;
    Refill();
    return !Overrun();
  }

  void Refill() {
    if (!eof_ && pos_ <= fill_) {
      const size_t keep = fill_ - pos_;
      std::memmove(buf_, buf_ + pos_, keep);
      fill_ = keep;
      pos_ = 0;
      while (fill_ < kCapacity) {
        const long n = in_->Read(buf_ + fill_, kCapacity - fill_);
        // A read error ends the data like its end: what is there may be enough.
        if (n <= 0) {
          eof_ = true;
          break;
        }
        fill_ += static_cast<size_t>(n);
      }
      std::memset(buf_ + fill_, 0, kPad);
    }
    // Near the end every symbol is checked, so that one read from the zeros
    // after the data is noticed before its output is kept.
    border_ = eof_ ? (fill_ > 8 ? fill_ - 8 : 0) : fill_ - kAhead;
  }

  // The next 64 bits, the first of them in the top bit.
  uint64_t Peek() const {
    uint64_t v;
    std::memcpy(&v, buf_ + pos_, 8);
#if defined(__GNUC__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    v = __builtin_bswap64(v);
#else
    const unsigned char* p = buf_ + pos_;
    v = 0;
    for (int i = 0; i < 8; ++i) v = (v << 8) | p[i];
#endif
    return v << bit_;
  }
  uint32_t Peek16() const {
    const unsigned char* p = buf_ + pos_;
    const uint32_t v = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
    return (v >> (8 - bit_)) & 0xFFFF;
  }
  void Skip(unsigned bits) {
    bit_ += bits;
    pos_ += bit_ >> 3;
    bit_ &= 7;
  }
  // Up to 16 bits.
  uint32_t Get(unsigned bits) {
    const uint32_t v = Peek16() >> (16 - bits);
    Skip(bits);
    return v;
  }
  void AlignToByte() {
    if (bit_ != 0) Skip(8 - bit_);
  }

  // Byte-aligned reading for the context model; -1 at the end of the data.
  int GetByte() {
    if (pos_ >= fill_) {
      Refill();
      if (pos_ >= fill_) return -1;
    }
    return buf_[pos_++];
  }

  // The position went past the last byte of the member's data.
  bool Overrun() const { return eof_ && (pos_ > fill_ || (pos_ == fill_ && bit_ != 0)); }
  // Bits certainly left before the end; a large number while more may come.
  uint64_t BitsLeft() const {
    if (!eof_) return UINT64_MAX;
    if (Overrun()) return 0;
    return (uint64_t{fill_} - pos_) * 8 - bit_;
  }

 private:
  static constexpr size_t kCapacity = size_t{1} << 16;
  static constexpr size_t kPad = 64;

  PackedInput* in_ = nullptr;
  size_t pos_ = 0;
  unsigned bit_ = 0;
  size_t fill_ = 0;
  size_t border_ = 0;
  bool eof_ = false;
  unsigned char buf_[kCapacity + kPad];
};

}  // namespace rar::unpack::rar29
