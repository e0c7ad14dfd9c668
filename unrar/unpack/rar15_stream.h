// The bit input and the sliding window that the decoders of unpack versions
// 15, 20 and 26 share: codes are read most significant bit first, and the
// unpacked bytes live in a power-of-two ring that is written out in large
// pieces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "unrar/rar_codes.h"
#include "unrar/unpack/decoder.h"

namespace rar::unpack::old {

class BitInput {
 public:
  // Bytes kept ahead of the read position while more input may come; one
  // symbol with all its extra bits takes far less.
  static constexpr size_t kAhead = 64;

  BitInput();
  // Starts on a member's packed bytes (each member starts on a byte).
  void Start(PackedInput* in);

  // The next 16 bits without taking them; zeros past the end of the data.
  uint32_t Peek16() const {
    const unsigned char* q = buf_.data() + pos_;
    const uint32_t v = (uint32_t{q[0]} << 24) | (uint32_t{q[1]} << 16) | (uint32_t{q[2]} << 8) | q[3];
    return (v << bit_) >> 16;
  }
  void Skip(unsigned n) {
    bit_ += n;
    pos_ += bit_ >> 3;
    bit_ &= 7;
  }
  // Call before each symbol: refills when the read position comes near the
  // end of the buffer. False once more bits were taken than the input had.
  bool Ensure() { return pos_ < mark_ || Refill(); }
  bool Overrun() const { return eof_ && (pos_ > len_ || (pos_ == len_ && bit_ > 0)); }
  // Every whole byte taken (only meaningful after Ensure()).
  bool AtEnd() const { return eof_ && pos_ >= len_; }
  // The read position is within the last byte of the input (after Ensure()).
  bool InLastByte() const { return eof_ && pos_ + 1 >= len_; }
  // Whole bytes of input left after the read position (after Ensure()).
  size_t BytesLeft() const { return len_ > pos_ ? len_ - pos_ : 0; }

 private:
  bool Refill();

  PackedInput* in_ = nullptr;
  std::vector<unsigned char> buf_;
  size_t len_ = 0;   // valid bytes in buf_
  size_t pos_ = 0;   // byte of the read position
  unsigned bit_ = 0; // bit within it, 0 = most significant
  size_t mark_ = 0;  // Refill() is due from this byte on
  bool eof_ = false;
};

class Window {
 public:
  // Longest piece a single symbol adds; the window is written out before it
  // could overwrite bytes not yet written.
  static constexpr size_t kMaxStep = 512;

  // A ring of at least `dictionary` bytes (and 64 KB). With `keep`, the
  // bytes of the solid set so far stay (the ring only grows). False when
  // the memory cannot be had.
  bool Prepare(uint64_t dictionary, bool keep);

  uint64_t Pos() const { return pos_; }
  uint64_t Pending() const { return pos_ - written_; }
  bool NeedsFlush() const { return pos_ - written_ >= flush_at_; }
  // True when `distance` reaches back to a byte of this solid set that the
  // ring still holds (a whole ring back is the byte about to be replaced).
  bool Reaches(uint64_t distance) const { return distance != 0 && distance <= pos_ - base_ && distance <= mask_ + 1; }

  void Put(unsigned char c) { data_[pos_++ & mask_] = c; }
  // Takes back the bytes made since `pos` (not yet written out).
  void Rewind(uint64_t pos) { pos_ = pos; }
  // Copies `length` bytes from `distance` back; the caller checked Reaches().
  void Copy(size_t distance, size_t length);
  // Hands every byte not yet written to `out`; false when it refuses them.
  bool Flush(UnpackedOutput& out);

 private:
  std::unique_ptr<unsigned char[]> data_;
  size_t mask_ = 0;
  size_t flush_at_ = 0;
  uint64_t pos_ = 0;      // bytes made since the solid set began
  uint64_t base_ = 0;     // the oldest of them the ring holds
  uint64_t written_ = 0;  // of which handed out
};

// Whether the next member of a solid set may build on what the last one left.
enum class SetState { kFresh, kGood, kBroken };

// Starts a member on `win`: refuses a dictionary too large and a solid member
// whose predecessor did not end well, then prepares the window, keeping the
// set's bytes when the member builds on them. Returns kSuccess, with `solid`
// telling whether it does, or the member's result. Until the member ends
// well `state` stays kBroken, so that the next may not build on it.
int BeginMember(Window& win, SetState& state, const MemberParams& params, bool& solid);

// The symbol loop both old families share: `step` decodes one symbol into
// the window (false for data that does not decode) until the member's end.
// Without a known size the data ends where its bits do: the unused bits of
// the last byte make no symbol, or one that needs more bits, and whatever
// such a step made is taken back. Returns kSuccess, kBadData or
// out.Failure(); the window is written out to its end on success.
template <class Step>
int DecodeSymbols(BitInput& bits, Window& win, uint64_t limit, bool known, UnpackedOutput& out, Step step) {
  bool ended = false;
  while (win.Pos() < limit) {
    if (!bits.Ensure()) return kBadData;
    if (!known && bits.AtEnd()) break;
    if (win.NeedsFlush() && !win.Flush(out)) return out.Failure();
    if (known || !bits.InLastByte()) {
      if (!step()) return kBadData;
      continue;
    }
    const uint64_t before = win.Pos();
    if (!step() || bits.Overrun()) {
      win.Rewind(before);
      ended = true;
      break;
    }
  }
  if (!ended && bits.Overrun()) return kBadData;
  if (!win.Flush(out)) return out.Failure();
  return kSuccess;
}

}  // namespace rar::unpack::old
