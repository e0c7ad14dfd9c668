// Writing the window out, through the filters whose blocks are complete.
#include <algorithm>

#include "unrar/rar_codes.h"
#include "unrar/unpack/rar29_decoder.h"

namespace rar::unpack::rar29 {

// The loops stop to write out before the window would overwrite unwritten
// output, after every kChunk bytes (so that what is written is still in the
// cache), and where a filter's block ends.
void Rar29Decoder::SetLimit() {
  uint64_t limit = std::min(end_, std::min(written_ + win_size_ - kMargin, pos_ + kChunk));
  for (const PendingFilter& f : filters_.pending()) {
    const uint64_t block_end = f.start + f.length;
    if (!f.done && block_end > pos_ && block_end < limit) limit = block_end;
  }
  limit_ = limit;
}

bool Rar29Decoder::WriteWindow(uint64_t from, uint64_t to) {
  while (from < to) {
    const size_t at = static_cast<size_t>(from & mask_);
    const size_t size = static_cast<size_t>(std::min<uint64_t>(to - from, win_size_ - at));
    if (!out_->Write(window_.get() + at, size)) return false;
    from += size;
  }
  return true;
}

void Rar29Decoder::CopyFromWindow(uint64_t from, uint32_t size, uint8_t* to) const {
  const size_t at = static_cast<size_t>(from & mask_);
  const size_t first = std::min<size_t>(size, win_size_ - at);
  std::memcpy(to, window_.get() + at, first);
  std::memcpy(to + first, window_.get(), size - first);
}

// Writes out what is decoded, in the order the filters were defined: plain
// bytes up to a filter's block, the filtered block once it is complete
// (then any filters defined for the same block and its result), and stops
// at a block still being decoded.
int Rar29Decoder::Flush() {
  auto& list = filters_.pending();
  bool waiting = false;
  uint8_t* const mem = filter_mem_.get();
  for (size_t i = 0; i < list.size(); ++i) {
    PendingFilter& f = list[i];
    if (f.done) continue;
    // A block that starts in output already written never applies.
    if (f.start < written_) {
      f.done = true;
      continue;
    }
    if (f.start >= pos_) continue;
    if (f.length > kFilterMemory) return kBadData;
    if (f.start > written_) {
      if (!WriteWindow(written_, f.start)) return out_->Failure();
      written_ = f.start;
    }
    if (f.start + f.length > pos_) {
      waiting = true;
      break;
    }
    // A block that does not wrap around the window's end is filtered from
    // where it lies.
    const uint8_t* data = mem;
    const size_t at = static_cast<size_t>(f.start & mask_);
    if (at + f.length <= win_size_) {
      data = window_.get() + at;
    } else {
      CopyFromWindow(f.start, f.length, mem);
    }
    const uint64_t offset = f.start - member_start_;
    data = RunFilter(f.kind, data, f.length, f.regs, offset, mem);
    if (!data) return kBadData;
    f.done = true;
    while (i + 1 < list.size()) {
      PendingFilter& next = list[i + 1];
      if (next.done || next.start != f.start || next.length != f.length) break;
      data = RunFilter(next.kind, data, next.length, next.regs, offset, mem);
      if (!data) return kBadData;
      next.done = true;
      ++i;
    }
    if (f.length != 0 && !out_->Write(data, f.length)) return out_->Failure();
    written_ = f.start + f.length;
  }
  if (!waiting && pos_ > written_) {
    if (!WriteWindow(written_, pos_)) return out_->Failure();
    written_ = pos_;
  }
  filters_.Compact();
  SetLimit();
  return kSuccess;
}

}  // namespace rar::unpack::rar29
