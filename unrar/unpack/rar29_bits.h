// The packed bits of one member, most significant bit first, read through a
// buffer that is refilled from the member's input. The buffer is always
// followed by zeros, so that a peek never leaves it; running past the real
// data is noticed by the caller through Overrun().
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "unrar/unpack/big_endian.h"
#include "unrar/unpack/decoder.h"

namespace rar::unpack::rar29 {

// A position in the buffer. The decoding loops keep a copy in locals (so
// that it stays in registers while they write the window) and hand it back
// before anything else reads.
struct BitCursor {
  const unsigned char* p;
  unsigned bit;

  // The next 64 bits, the first of them in the top bit.
  uint64_t Peek() const {
    return LoadBigEndian64(p) << bit;
  }
  uint32_t Peek16() const { return static_cast<uint32_t>(Peek() >> 48); }
  void Skip(unsigned bits) {
    bit += bits;
    p += bit >> 3;
    bit &= 7;
  }
  // Up to 16 bits.
  uint32_t Get(unsigned bits) {
    const uint32_t v = Peek16() >> (16 - bits);
    Skip(bits);
    return v;
  }
};

// The same position with the next bits held in a register: the hot loop's
// reader. Refill() makes at least 56 bits available; it loads from up to 8
// bytes past the position, which the buffer's zeros cover.
struct FastBits {
  uint64_t buf = 0;
  unsigned avail = 0;
  const unsigned char* p = nullptr;  // the byte after the last one in buf

  explicit FastBits(BitCursor c) : p(c.p) {
    Refill();
    buf <<= c.bit;
    avail -= c.bit;
  }
  BitCursor cursor() const {
    const unsigned behind = avail + 7;  // whole bytes not yet consumed, rounded up
    return {p - behind / 8, (8 - avail % 8) % 8};
  }
  void Refill() {
    buf |= LoadBigEndian64(p) >> avail;
    p += (63 - avail) >> 3;
    avail |= 56;
  }
  uint32_t Peek16() const { return static_cast<uint32_t>(buf >> 48); }
  void Skip(unsigned bits) {
    buf <<= bits;
    avail -= bits;
  }
  // 1 to 16 bits.
  uint32_t Get(unsigned bits) {
    const uint32_t v = static_cast<uint32_t>(buf >> (64 - bits));
    Skip(bits);
    return v;
  }
};

class BitReader {
 public:
  // Bytes kept readable past the position while the input has more.
  static constexpr size_t kAhead = 64;

  void Start(PackedInput* in) {
    in_ = in;
    c_ = {buf_, 0};
    fill_ = 0;
    eof_ = false;
    std::memset(buf_, 0, kPad);
    Refill();
  }

  BitCursor cursor() const { return c_; }
  void set_cursor(BitCursor c) { c_ = c; }
  // Past this the loops call Refill() before their next item.
  const unsigned char* border() const { return border_; }

  // True when fewer than kAhead bytes are known to be ahead; Refill() then.
  bool Low() const { return c_.p > border_; }
  // Call before each item read (a symbol with its extra bits, at most 56
  // bytes): false once the data has run out.
  bool Ensure() {
    if (c_.p <= border_) return true;
    Refill();
    return !Overrun();
  }

  void Refill() {
    size_t pos = static_cast<size_t>(c_.p - buf_);
    if (!eof_ && pos <= fill_) {
      const size_t keep = fill_ - pos;
      std::memmove(buf_, buf_ + pos, keep);
      fill_ = keep;
      pos = 0;
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
      c_.p = buf_;
    }
    // Near the end every item is checked, so that one read from the zeros
    // after the data is noticed before its output is kept.
    border_ = buf_ + (eof_ ? (fill_ > 8 ? fill_ - 8 : 0) : fill_ - kAhead);
  }

  uint64_t Peek() const { return c_.Peek(); }
  uint32_t Peek16() const { return c_.Peek16(); }
  void Skip(unsigned bits) { c_.Skip(bits); }
  uint32_t Get(unsigned bits) { return c_.Get(bits); }
  void AlignToByte() {
    if (c_.bit != 0) c_.Skip(8 - c_.bit);
  }

  // Byte-aligned reading for the context model; -1 at the end of the data.
  int GetByte() {
    if (c_.p >= buf_ + fill_) {
      Refill();
      if (c_.p >= buf_ + fill_) return -1;
    }
    return *c_.p++;
  }

  // The position went past the last byte of the member's data.
  bool Overrun() const {
    const unsigned char* end = buf_ + fill_;
    return eof_ && (c_.p > end || (c_.p == end && c_.bit != 0));
  }
  // Bits certainly left before the end; a large number while more may come.
  uint64_t BitsLeft() const {
    if (!eof_) return UINT64_MAX;
    if (Overrun()) return 0;
    return static_cast<uint64_t>(buf_ + fill_ - c_.p) * 8 - c_.bit;
  }

 private:
  static constexpr size_t kCapacity = size_t{1} << 16;
  static constexpr size_t kPad = 64;

  PackedInput* in_ = nullptr;
  BitCursor c_{nullptr, 0};
  size_t fill_ = 0;
  const unsigned char* border_ = nullptr;
  bool eof_ = false;
  unsigned char buf_[kCapacity + kPad];
};

}  // namespace rar::unpack::rar29
