// The decoder of unpack versions 29 and 36: an LZ stream with prefix codes,
// filters over blocks of its output, and blocks coded by a context model
// (PPMd, variant H) that the stream switches to and back. All state lives
// in one object, so that a member of a solid set goes on from the last.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "unrar/unpack/decoder.h"
#include "unrar/unpack/ppmd_h.h"
#include "unrar/unpack/rar29_bits.h"
#include "unrar/unpack/rar29_filters.h"
#include "unrar/unpack/rar29_huffman.h"

namespace rar::unpack::rar29 {

// The model's bytes come from the same bits, byte-aligned. A few zeros are
// handed out after the end, since the range decoder may look ahead; the
// decoder notices them by overrun().
class ModelInput final : public ByteIn {
 public:
  void Attach(BitReader* bits) {
    bits_ = bits;
    overrun_ = 0;
  }
  int Get() override {
    const int b = bits_->GetByte();
    if (b >= 0) return b;
    return ++overrun_ > 8 ? -1 : 0;
  }
  bool overrun() const { return overrun_ != 0; }

 private:
  BitReader* bits_ = nullptr;
  unsigned overrun_ = 0;
};

class Rar29Decoder final : public Decoder {
 public:
  Rar29Decoder();
  ~Rar29Decoder() override;
  int Decode(PackedInput& in, UnpackedOutput& out, const MemberParams& params) override;

 private:
  // Why a decoding loop stopped.
  enum class Stop { kSwitch, kEndOfFile, kFull, kInputEnd, kError };
  static constexpr unsigned kTableSize = 299 + 60 + 17 + 28;
  // Room kept between the decoding position and unwritten output: more than
  // the longest match (287 bytes, in a model block).
  static constexpr uint64_t kMargin = 1024;
  static constexpr uint64_t kChunk = uint64_t{1} << 18;

  void ResetStream();
  bool ReserveWindow(uint64_t dictionary);
  int Run();
  Stop RunLz();
  Stop RunPpm();
  int Tail();
  int Finish();

  // Blocks and records (rar29_blocks.cpp).
  int ReadTables();
  int StartModelBlock();
  int ReadFilterLz();
  int ReadFilterModel();
  int AddFilter(unsigned first_byte, const uint8_t* body, size_t size);

  // Output (rar29_output.cpp).
  int Flush();
  bool WriteWindow(uint64_t from, uint64_t to);
  void CopyFromWindow(uint64_t from, uint32_t size, uint8_t* to) const;
  void SetLimit();
  bool Copy(uint64_t& pos, uint32_t length, uint64_t distance) {
    if (distance == 0 || distance > pos || distance > win_size_ || length > end_ - pos) return false;
    uint8_t* const win = window_.get();
    const size_t dst = static_cast<size_t>(pos & mask_);
    const size_t src = static_cast<size_t>((pos - distance) & mask_);
    pos += length;
    if (dst + length <= win_size_ && src + length <= win_size_) {
      uint8_t* d = win + dst;
      const uint8_t* s = win + src;
      size_t i = 0;
      if (distance >= 8) {
        for (; i + 8 <= length; i += 8) Move8(d + i, s + i);
      } else {
        // Short periods: the first 8 bytes one by one, then 8 at a time
        // from a whole number of periods back.
        for (; i < length && i < 8; ++i) d[i] = s[i];
        const size_t period = distance * ((7 + distance) / distance);
        for (; i + 8 <= length; i += 8) Move8(d + i, d + i - period);
      }
      for (; i < length; ++i) d[i] = s[i];
    } else {
      for (size_t i = 0; i < length; ++i) win[(dst + i) & mask_] = win[(src + i) & mask_];
    }
    return true;
  }
  // Reads before it writes: the two may overlap.
  static void Move8(uint8_t* to, const uint8_t* from) {
    uint64_t v;
    std::memcpy(&v, from, 8);
    std::memcpy(to, &v, 8);
  }
  Stop Fail(int code) {
    error_ = code;
    return Stop::kError;
  }

  // The window: the last win_size_ bytes of output by absolute position.
  std::unique_ptr<uint8_t[]> window_;
  size_t win_size_ = 0;
  size_t mask_ = 0;
  uint64_t pos_ = 0;      // bytes decoded since the stream began
  uint64_t written_ = 0;  // of those, bytes handed to the output
  uint64_t member_start_ = 0;
  uint64_t end_ = 0;      // where this member's output ends
  uint64_t limit_ = 0;    // where the loops stop to write out
  bool size_known_ = true;

  // LZ state.
  uint32_t old_dist_[4] = {};
  uint32_t last_length_ = 0;
  uint32_t prev_low_dist_ = 0;
  uint32_t low_dist_repeat_ = 0;
  uint8_t old_lengths_[kTableSize] = {};
  bool tables_read_ = false;
  HuffTable main_, dist_, low_dist_, repeat_;

  // Context model state.
  bool model_block_ = false;
  bool model_ready_ = false;
  int escape_ = 2;
  PpmdH model_;
  ModelInput model_in_;

  FilterSet filters_;
  std::unique_ptr<uint8_t[]> filter_mem_;

  BitReader bits_;
  UnpackedOutput* out_ = nullptr;
  int error_ = 0;
  bool started_ = false;
  bool broken_ = false;
};

}  // namespace rar::unpack::rar29
