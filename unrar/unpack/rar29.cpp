#include <algorithm>
#include <new>

#include "unrar/rar_codes.h"
#include "unrar/unpack/families.h"
#include "unrar/unpack/rar29_decoder.h"

namespace rar::unpack {

namespace rar29 {

namespace {

// Length slots: base and extra bits.
constexpr uint8_t kLenBase[28] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  10,  12,  14,  16,  20,
                                  24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
constexpr uint8_t kLenBits[28] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};

// Distance slots: 4 of no extra bits, 2 each of 1..15 bits, 14 of 16 and 12 of 18.
struct DistSlots {
  uint32_t base[60];
  uint8_t bits[60];
};
constexpr DistSlots MakeDistSlots() {
  DistSlots t{};
  constexpr uint8_t kPerWidth[19] = {4, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 14, 0, 12};
  uint32_t base = 0;
  unsigned slot = 0;
  for (unsigned width = 0; width < 19; ++width) {
    for (unsigned i = 0; i < kPerWidth[width]; ++i, ++slot) {
      t.base[slot] = base;
      t.bits[slot] = static_cast<uint8_t>(width);
      base += uint32_t{1} << width;
    }
  }
  return t;
}
constexpr DistSlots kDist = MakeDistSlots();

// The short matches of length 2.
constexpr uint8_t kShortBase[8] = {0, 4, 8, 16, 32, 64, 128, 192};
constexpr uint8_t kShortBits[8] = {2, 2, 3, 4, 5, 6, 6, 6};

// Runs of repeated low distance bits.
constexpr uint32_t kLowDistRepeat = 16;

// The smallest window: the largest distance the format can code, so that
// every valid stream fits whatever dictionary its header declares.
constexpr uint64_t kMinWindow = uint64_t{4} << 20;

}  // namespace

Rar29Decoder::Rar29Decoder() = default;
Rar29Decoder::~Rar29Decoder() = default;

void Rar29Decoder::ResetStream() {
  pos_ = written_ = 0;
  std::fill(std::begin(old_dist_), std::end(old_dist_), 0u);
  last_length_ = 0;
  prev_low_dist_ = low_dist_repeat_ = 0;
  std::fill(std::begin(old_lengths_), std::end(old_lengths_), uint8_t{0});
  tables_read_ = false;
  model_block_ = false;
  model_ready_ = false;
  escape_ = 2;
  filters_.Reset();
}

bool Rar29Decoder::ReserveWindow(uint64_t dictionary) {
  uint64_t want = kMinWindow;
  while (want < dictionary) want <<= 1;
  if (window_ && win_size_ >= want) return true;
  std::unique_ptr<uint8_t[]> grown(new (std::nothrow) uint8_t[static_cast<size_t>(want)]);
  if (!grown) return false;
  if (window_ && pos_ != 0) {
    // A later member of a solid set declared a larger dictionary: keep what
    // the old window holds at the same absolute positions.
    std::memset(grown.get(), 0, static_cast<size_t>(want));
    const uint64_t keep = std::min<uint64_t>(pos_, win_size_);
    for (uint64_t p = pos_ - keep; p < pos_; ++p) grown[p & (want - 1)] = window_[p & mask_];
  }
  window_ = std::move(grown);
  win_size_ = static_cast<size_t>(want);
  mask_ = win_size_ - 1;
  return true;
}

int Rar29Decoder::Decode(PackedInput& in, UnpackedOutput& out, const MemberParams& params) {
  const bool solid = params.solid && started_;
  // A member that failed left no state a solid member could go on from.
  if (solid && broken_) return kBadData;
  started_ = true;
  broken_ = true;
  if (params.dictionary > kMaxDictionary) return kNoMemory;
  if (!solid) ResetStream();
  if (!ReserveWindow(params.dictionary)) return kNoMemory;
  if (!filter_mem_) {
    filter_mem_.reset(new (std::nothrow) uint8_t[2 * kFilterMemory + 64]);
    if (!filter_mem_) return kNoMemory;
  }

  out_ = &out;
  bits_.Start(&in);
  model_in_.Attach(&bits_);
  filters_.DropPending();
  member_start_ = pos_;
  size_known_ = params.unp_size_known;
  end_ = size_known_ && params.unp_size < UINT64_MAX - pos_ ? pos_ + params.unp_size : UINT64_MAX;
  SetLimit();

  const int result = Run();
  out_ = nullptr;
  if (result == kSuccess) broken_ = false;
  return result;
}

int Rar29Decoder::Run() {
  if (!tables_read_) {
    if (const int r = ReadTables(); r != kSuccess) return r;
  }
  for (;;) {
    switch (model_block_ ? RunPpm() : RunLz()) {
      case Stop::kSwitch:
        break;
      case Stop::kEndOfFile:
        return Finish();
      case Stop::kFull:
        return Tail();
      case Stop::kInputEnd:
        // Without a size the data's end is the member's end.
        return size_known_ ? kBadData : Finish();
      case Stop::kError:
        return error_;
    }
  }
}

Rar29Decoder::Stop Rar29Decoder::RunLz() {
  uint8_t* const win = window_.get();
  const size_t mask = mask_;
  uint64_t pos = pos_;
  uint64_t symbol_start = pos;
  // The bit position lives in locals here; bits_ has it back before any
  // other reader runs.
  FastBits in(bits_.cursor());
  const unsigned char* border = bits_.border();
  for (;;) {
    if (in.p > border) {
      bits_.set_cursor(in.cursor());
      bits_.Refill();
      if (bits_.Overrun()) {
        // The last symbol was read from beyond the data: it never was.
        pos_ = symbol_start;
        return Stop::kInputEnd;
      }
      in = FastBits(bits_.cursor());
      border = bits_.border();
    }
    if (pos >= limit_) {
      pos_ = pos;
      bits_.set_cursor(in.cursor());
      if (pos >= end_) return Stop::kFull;
      if (const int r = Flush(); r != kSuccess) return Fail(r);
      continue;
    }
    symbol_start = pos;
    in.Refill();

    int symbol = main_.Decode(in);
    if (symbol < 256) {
      if (symbol < 0) return Fail(kBadData);
      win[pos & mask] = static_cast<uint8_t>(symbol);
      ++pos;
      continue;
    }
    if (symbol >= 271) {
      symbol -= 271;
      uint32_t length = kLenBase[symbol] + 3u;
      if (const unsigned b = kLenBits[symbol]) length += in.Get(b);
      in.Refill();
      const int slot = dist_.Decode(in);
      if (slot < 0) return Fail(kBadData);
      uint32_t distance = kDist.base[slot] + 1;
      const unsigned b = kDist.bits[slot];
      if (slot > 9) {
        if (b > 4) distance += in.Get(b - 4) << 4;
        if (low_dist_repeat_ > 0) {
          --low_dist_repeat_;
          distance += prev_low_dist_;
        } else {
          const int low = low_dist_.Decode(in);
          if (low < 0) return Fail(kBadData);
          if (low == 16) {
            low_dist_repeat_ = kLowDistRepeat - 1;
            distance += prev_low_dist_;
          } else {
            distance += static_cast<uint32_t>(low);
            prev_low_dist_ = static_cast<uint32_t>(low);
          }
        }
      } else if (b != 0) {
        distance += in.Get(b);
      }
      if (distance >= 0x2000) {
        ++length;
        if (distance >= 0x40000) ++length;
      }
      old_dist_[3] = old_dist_[2];
      old_dist_[2] = old_dist_[1];
      old_dist_[1] = old_dist_[0];
      old_dist_[0] = distance;
      last_length_ = length;
      if (!Copy(pos, length, distance)) return Fail(kBadData);
      continue;
    }
    if (symbol == 256) {
      // End of block: a new table follows, or the member ends (and says
      // whether the next member of a solid set starts with new tables).
      const uint32_t flags = in.Peek16();
      pos_ = pos;
      in.Skip(flags & 0x8000 ? 1 : 2);
      bits_.set_cursor(in.cursor());
      if (flags & 0x8000) {
        if (const int r = ReadTables(); r != kSuccess) return Fail(r);
        if (model_block_) return Stop::kSwitch;
        in = FastBits(bits_.cursor());
        border = bits_.border();
        continue;
      }
      if (bits_.Overrun()) return Stop::kInputEnd;
      tables_read_ = (flags & 0x4000) == 0;
      return Stop::kEndOfFile;
    }
    if (symbol == 257) {
      pos_ = pos;
      bits_.set_cursor(in.cursor());
      if (const int r = ReadFilterLz(); r != kSuccess) return Fail(r);
      in = FastBits(bits_.cursor());
      border = bits_.border();
      continue;
    }
    if (symbol == 258) {
      if (last_length_ != 0 && !Copy(pos, last_length_, old_dist_[0])) return Fail(kBadData);
      continue;
    }
    if (symbol < 263) {
      const unsigned n = static_cast<unsigned>(symbol - 259);
      const uint32_t distance = old_dist_[n];
      for (unsigned i = n; i > 0; --i) old_dist_[i] = old_dist_[i - 1];
      old_dist_[0] = distance;
      const int slot = repeat_.Decode(in);
      if (slot < 0) return Fail(kBadData);
      uint32_t length = kLenBase[slot] + 2u;
      if (const unsigned b = kLenBits[slot]) length += in.Get(b);
      last_length_ = length;
      if (!Copy(pos, length, distance)) return Fail(kBadData);
      continue;
    }
    {
      const unsigned n = static_cast<unsigned>(symbol - 263);
      uint32_t distance = kShortBase[n] + 1u;
      if (const unsigned b = kShortBits[n]) distance += in.Get(b);
      old_dist_[3] = old_dist_[2];
      old_dist_[2] = old_dist_[1];
      old_dist_[1] = old_dist_[0];
      old_dist_[0] = distance;
      last_length_ = 2;
      if (!Copy(pos, 2, distance)) return Fail(kBadData);
    }
  }
}

Rar29Decoder::Stop Rar29Decoder::RunPpm() {
  uint8_t* const win = window_.get();
  const size_t mask = mask_;
  uint64_t pos = pos_;
  for (;;) {
    if (pos >= limit_) {
      pos_ = pos;
      if (pos >= end_) return Stop::kFull;
      if (const int r = Flush(); r != kSuccess) return Fail(r);
      continue;
    }
    // More output is due but the data has run out.
    if (model_in_.overrun()) {
      pos_ = pos;
      return Stop::kInputEnd;
    }

    const int c = model_.DecodeSymbol();
    if (c < 0) return Fail(kBadData);
    if (c == escape_) {
      const int code = model_.DecodeSymbol();
      if (code < 0) return Fail(kBadData);
      switch (code) {
        case 0:  // new tables: another model block or back to LZ
          pos_ = pos;
          if (const int r = ReadTables(); r != kSuccess) return Fail(r);
          if (!model_block_) return Stop::kSwitch;
          continue;
        case 2:
          pos_ = pos;
          return Stop::kEndOfFile;
        case 3:
          pos_ = pos;
          if (const int r = ReadFilterModel(); r != kSuccess) return Fail(r);
          continue;
        case 4: {
          uint32_t distance = 0;
          for (int i = 0; i < 3; ++i) {
            const int b = model_.DecodeSymbol();
            if (b < 0) return Fail(kBadData);
            distance = (distance << 8) | static_cast<uint32_t>(b);
          }
          const int length = model_.DecodeSymbol();
          if (length < 0) return Fail(kBadData);
          if (!Copy(pos, static_cast<uint32_t>(length) + 32, distance + 2)) return Fail(kBadData);
          continue;
        }
        case 5: {
          const int length = model_.DecodeSymbol();
          if (length < 0) return Fail(kBadData);
          if (!Copy(pos, static_cast<uint32_t>(length) + 4, 1)) return Fail(kBadData);
          continue;
        }
        default:  // 1 (and anything else): the escape byte itself
          break;
      }
    }
    win[pos & mask] = static_cast<uint8_t>(c);
    ++pos;
  }
}

// The member's output is complete. What follows must be the end-of-file
// code, after nothing but codes that produce no output (new tables, filter
// records): it says whether the next member of a solid set starts with new
// tables, and a stream cut before it has ended early.
int Rar29Decoder::Tail() {
  for (;;) {
    if (model_block_) {
      // The range decoder may have looked a byte or two past the data: the
      // codes still count when they decode.
      const int c = model_.DecodeSymbol();
      const int code = c == escape_ ? model_.DecodeSymbol() : -1;
      if (code == 2) return Finish();
      if (code != 0 && code != 3) return kBadData;
      const int r = code == 0 ? ReadTables() : ReadFilterModel();
      if (r != kSuccess) return r;
      continue;
    }
    if (!bits_.Ensure()) return kBadData;
    const int symbol = main_.Decode(bits_);
    if (symbol == 256) {
      const uint32_t flags = bits_.Peek16();
      if (flags & 0x8000) {
        bits_.Skip(1);
        if (const int r = ReadTables(); r != kSuccess) return r;
        continue;
      }
      bits_.Skip(2);
      if (bits_.Overrun()) return kBadData;
      tables_read_ = (flags & 0x4000) == 0;
      return Finish();
    }
    if (symbol != 257) return kBadData;
    if (const int r = ReadFilterLz(); r != kSuccess) return r;
  }
}

int Rar29Decoder::Finish() {
  if (size_known_ && pos_ != end_) return kBadData;
  if (const int r = Flush(); r != kSuccess) return r;
  // A filter whose block runs past the member's end kept part of it back.
  if (written_ != pos_) return kBadData;
  return kSuccess;
}

}  // namespace rar29

std::unique_ptr<Decoder> MakeRar29Decoder() { return std::make_unique<rar29::Rar29Decoder>(); }

}  // namespace rar::unpack
