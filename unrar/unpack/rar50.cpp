// The decoder of unpack versions 50 and 70: LZ with prefix codes sent per
// block, four recent distances, and filters over ranges of the output.
// Version 70 only has more distance codes (larger dictionaries).
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <cstdint>

#include "unrar/rar_codes.h"
#include "unrar/unpack/families.h"
#include "unrar/unpack/rar50_bits.h"
#include "unrar/unpack/rar50_filters.h"
#include "unrar/unpack/rar50_huffman.h"
#include "unrar/unpack/rar50_window.h"

namespace rar::unpack {

namespace {

using rar50::BitInput;
using rar50::Huffman;
using rar50::PeekBits;
using rar50::Window;

constexpr unsigned kMainCodes = 306;  // 256 bytes, filter, repeat, 4 old distances, 44 lengths
constexpr unsigned kLengthCodes = 44;
constexpr unsigned kAlignCodes = 16;
constexpr unsigned kLevelCodes = 20;
constexpr unsigned kMaxDistCodes = 80;

unsigned DistCodes(unsigned version) { return version == 70 ? 80 : 64; }

// Windows below this keep any filter range whole.
constexpr uint64_t kMinWindow = uint64_t{4} << 20;
constexpr uint64_t kWindowExtra = 16 * 1024;

struct BlockHeader {
  uint64_t next = 0;     // absolute byte of the next header
  uint64_t end_bit = 0;  // absolute bit where this block's data ends
  bool last = false;
  bool tables = false;
};

class Rar50Decoder final : public Decoder {
 public:
  int Decode(PackedInput& in, UnpackedOutput& out, const MemberParams& params) override {
    const int rc = DecodeMember(in, out, params);
    can_continue_ = rc == kSuccess;
    return rc;
  }

 private:
  int DecodeMember(PackedInput& packed, UnpackedOutput& out, const MemberParams& params);
  int Prepare(const MemberParams& params);
  static int ReadBlockHeader(BitInput& in, uint64_t at, BlockHeader& block);
  int ReadTables(BitInput& in, unsigned dist_codes);
  int DecodeBlock(BitInput& in, UnpackedOutput& out, unsigned dist_codes);

  Window window_;
  Huffman main_, dist_, align_, length_, levels_;
  bool tables_read_ = false;
  unsigned tables_dist_codes_ = 0;
  uint64_t old_dist_[4] = {};
  uint32_t last_length_ = 0;
  bool can_continue_ = false;
  std::unique_ptr<unsigned char[]> input_;
};

int Rar50Decoder::Prepare(const MemberParams& p) {
  if (p.dictionary > kMaxDictionary) return kNoMemory;
  uint64_t size = std::max<uint64_t>(p.dictionary, kMinWindow) + kWindowExtra;
  if (!p.solid) {
    // A member that fits a smaller window gets one; a solid successor grows it.
    if (p.unp_size_known && p.unp_size < size) {
      const uint64_t fit = p.unp_size + kWindowExtra + 2 * Window::kSpanMargin;
      size = std::min(size, (fit + 0xFFFF) & ~uint64_t{0xFFFF});
    }
    if (const int rc = window_.Reset(static_cast<size_t>(size)); rc != kSuccess) return rc;
    tables_read_ = false;
    std::fill(old_dist_, old_dist_ + 4, 0);
    last_length_ = 0;
    return kSuccess;
  }
  return window_.Grow(static_cast<size_t>(size));
}

int Rar50Decoder::DecodeMember(PackedInput& packed, UnpackedOutput& out, const MemberParams& p) {
  if (p.version != 50 && p.version != 70) return kBadData;
  if (p.solid && !can_continue_) return kBadData;
  can_continue_ = false;
  if (const int rc = Prepare(p); rc != kSuccess) return rc;
  const unsigned dist_codes = DistCodes(p.version);
  // Tables of the other version's shape cannot be reused.
  if (tables_read_ && tables_dist_codes_ != dist_codes) tables_read_ = false;
  window_.StartMember(p.unp_size_known ? p.unp_size : UINT64_MAX);

  if (!input_) {
    input_.reset(new (std::nothrow) unsigned char[BitInput::kBufferSize + BitInput::kPadding]);
    if (!input_) return kNoMemory;
  }
  BitInput in(packed, input_.get());
  // An empty file may come without any packed data.
  if (p.unp_size_known && p.unp_size == 0 && in.Empty()) return window_.Finish(out);
  BlockHeader block;
  uint64_t at = 0;
  for (;;) {
    if (const int rc = ReadBlockHeader(in, at, block); rc != kSuccess) return rc;
    in.SetBlockEnd(block.end_bit);
    if (!in.Ensure()) return kBadData;
    if (block.tables) {
      if (const int rc = ReadTables(in, dist_codes); rc != kSuccess) return rc;
    }
    if (!tables_read_) return kBadData;
    if (const int rc = DecodeBlock(in, out, dist_codes); rc != kSuccess) return rc;
    if (block.last) break;
    at = block.next;
  }
  return window_.Finish(out);
}

int Rar50Decoder::ReadBlockHeader(BitInput& in, uint64_t at, BlockHeader& block) {
  if (!in.SeekByte(at, 2)) return kBadData;
  const unsigned char* p = in.data() + (in.bit >> 3);
  const unsigned flags = p[0];
  const unsigned size_bytes = ((flags >> 3) & 3) + 1;
  if (size_bytes == 4) return kBadData;
  if (!in.SeekByte(at, 2 + size_bytes)) return kBadData;
  p = in.data() + (in.bit >> 3);
  uint32_t size = 0;
  unsigned check = 0x5A ^ flags;
  for (unsigned i = 0; i < size_bytes; ++i) {
    size |= uint32_t{p[2 + i]} << (8 * i);
    check ^= p[2 + i];
  }
  if (check != p[1]) return kBadData;
  const uint64_t start = at + 2 + size_bytes;
  block.next = start + size;
  // The last byte holds 1..8 bits of the block.
  block.end_bit = size == 0 ? start * 8 : (start + size - 1) * 8 + (flags & 7) + 1;
  block.last = (flags & 0x40) != 0;
  block.tables = (flags & 0x80) != 0;
  in.bit += (2 + size_bytes) * 8;
  return kSuccess;
}

int Rar50Decoder::ReadTables(BitInput& in, unsigned dist_codes) {
  const unsigned char* data = in.data();
  size_t bit = in.bit;
  // The code lengths of the code lengths: 4 bits each, 15 then 0 for a
  // real 15, 15 then n for a run of n + 2 zeros.
  unsigned char level[kLevelCodes];
  for (unsigned i = 0; i < kLevelCodes;) {
    const unsigned len = static_cast<unsigned>(PeekBits(data, bit, 4));
    bit += 4;
    if (len != 15) {
      level[i++] = static_cast<unsigned char>(len);
      continue;
    }
    unsigned zeros = static_cast<unsigned>(PeekBits(data, bit, 4));
    bit += 4;
    if (zeros == 0) {
      level[i++] = 15;
      continue;
    }
    for (zeros += 2; zeros > 0 && i < kLevelCodes; --zeros) level[i++] = 0;
  }
  Huffman& levels = levels_;
  if (!levels.Build(level, kLevelCodes, 8)) return kBadData;

  const unsigned count = kMainCodes + dist_codes + kAlignCodes + kLengthCodes;
  unsigned char lengths[kMainCodes + kMaxDistCodes + kAlignCodes + kLengthCodes];
  for (unsigned i = 0; i < count;) {
    in.bit = bit;
    if (in.Absolute(bit) > in.block_end() || !in.Ensure()) return kBadData;
    data = in.data();
    bit = in.bit;
    unsigned used;
    const unsigned sym = levels.Decode(static_cast<uint32_t>(PeekBits(data, bit, 16)), used);
    if (sym == rar50::kNoSymbol) return kBadData;
    bit += used;
    if (sym < 16) {
      lengths[i++] = static_cast<unsigned char>(sym);
      continue;
    }
    // 16, 17: repeat the previous length; 18, 19: zeros. The even one
    // counts 3..10 in 3 bits, the odd one 11..138 in 7 bits.
    const bool short_run = (sym & 1) == 0;
    unsigned run = short_run ? 3 + static_cast<unsigned>(PeekBits(data, bit, 3))
                             : 11 + static_cast<unsigned>(PeekBits(data, bit, 7));
    bit += short_run ? 3 : 7;
    unsigned char value = 0;
    if (sym < 18) {
      if (i == 0) return kBadData;
      value = lengths[i - 1];
    }
    for (; run > 0 && i < count; --run) lengths[i++] = value;
  }
  in.bit = bit;
  if (in.Absolute(bit) > in.block_end()) return kBadData;
  tables_read_ = false;
  if (!main_.Build(lengths, kMainCodes, 11) || !dist_.Build(lengths + kMainCodes, dist_codes, 10) ||
      !align_.Build(lengths + kMainCodes + dist_codes, kAlignCodes, 7) ||
      !length_.Build(lengths + kMainCodes + dist_codes + kAlignCodes, kLengthCodes, 9)) {
    return kBadData;
  }
  tables_read_ = true;
  tables_dist_codes_ = dist_codes;
  return kSuccess;
}

// In 16-byte pieces, so up to 15 bytes past the end: the window has room
// after it, and those bytes are neither history nor yet to be written.
// Forward, so a source less than 16 bytes back would read its own output.
inline void CopyPieces(unsigned char* d, const unsigned char* s, size_t n) {
  for (size_t i = 0; i < n; i += 16) std::memcpy(d + i, s + i, 16);
}

// 2..4097 from a length slot and its extra bits.
inline uint32_t SlotToLength(unsigned slot, const unsigned char* data, size_t& bit) {
  if (slot < 8) return slot + 2;
  const unsigned extra = slot / 4 - 1;
  uint32_t length = 2 + ((4 | (slot & 3)) << extra);
  length += static_cast<uint32_t>(PeekBits(data, bit, extra));
  bit += extra;
  return length;
}

// 1..4 bytes, lowest first, their count in 2 bits before them.
inline uint32_t ReadFilterNumber(const unsigned char* data, size_t& bit) {
  const unsigned bytes = static_cast<unsigned>(PeekBits(data, bit, 2)) + 1;
  bit += 2;
  uint32_t value = 0;
  for (unsigned i = 0; i < bytes; ++i) {
    value |= static_cast<uint32_t>(PeekBits(data, bit, 8)) << (8 * i);
    bit += 8;
  }
  return value;
}

int Rar50Decoder::DecodeBlock(BitInput& in, UnpackedOutput& out, unsigned dist_codes) {
  // The hot state lives in locals: stores through the window's byte
  // pointer would otherwise make the compiler reload every member.
  const unsigned char* data = in.data();
  size_t bit = in.bit;
  size_t limit = in.Limit();
  unsigned char* const win = window_.data();
  const size_t wsize = window_.size();
  size_t pos = window_.pos;
  uint64_t total = window_.total;
  uint64_t flush_at = window_.FlushPoint();
  const uint64_t valid_from = total - window_.History();
  const uint64_t max_back = wsize - Window::kGuard;
  uint64_t bits = 0;   // the next `ahead` bits from `bit` on, highest first
  unsigned ahead = 0;

  auto copy = [&](size_t length, uint64_t dist) -> bool {
    if (dist == 0 || dist > max_back || dist > total - valid_from) return false;
    const size_t back = static_cast<size_t>(dist);
    size_t src = pos >= back ? pos - back : pos + wsize - back;
    if (pos + length <= wsize && src + length <= wsize) {
      unsigned char* d = win + pos;
      const unsigned char* s = win + src;
      if (back >= 64 || src > pos) {
        CopyPieces(d, s, length);
      } else if (back == 1) {
        std::memset(d, *s, length);
      } else {
        // A short period: its first repeats are built from `back` bytes
        // back, the rest from a multiple of 16 back, where each 16-byte
        // load matches one earlier store instead of straddling two.
        const size_t lowest = back & (~back + 1);
        const size_t period = back * (16 / (lowest < 16 ? lowest : 16));
        const size_t seed = period < length ? period : length;
        if (back >= 16) {
          CopyPieces(d, s, seed);
        } else {
          for (size_t i = 0; i < seed; ++i) d[i] = s[i];
        }
        if (length > seed) CopyPieces(d + seed, d + seed - period, length - seed);
      }
      pos += length;
      if (pos == wsize) pos = 0;
    } else {
      for (size_t i = 0; i < length; ++i) {
        win[pos] = win[src];
        if (++pos == wsize) pos = 0;
        if (++src == wsize) src = 0;
      }
    }
    total += length;
    return true;
  };
  auto sync = [&] {
    in.bit = bit;
    window_.pos = pos;
    window_.total = total;
  };

  for (;;) {
    if (bit >= limit) {
      sync();
      if (in.Absolute(bit) >= in.block_end()) {
        // A step that ends past the block took bits that are not its own.
        return in.Absolute(bit) == in.block_end() ? kSuccess : kBadData;
      }
      if (!in.Refill()) return kBadData;
      data = in.data();
      bit = in.bit;
      limit = in.Limit();
      ahead = 0;
      continue;
    }
    if (total >= flush_at) {
      sync();
      if (const int rc = window_.Flush(out); rc != kSuccess) return rc;
      flush_at = window_.FlushPoint();
      continue;
    }

    // Runs of literals read from bits kept in a register, so that the next
    // code does not wait for a load; everything else reads from memory.
    if (ahead < 16) {
      bits = rar50::Peek64(data, bit);
      ahead = 57;
    }
    unsigned used;
    const unsigned sym = main_.Decode(static_cast<uint32_t>(bits >> 48), used);
    bit += used;
    if (sym < 256) {
      bits <<= used;
      ahead -= used;
      win[pos] = static_cast<unsigned char>(sym);
      if (++pos == wsize) pos = 0;
      ++total;
      continue;
    }
    ahead = 0;
    if (sym >= kMainCodes) return kBadData;

    if (sym >= 262) {
      uint32_t length = SlotToLength(sym - 262, data, bit);
      const unsigned slot = dist_.Decode(static_cast<uint32_t>(PeekBits(data, bit, 16)), used);
      bit += used;
      if (slot >= dist_codes) return kBadData;
      uint64_t dist = 1;
      if (slot < 4) {
        dist += slot;
      } else {
        const unsigned extra = slot / 2 - 1;
        dist += uint64_t{2 | (slot & 1)} << extra;
        if (extra < 4) {
          dist += PeekBits(data, bit, extra);
          bit += extra;
        } else {
          // The lowest 4 bits have their own code.
          if (extra > 4) {
            dist += PeekBits(data, bit, extra - 4) << 4;
            bit += extra - 4;
          }
          const unsigned low = align_.Decode(static_cast<uint32_t>(PeekBits(data, bit, 16)), used);
          bit += used;
          if (low >= kAlignCodes) return kBadData;
          dist += low;
        }
      }
      // Far matches pay off only when longer, so their lengths start higher.
      if (dist > 0x100) {
        ++length;
        if (dist > 0x2000) {
          ++length;
          if (dist > 0x40000) ++length;
        }
      }
      old_dist_[3] = old_dist_[2];
      old_dist_[2] = old_dist_[1];
      old_dist_[1] = old_dist_[0];
      old_dist_[0] = dist;
      last_length_ = length;
      if (!copy(length, dist)) return kBadData;
      continue;
    }
    if (sym >= 258) {
      const unsigned n = sym - 258;
      const uint64_t dist = old_dist_[n];
      for (unsigned i = n; i > 0; --i) old_dist_[i] = old_dist_[i - 1];
      old_dist_[0] = dist;
      const unsigned slot = length_.Decode(static_cast<uint32_t>(PeekBits(data, bit, 16)), used);
      bit += used;
      if (slot >= kLengthCodes) return kBadData;
      const uint32_t length = SlotToLength(slot, data, bit);
      last_length_ = length;
      if (!copy(length, old_dist_[0])) return kBadData;
      continue;
    }
    if (sym == 257) {
      if (last_length_ != 0 && !copy(last_length_, old_dist_[0])) return kBadData;
      continue;
    }
    // 256: a filter over a range that starts this far ahead.
    const uint32_t start = ReadFilterNumber(data, bit);
    const uint32_t length = ReadFilterNumber(data, bit);
    const unsigned type = static_cast<unsigned>(PeekBits(data, bit, 3));
    bit += 3;
    unsigned channels = 0;
    if (type == rar50::kFilterDelta) {
      channels = static_cast<unsigned>(PeekBits(data, bit, 5)) + 1;
      bit += 5;
    }
    if (!window_.AddFilter(total + start, length, type, channels)) return kBadData;
    flush_at = window_.FlushPoint();
  }
}

}  // namespace

std::unique_ptr<Decoder> MakeRar50Decoder() { return std::make_unique<Rar50Decoder>(); }

}  // namespace rar::unpack
