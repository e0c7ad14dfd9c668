#include "unrar/unpack/rar15_stream.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace rar::unpack::old {

namespace {

constexpr size_t kBuffer = size_t{1} << 16;
// Zeros after the data, so that Peek16() near the end never leaves the buffer
// even when a damaged stream keeps reading up to kAhead bytes past it.
constexpr size_t kPad = 2 * BitInput::kAhead;

}  // namespace

BitInput::BitInput() : buf_(kBuffer + kPad) {}

void BitInput::Start(PackedInput* in) {
  in_ = in;
  len_ = pos_ = 0;
  bit_ = 0;
  mark_ = 0;
  eof_ = false;
}

bool BitInput::Refill() {
  if (!eof_) {
    const size_t keep = len_ > pos_ ? len_ - pos_ : 0;
    std::memmove(buf_.data(), buf_.data() + pos_, keep);
    len_ = keep;
    pos_ = 0;
    while (len_ < kBuffer) {
      const long n = in_->Read(buf_.data() + len_, kBuffer - len_);
      // A read error ends the input; the member is still good when every
      // bit it needs had come before.
      if (n <= 0) {
        eof_ = true;
        break;
      }
      len_ += static_cast<size_t>(n);
    }
    std::memset(buf_.data() + len_, 0, kPad);
  }
  mark_ = len_ > kAhead ? len_ - kAhead : 0;
  if (!eof_) return true;
  // From here on every symbol comes through this check; more than kAhead
  // bytes past the data it cannot get.
  return !Overrun();
}

bool Window::Prepare(uint64_t dictionary, bool keep) {
  uint64_t want = uint64_t{1} << 16;
  while (want < dictionary) want <<= 1;
  const size_t size = static_cast<size_t>(want);
  if (keep && data_ && size <= mask_ + 1) return true;
  if (!keep && data_ && size == mask_ + 1) {
    pos_ = written_ = base_ = 0;
    return true;
  }
  std::unique_ptr<unsigned char[]> fresh(new (std::nothrow) unsigned char[size]);
  if (!fresh) return false;
  if (keep && data_) {
    // The ring grows: the bytes it holds keep their logical positions.
    const size_t old_size = mask_ + 1;
    const uint64_t have = std::min<uint64_t>(pos_, old_size);
    for (uint64_t p = pos_ - have; p < pos_; ++p) fresh[p & (size - 1)] = data_[p & mask_];
    base_ = pos_ - have;
  } else {
    pos_ = written_ = base_ = 0;
  }
  data_ = std::move(fresh);
  mask_ = size - 1;
  flush_at_ = size - kMaxStep;
  return true;
}

void Window::Copy(size_t distance, size_t length) {
  const size_t to = static_cast<size_t>(pos_ & mask_);
  const size_t from = static_cast<size_t>((pos_ - distance) & mask_);
  pos_ += length;
  unsigned char* w = data_.get();
  // A whole ring back is the byte in place: nothing moves.
  if (distance == mask_ + 1) return;
  if (std::max(to, from) + length <= mask_ + 1) {
    if (distance >= length) {
      std::memcpy(w + to, w + from, length);
    } else if (distance == 1) {
      std::memset(w + to, w[from], length);
    } else {
      // Overlapping: the source runs into bytes this copy makes.
      unsigned char* d = w + to;
      const unsigned char* s = w + from;
      for (size_t i = 0; i < length; ++i) d[i] = s[i];
    }
    return;
  }
  for (size_t i = 0; i < length; ++i) w[(to + i) & mask_] = w[(from + i) & mask_];
}

bool Window::Flush(UnpackedOutput& out) {
  while (written_ < pos_) {
    const size_t at = static_cast<size_t>(written_ & mask_);
    const size_t n = static_cast<size_t>(std::min<uint64_t>(pos_ - written_, mask_ + 1 - at));
    if (!out.Write(data_.get() + at, n)) return false;
    written_ += n;
  }
  return true;
}

int BeginMember(Window& win, SetState& state, const MemberParams& params, bool& solid) {
  if (params.dictionary > kMaxDictionary) return kNoMemory;
  if (params.solid && state == SetState::kBroken) return kBadData;
  solid = params.solid && state == SetState::kGood;
  state = SetState::kBroken;
  return win.Prepare(params.dictionary, solid) ? kSuccess : kNoMemory;
}

}  // namespace rar::unpack::old
