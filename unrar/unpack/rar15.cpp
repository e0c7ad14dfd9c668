// Unpack version 15: LZ with fixed prefix codes whose symbols are places in
// adaptive sets (bytes, distances, flag bytes) that move their most used
// members to the front. Flag bits choose between literals, short matches
// and long matches; running averages choose the codes; after a run of
// literals the stream may switch to a literal-only mode.
#include <cstring>

#include "unrar/rar_codes.h"
#include "unrar/unpack/families.h"
#include "unrar/unpack/rar15_codes.h"
#include "unrar/unpack/rar15_stream.h"

namespace rar::unpack {

namespace {

using old::BitInput;
using old::Code15;
using old::Decode15;
using old::Window;

class Rar15Decoder final : public Decoder {
 public:
  Rar15Decoder() {
    for (int i = 0; i < static_cast<int>(Code15::kCount); ++i) lookup_[i] = old::Code15Lookup(static_cast<Code15>(i));
    for (int i = 0; i < 4; ++i) short_[i] = &old::ShortLengthCode(i & 2, i & 1);
  }
  int Decode(PackedInput& in, UnpackedOutput& out, const MemberParams& params) override;

 private:
  using State = old::SetState;

  void ResetModel();
  bool Step();
  bool HuffDecode();
  bool ShortLZ();
  bool LongLZ();
  bool GetFlags();
  bool CopyString(unsigned distance, unsigned length);

  static void Rescale(uint16_t* set, uint8_t* next_place);

  const uint16_t* Lookup(Code15 c) const { return lookup_[static_cast<int>(c)]; }

  const uint16_t* lookup_[static_cast<int>(Code15::kCount)];
  const old::ShortCode* short_[4];
  BitInput bits_;
  Window win_;
  uint64_t limit_ = 0;  // window position at which this member ends
  State state_ = State::kFresh;

  // The adaptive sets: value << 8 | use count, most used first, and for
  // each use count the place where the next member that reaches it goes.
  uint16_t ch_set_[256];    // literal bytes
  uint16_t ch_set_a_[256];  // short match distances (no count)
  uint16_t ch_set_b_[256];  // upper bits of long match distances
  uint16_t ch_set_c_[256];  // flag bytes
  uint8_t place_[256];
  uint8_t place_b_[256];
  uint8_t place_c_[256];

  unsigned avr_plc_ = 0, avr_plc_b_ = 0;
  unsigned avr_ln1_ = 0, avr_ln2_ = 0, avr_ln3_ = 0;
  unsigned num_huf_ = 0;
  unsigned buf60_ = 0;
  unsigned max_dist3_ = 0;
  unsigned nhfb_ = 0, nlzb_ = 0;
  unsigned old_dist_[4] = {};
  unsigned old_dist_ptr_ = 0;
  unsigned last_dist_ = 0, last_length_ = 0;

  // Start afresh with each member, solid or not.
  int flags_cnt_ = 0;
  unsigned flag_buf_ = 0;
  bool st_mode_ = false;
  unsigned lcount_ = 0;
};

void Rar15Decoder::Rescale(uint16_t* set, uint8_t* next_place) {
  // Counts fall back to 7..0 by eighths of the set, keeping its order.
  for (int group = 7; group >= 0; --group)
    for (int j = 0; j < 32; ++j, ++set) *set = static_cast<uint16_t>((*set & ~0xff) | group);
  std::memset(next_place, 0, 256);
  for (int c = 6; c >= 0; --c) next_place[c] = static_cast<uint8_t>((7 - c) * 32);
}

void Rar15Decoder::ResetModel() {
  for (unsigned i = 0; i < 256; ++i) {
    ch_set_[i] = ch_set_b_[i] = static_cast<uint16_t>(i << 8);
    ch_set_a_[i] = static_cast<uint16_t>(i);
    ch_set_c_[i] = static_cast<uint16_t>(((0u - i) & 0xff) << 8);
  }
  std::memset(place_, 0, sizeof place_);
  std::memset(place_b_, 0, sizeof place_b_);
  std::memset(place_c_, 0, sizeof place_c_);
  Rescale(ch_set_b_, place_b_);
  avr_plc_b_ = avr_ln1_ = avr_ln2_ = avr_ln3_ = num_huf_ = buf60_ = 0;
  avr_plc_ = 0x3500;
  max_dist3_ = 0x2001;
  nhfb_ = nlzb_ = 0x80;
  std::memset(old_dist_, 0, sizeof old_dist_);
  old_dist_ptr_ = 0;
  last_dist_ = last_length_ = 0;
}

bool Rar15Decoder::CopyString(unsigned distance, unsigned length) {
  if (!win_.Reaches(distance) || length > limit_ - win_.Pos()) return false;
  win_.Copy(distance, length);
  return true;
}

bool Rar15Decoder::GetFlags() {
  const unsigned place = Decode15(bits_, Lookup(Code15::kPlace2));
  // The code has one symbol more than the set has places.
  if (place > 255) return false;
  unsigned flags;
  unsigned new_place;
  for (;;) {
    flags = ch_set_c_[place];
    flag_buf_ = flags >> 8;
    new_place = place_c_[flags++ & 0xff]++;
    if ((flags & 0xff) != 0) break;
    Rescale(ch_set_c_, place_c_);
  }
  ch_set_c_[place] = ch_set_c_[new_place];
  ch_set_c_[new_place] = static_cast<uint16_t>(flags);
  return true;
}

bool Rar15Decoder::HuffDecode() {
  const uint32_t field = bits_.Peek16();
  Code15 code;
  if (avr_plc_ > 0x75ff) {
    code = Code15::kPlace4;
  } else if (avr_plc_ > 0x5dff) {
    code = Code15::kPlace3;
  } else if (avr_plc_ > 0x35ff) {
    code = Code15::kPlace2;
  } else if (avr_plc_ > 0x0dff) {
    code = Code15::kPlace1;
  } else {
    code = Code15::kPlace0;
  }
  int place = static_cast<int>(Decode15(bits_, Lookup(code)) & 0xff);
  if (st_mode_) {
    // Literal-only mode: symbol 0 escapes, the others stand one place on
    // (the last symbol shares 0 in the low byte; its code is the longest).
    if (place == 0 && field > 0xfff) place = 0x100;
    if (--place == -1) {
      const uint32_t f = bits_.Peek16();
      bits_.Skip(1);
      if (f & 0x8000) {
        num_huf_ = 0;
        st_mode_ = false;
        return true;
      }
      const unsigned length = (f & 0x4000) ? 4 : 3;
      bits_.Skip(1);
      unsigned distance = Decode15(bits_, Lookup(Code15::kPlace2));
      distance = (distance << 5) | (bits_.Peek16() >> 11);
      bits_.Skip(5);
      return CopyString(distance, length);
    }
  } else if (num_huf_++ >= 16 && flags_cnt_ == 0) {
    st_mode_ = true;
  }
  avr_plc_ += static_cast<unsigned>(place);
  avr_plc_ -= avr_plc_ >> 8;
  nhfb_ += 16;
  if (nhfb_ > 0xff) {
    nhfb_ = 0x90;
    nlzb_ >>= 1;
  }
  win_.Put(static_cast<unsigned char>(ch_set_[place] >> 8));

  unsigned cur;
  unsigned new_place;
  for (;;) {
    cur = ch_set_[place];
    new_place = place_[cur++ & 0xff]++;
    if ((cur & 0xff) <= 0xa1) break;
    Rescale(ch_set_, place_);
  }
  ch_set_[place] = ch_set_[new_place];
  ch_set_[new_place] = static_cast<uint16_t>(cur);
  return true;
}

bool Rar15Decoder::ShortLZ() {
  num_huf_ = 0;
  uint32_t field = bits_.Peek16();
  if (lcount_ == 2) {
    bits_.Skip(1);
    if (field >= 0x8000) return CopyString(last_dist_, last_length_);
    field <<= 1;
    lcount_ = 0;
  }
  field = (field >> 8) & 0xff;
  const old::ShortCode& sc = *short_[(avr_ln1_ >= 37 ? 2 : 0) + (buf60_ != 0 ? 1 : 0)];
  unsigned length = sc.symbol[field];
  bits_.Skip(sc.bits[field]);

  if (length >= 9) {
    if (length == 9) {
      ++lcount_;
      return CopyString(last_dist_, last_length_);
    }
    if (length == 14) {
      lcount_ = 0;
      length = Decode15(bits_, Lookup(Code15::kLength2)) + 5;
      const unsigned distance = (bits_.Peek16() >> 1) | 0x8000;
      bits_.Skip(15);
      last_length_ = length;
      last_dist_ = distance;
      return CopyString(distance, length);
    }
    lcount_ = 0;
    const unsigned which = length;
    unsigned distance = old_dist_[(old_dist_ptr_ - (length - 9)) & 3];
    length = Decode15(bits_, Lookup(Code15::kLength1)) + 2;
    if (length == 0x101 && which == 10) {
      buf60_ ^= 1;
      return true;
    }
    if (distance > 256) ++length;
    if (distance >= max_dist3_) ++length;
    old_dist_[old_dist_ptr_++] = distance;
    old_dist_ptr_ &= 3;
    last_length_ = length;
    last_dist_ = distance;
    return CopyString(distance, length);
  }

  lcount_ = 0;
  avr_ln1_ += length;
  avr_ln1_ -= avr_ln1_ >> 4;

  int place = static_cast<int>(Decode15(bits_, Lookup(Code15::kPlace2)) & 0xff);
  unsigned distance = ch_set_a_[place];
  if (--place != -1) {
    ch_set_a_[place + 1] = ch_set_a_[place];
    ch_set_a_[place] = static_cast<uint16_t>(distance);
  }
  length += 2;
  old_dist_[old_dist_ptr_++] = ++distance;
  old_dist_ptr_ &= 3;
  last_length_ = length;
  last_dist_ = distance;
  return CopyString(distance, length);
}

bool Rar15Decoder::LongLZ() {
  num_huf_ = 0;
  nlzb_ += 16;
  if (nlzb_ > 0xff) {
    nlzb_ = 0x90;
    nhfb_ >>= 1;
  }
  const unsigned old_avr2 = avr_ln2_;

  unsigned length;
  uint32_t field = bits_.Peek16();
  if (avr_ln2_ >= 122) {
    length = Decode15(bits_, Lookup(Code15::kLength2));
  } else if (avr_ln2_ >= 64) {
    length = Decode15(bits_, Lookup(Code15::kLength1));
  } else if (field < 0x100) {
    length = field;
    bits_.Skip(16);
  } else {
    // Unary: the number of zeros before the first one.
    for (length = 0; ((field << length) & 0x8000) == 0; ++length) {
    }
    bits_.Skip(length + 1);
  }
  avr_ln2_ += length;
  avr_ln2_ -= avr_ln2_ >> 5;

  Code15 code;
  if (avr_plc_b_ > 0x28ff) {
    code = Code15::kPlace2;
  } else if (avr_plc_b_ > 0x6ff) {
    code = Code15::kPlace1;
  } else {
    code = Code15::kPlace0;
  }
  const unsigned place = Decode15(bits_, Lookup(code));
  avr_plc_b_ += place;
  avr_plc_b_ -= avr_plc_b_ >> 8;

  unsigned distance;
  unsigned new_place;
  for (;;) {
    distance = ch_set_b_[place & 0xff];
    new_place = place_b_[distance++ & 0xff]++;
    if ((distance & 0xff) != 0) break;
    Rescale(ch_set_b_, place_b_);
  }
  ch_set_b_[place & 0xff] = ch_set_b_[new_place];
  ch_set_b_[new_place] = static_cast<uint16_t>(distance);

  distance = ((distance & 0xff00) | (bits_.Peek16() >> 8)) >> 1;
  bits_.Skip(7);

  const unsigned old_avr3 = avr_ln3_;
  if (length != 1 && length != 4) {
    if (length == 0 && distance <= max_dist3_) {
      ++avr_ln3_;
      avr_ln3_ -= avr_ln3_ >> 8;
    } else if (avr_ln3_ > 0) {
      --avr_ln3_;
    }
  }
  length += 3;
  if (distance >= max_dist3_) ++length;
  if (distance <= 256) length += 8;
  max_dist3_ = (old_avr3 > 0xb0 || (avr_plc_ >= 0x2a00 && old_avr2 < 0x40)) ? 0x7f00 : 0x2001;
  old_dist_[old_dist_ptr_++] = distance;
  old_dist_ptr_ &= 3;
  last_length_ = length;
  last_dist_ = distance;
  return CopyString(distance, length);
}

bool Rar15Decoder::Step() {
  if (st_mode_) return HuffDecode();
  if (--flags_cnt_ < 0) {
    if (!GetFlags()) return false;
    flags_cnt_ = 7;
  }
  if (flag_buf_ & 0x80) {
    flag_buf_ = (flag_buf_ << 1) & 0xff;
    return nlzb_ > nhfb_ ? LongLZ() : HuffDecode();
  }
  flag_buf_ = (flag_buf_ << 1) & 0xff;
  if (--flags_cnt_ < 0) {
    if (!GetFlags()) return false;
    flags_cnt_ = 7;
  }
  if (flag_buf_ & 0x80) {
    flag_buf_ = (flag_buf_ << 1) & 0xff;
    return nlzb_ > nhfb_ ? HuffDecode() : LongLZ();
  }
  flag_buf_ = (flag_buf_ << 1) & 0xff;
  return ShortLZ();
}

int Rar15Decoder::Decode(PackedInput& in, UnpackedOutput& out, const MemberParams& params) {
  bool solid = false;
  if (int r = old::BeginMember(win_, state_, params, solid)) return r;
  if (!solid) ResetModel();
  flags_cnt_ = 0;
  flag_buf_ = 0;
  st_mode_ = false;
  lcount_ = 0;
  bits_.Start(&in);

  const bool known = params.unp_size_known;
  limit_ = known ? win_.Pos() + params.unp_size : UINT64_MAX;
  if (win_.Pos() < limit_) {
    if (!bits_.Ensure()) return kBadData;
    if (!known && bits_.AtEnd()) {
      state_ = State::kGood;
      return kSuccess;
    }
    if (!GetFlags()) return kBadData;
    flags_cnt_ = 8;
  }
  if (int r = DecodeSymbols(bits_, win_, limit_, known, out, [this] { return Step(); })) return r;
  state_ = State::kGood;
  return kSuccess;
}

}  // namespace

std::unique_ptr<Decoder> MakeRar15Decoder() { return std::make_unique<Rar15Decoder>(); }

}  // namespace rar::unpack
