// The packed bytes of one member as a stream of bits, first bit highest,
// read through a buffer that is refilled in large pieces. Positions are in
// bits from the buffer's start. The buffer is followed by zeros, so a step
// that reads a little past the data stays in memory; whether it went past
// the block it belongs to is the caller's check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "unrar/unpack/big_endian.h"
#include "unrar/unpack/decoder.h"

namespace rar::unpack::rar50 {

// The next 57 or more bits at bit position `bit`, in the highest bits.
inline uint64_t Peek64(const unsigned char* data, size_t bit) {
  return LoadBigEndian64(data + (bit >> 3)) << (bit & 7);
}

// The next n bits (1..57) as a number.
inline uint64_t PeekBits(const unsigned char* data, size_t bit, unsigned n) { return Peek64(data, bit) >> (64 - n); }

class BitInput {
 public:
  static constexpr size_t kBufferSize = size_t{1} << 16;
  // Zeros after the data: more than one step reads past its position.
  static constexpr size_t kPadding = 64;
  // The most bytes one decoding step reads from its start position (the
  // longest step is a filter record after its symbol, plus the 8-byte load).
  static constexpr size_t kStepBytes = 32;

  // storage: kBufferSize + kPadding bytes, kept by the caller from member
  // to member. Only the padding after the data needs zeros, and Refill puts
  // them there.
  BitInput(PackedInput& in, unsigned char* storage) : in_(in), data_(storage) {}

  const unsigned char* data() const { return data_; }
  uint64_t Absolute(size_t bit) const { return base_ * 8 + bit; }
  size_t Relative(uint64_t absolute_bit) const { return static_cast<size_t>(absolute_bit - base_ * 8); }
  bool eof() const { return eof_; }

  // The end of the current block, in absolute bits. A block the input
  // cannot hold in full makes the next refill fail.
  void SetBlockEnd(uint64_t absolute_bit) { block_end_ = absolute_bit; }
  uint64_t block_end() const { return block_end_; }

  // Where steps may start without a refill: the block's end, or the last
  // position with a whole step of real data after it.
  size_t Limit() const {
    const uint64_t block = block_end_ - base_ * 8;
    if (eof_) return static_cast<size_t>(block);
    const uint64_t safe = end_ > kStepBytes ? uint64_t{end_ - kStepBytes} * 8 : 0;
    return static_cast<size_t>(block < safe ? block : safe);
  }

  // Keeps what is left from bit's byte on and reads more. False when the
  // input ended before the current block does.
  bool Refill() {
    const size_t from = bit >> 3;
    if (from > end_) return false;
    if (!eof_) {
      std::memmove(data_, data_ + from, end_ - from);
      end_ -= from;
      base_ += from;
      bit -= from * 8;
      while (end_ < kBufferSize) {
        const long n = in_.Read(data_ + end_, kBufferSize - end_);
        if (n <= 0) {
          eof_ = true;
          std::memset(data_ + end_, 0, kPadding);
          break;
        }
        end_ += static_cast<size_t>(n);
      }
    }
    return BlockFits();
  }

  // A whole step can be read from bit (real data or the zeros after it),
  // and the input holds the current block.
  bool Ensure() {
    if (!eof_ && (bit >> 3) + kStepBytes > end_) return Refill();
    return BlockFits();
  }

  // True when the member has no packed bytes at all.
  bool Empty() {
    if (!eof_ && end_ == 0) Refill();
    return eof_ && end_ == 0 && base_ == 0;
  }

  // Moves to a byte position at or after the current one and makes `bytes`
  // bytes there available; false when the input has fewer.
  bool SeekByte(uint64_t absolute_byte, size_t bytes) {
    if (absolute_byte * 8 < Absolute(bit) || absolute_byte - base_ > end_) return false;
    bit = static_cast<size_t>(absolute_byte - base_) * 8;
    if (!eof_ && (bit >> 3) + kStepBytes > end_) Refill();
    return (bit >> 3) + bytes <= end_;
  }

  size_t bit = 0;

 private:
  bool BlockFits() const { return !eof_ || block_end_ <= (base_ + end_) * 8; }

  PackedInput& in_;
  unsigned char* data_;
  size_t end_ = 0;
  uint64_t base_ = 0;
  bool eof_ = false;
  uint64_t block_end_ = 0;
};

}  // namespace rar::unpack::rar50
