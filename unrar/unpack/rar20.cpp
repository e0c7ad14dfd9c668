// Unpack versions 20 and 26: LZ with Huffman codes sent in the stream (a
// code for literals, lengths and the kinds of match; one for distances; one
// for the lengths of repeated distances), each table sent as a difference
// from the one before; or, block by block, the multimedia mode with one
// code per channel. Tables, old distances and the predictors carry over to
// the next member of a solid set.
#include <cstring>

#include "unrar/rar_codes.h"
#include "unrar/unpack/families.h"
#include "unrar/unpack/rar15_stream.h"
#include "unrar/unpack/rar20_audio.h"
#include "unrar/unpack/rar20_huffman.h"

namespace rar::unpack {

namespace {

using old::AudioChannel;
using old::BitInput;
using old::HuffmanCode;
using old::Window;

constexpr int kMainSymbols = 298;   // 256 literals, 14 controls, 28 lengths
constexpr int kDistSymbols = 48;
constexpr int kRepSymbols = 28;
constexpr int kAudioSymbols = 257;  // 256 deltas and the switch to new tables
constexpr int kLengthSymbols = 19;  // the code of the table's bit lengths
constexpr int kMaxChannels = 4;
constexpr int kTableBytes = kAudioSymbols * kMaxChannels;

constexpr uint8_t kLengthBits[28] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                     2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
constexpr uint16_t kLengthBase[28] = {0,  1,  2,  3,  4,  5,  6,   7,   8,   10,  12,  14,  16,  20,
                                      24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
constexpr uint8_t kDistBits[48] = {0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,
                                   7,  7,  8,  8,  9,  9,  10, 10, 11, 11, 12, 12, 13, 13, 14, 14,
                                   15, 15, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};
constexpr uint32_t kDistBase[48] = {
    0,      1,      2,      3,      4,      6,      8,      12,     16,     24,     32,     48,
    64,     96,     128,    192,    256,    384,    512,    768,    1024,   1536,   2048,   3072,
    4096,   6144,   8192,   12288,  16384,  24576,  32768,  49152,  65536,  98304,  131072, 196608,
    262144, 327680, 393216, 458752, 524288, 589824, 655360, 720896, 786432, 851968, 917504, 983040};
constexpr uint8_t kShortDistBits[8] = {2, 2, 3, 4, 5, 6, 6, 6};
constexpr uint16_t kShortDistBase[8] = {0, 4, 8, 16, 32, 64, 128, 192};

class Rar20Decoder final : public Decoder {
 public:
  int Decode(PackedInput& in, UnpackedOutput& out, const MemberParams& params) override;

 private:
  using State = old::SetState;

  void ResetModel();
  bool ReadTables();
  // Reads `n` extra bits (n <= 16) as a number.
  unsigned Extra(unsigned n) {
    if (n == 0) return 0;
    const unsigned v = bits_.Peek16() >> (16 - n);
    bits_.Skip(n);
    return v;
  }
  bool CopyString(unsigned length, unsigned distance);
  bool Step();
  bool ReadTrailingTables();

  BitInput bits_;
  Window win_;
  uint64_t limit_ = 0;
  State state_ = State::kFresh;

  HuffmanCode main_, dist_, rep_;
  HuffmanCode audio_code_[kMaxChannels];
  AudioChannel audio_[kMaxChannels];
  uint8_t old_table_[kTableBytes] = {};
  bool tables_read_ = false;
  bool audio_block_ = false;
  int channels_ = 1;
  int cur_channel_ = 0;
  int channel_delta_ = 0;

  unsigned old_dist_[4] = {};
  unsigned old_dist_ptr_ = 0;
  unsigned last_dist_ = 0, last_length_ = 0;
};

void Rar20Decoder::ResetModel() {
  tables_read_ = false;
  audio_block_ = false;
  channels_ = 1;
  cur_channel_ = 0;
  channel_delta_ = 0;
  for (auto& a : audio_) a = AudioChannel();
  std::memset(old_table_, 0, sizeof old_table_);
  std::memset(old_dist_, 0, sizeof old_dist_);
  old_dist_ptr_ = 0;
  last_dist_ = last_length_ = 0;
}

bool Rar20Decoder::ReadTables() {
  if (!bits_.Ensure()) return false;
  const uint32_t head = bits_.Peek16();
  audio_block_ = (head & 0x8000) != 0;
  // Without the second bit the lengths are sent whole, not as changes.
  if (!(head & 0x4000)) std::memset(old_table_, 0, sizeof old_table_);
  bits_.Skip(2);
  int size;
  if (audio_block_) {
    channels_ = static_cast<int>((head >> 12) & 3) + 1;
    if (cur_channel_ >= channels_) cur_channel_ = 0;
    bits_.Skip(2);
    size = kAudioSymbols * channels_;
  } else {
    size = kMainSymbols + kDistSymbols + kRepSymbols;
  }

  uint8_t length_lengths[kLengthSymbols];
  for (auto& l : length_lengths) {
    l = static_cast<uint8_t>(bits_.Peek16() >> 12);
    bits_.Skip(4);
  }
  HuffmanCode lengths;
  if (!lengths.Build(length_lengths, kLengthSymbols)) return false;

  uint8_t table[kTableBytes];
  int i = 0;
  while (i < size) {
    if (!bits_.Ensure()) return false;
    const int n = lengths.Decode(bits_);
    if (n < 0) return false;
    if (n < 16) {
      table[i] = static_cast<uint8_t>((n + old_table_[i]) & 15);
      ++i;
    } else if (n == 16) {
      if (i == 0) return false;
      int run = static_cast<int>(Extra(2)) + 3;
      for (; run > 0 && i < size; --run, ++i) table[i] = table[i - 1];
    } else {
      int run = n == 17 ? static_cast<int>(Extra(3)) + 3 : static_cast<int>(Extra(7)) + 11;
      for (; run > 0 && i < size; --run, ++i) table[i] = 0;
    }
  }
  if (bits_.Overrun()) return false;

  if (audio_block_) {
    for (int c = 0; c < channels_; ++c)
      if (!audio_code_[c].Build(table + c * kAudioSymbols, kAudioSymbols)) return false;
  } else {
    if (!main_.Build(table, kMainSymbols) || !dist_.Build(table + kMainSymbols, kDistSymbols) ||
        !rep_.Build(table + kMainSymbols + kDistSymbols, kRepSymbols))
      return false;
  }
  std::memcpy(old_table_, table, static_cast<size_t>(size));
  tables_read_ = true;
  return true;
}

bool Rar20Decoder::CopyString(unsigned length, unsigned distance) {
  last_dist_ = old_dist_[old_dist_ptr_++ & 3] = distance;
  old_dist_ptr_ &= 3;
  last_length_ = length;
  if (!win_.Reaches(distance) || length > limit_ - win_.Pos()) return false;
  win_.Copy(distance, length);
  return true;
}

bool Rar20Decoder::Step() {
  if (audio_block_) {
    const int n = audio_code_[cur_channel_].Decode(bits_);
    if (n < 0) return false;
    if (n == 256) return ReadTables();
    win_.Put(audio_[cur_channel_].Decode(static_cast<unsigned>(n), channel_delta_));
    if (++cur_channel_ == channels_) cur_channel_ = 0;
    return true;
  }
  int n = main_.Decode(bits_);
  if (n < 0) return false;
  if (n < 256) {
    win_.Put(static_cast<unsigned char>(n));
    return true;
  }
  if (n >= 270) {
    n -= 270;
    unsigned length = kLengthBase[n] + 3 + Extra(kLengthBits[n]);
    const int d = dist_.Decode(bits_);
    if (d < 0) return false;
    const unsigned distance = kDistBase[d] + 1 + Extra(kDistBits[d]);
    if (distance >= 0x2000) {
      ++length;
      if (distance >= 0x40000) ++length;
    }
    return CopyString(length, distance);
  }
  if (n == 269) return ReadTables();
  if (n == 256) return CopyString(last_length_, last_dist_);
  if (n < 261) {
    const unsigned distance = old_dist_[(old_dist_ptr_ - static_cast<unsigned>(n - 256)) & 3];
    const int l = rep_.Decode(bits_);
    if (l < 0) return false;
    unsigned length = kLengthBase[l] + 2 + Extra(kLengthBits[l]);
    if (distance >= 0x101) {
      ++length;
      if (distance >= 0x2000) {
        ++length;
        if (distance >= 0x40000) ++length;
      }
    }
    return CopyString(length, distance);
  }
  n -= 261;
  return CopyString(2, kShortDistBase[n] + 1 + Extra(kShortDistBits[n]));
}

bool Rar20Decoder::ReadTrailingTables() {
  // A member may end with the switch to the tables that the next member of
  // a solid set starts with.
  if (!bits_.Ensure() || bits_.BytesLeft() < 5) return true;
  const int n = audio_block_ ? audio_code_[cur_channel_].Decode(bits_) : main_.Decode(bits_);
  return n != (audio_block_ ? 256 : 269) || ReadTables();
}

int Rar20Decoder::Decode(PackedInput& in, UnpackedOutput& out, const MemberParams& params) {
  bool solid = false;
  if (int r = old::BeginMember(win_, state_, params, solid)) return r;
  if (!solid) ResetModel();
  bits_.Start(&in);

  const bool known = params.unp_size_known;
  limit_ = known ? win_.Pos() + params.unp_size : UINT64_MAX;
  if (win_.Pos() == limit_) {
    state_ = State::kGood;
    return kSuccess;
  }
  if (!bits_.Ensure()) return kBadData;
  if (!known && bits_.AtEnd()) {
    state_ = State::kGood;
    return kSuccess;
  }
  if (!tables_read_ && !ReadTables()) return kBadData;

  if (int r = DecodeSymbols(bits_, win_, limit_, known, out, [this] { return Step(); })) return r;
  // Tables that do not read leave this member whole but no base for the next.
  if (!known || ReadTrailingTables()) state_ = State::kGood;
  return kSuccess;
}

}  // namespace

std::unique_ptr<Decoder> MakeRar20Decoder() { return std::make_unique<Rar20Decoder>(); }

}  // namespace rar::unpack
