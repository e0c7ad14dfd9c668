#include "unrar/unpack/rar50_window.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "unrar/rar_codes.h"
#include "unrar/unpack/rar50_filters.h"

namespace rar::unpack::rar50 {

int Window::Allocate(size_t size, std::unique_ptr<unsigned char[]>& out) {
  if (size < kSpanMargin * 2 || size > kMaxDictionary + (uint64_t{1} << 24)) return kNoMemory;
  out.reset(new (std::nothrow) unsigned char[size + kTail]);
  return out ? kSuccess : kNoMemory;
}

int Window::Reset(size_t size) {
  // A window much larger than needed is given back rather than kept.
  if (!data_ || capacity_ < size || capacity_ / 2 > size) {
    data_.reset();
    capacity_ = 0;
    size_ = 0;
    if (const int rc = Allocate(size, data_); rc != kSuccess) return rc;
    capacity_ = size;
  }
  size_ = size;
  pos = 0;
  total = 0;
  valid_from_ = 0;
  written_ = 0;
  filters_.clear();
  return kSuccess;
}

int Window::Grow(size_t size) {
  if (size <= size_) return kSuccess;
  std::unique_ptr<unsigned char[]> bigger;
  if (const int rc = Allocate(size, bigger); rc != kSuccess) return rc;
  // The history moves to the start of the new window, oldest first.
  const size_t keep = static_cast<size_t>(History());
  const size_t from = pos >= keep ? pos - keep : pos + size_ - keep;
  if (from + keep <= size_) {
    std::memcpy(bigger.get(), data_.get() + from, keep);
  } else {
    const size_t first = size_ - from;
    std::memcpy(bigger.get(), data_.get() + from, first);
    std::memcpy(bigger.get() + first, data_.get(), keep - first);
  }
  data_ = std::move(bigger);
  capacity_ = size_ = size;
  pos = keep;
  valid_from_ = total - keep;
  return kSuccess;
}

void Window::StartMember(uint64_t length) {
  filters_.clear();
  written_ = total;
  member_start_ = total;
  member_end_ = length == UINT64_MAX ? UINT64_MAX : total + length;
}

bool Window::AddFilter(uint64_t start, uint32_t length, unsigned type, unsigned channels) {
  if (type > kFilterArm || length > kMaxFilterLength) return false;
  if (length == 0) return true;
  if (length > size_ - kSpanMargin * 2) return false;
  // A packer sends ranges in order and apart; anything else is damage.
  if (!filters_.empty() && start < filters_.back().end) return false;
  if (filters_.size() >= kMaxFilters) return false;
  filters_.push_back(Filter{start, start + length, type, channels});
  return true;
}

uint64_t Window::FlushPoint() const {
  uint64_t at = written_ + (size_ - kSpanMargin);
  if (!filters_.empty()) at = std::min(at, filters_.front().end);
  if (member_end_ != UINT64_MAX) at = std::min(at, member_end_ + 1);
  return at;
}

size_t Window::IndexOf(uint64_t absolute) const {
  const size_t back = static_cast<size_t>(total - absolute);
  return pos >= back ? pos - back : pos + size_ - back;
}

bool Window::WriteRange(UnpackedOutput& out, uint64_t from, uint64_t to) {
  if (from >= to) return true;
  const size_t at = IndexOf(from);
  const size_t n = static_cast<size_t>(to - from);
  if (at + n <= size_) return out.Write(data_.get() + at, n);
  const size_t first = size_ - at;
  return out.Write(data_.get() + at, first) && out.Write(data_.get(), n - first);
}

bool Window::WriteFiltered(UnpackedOutput& out, const Filter& f) {
  const size_t n = static_cast<size_t>(f.end - f.start);
  filter_in_.resize(n);
  const size_t at = IndexOf(f.start);
  if (at + n <= size_) {
    std::memcpy(filter_in_.data(), data_.get() + at, n);
  } else {
    const size_t first = size_ - at;
    std::memcpy(filter_in_.data(), data_.get() + at, first);
    std::memcpy(filter_in_.data() + first, data_.get(), n - first);
  }
  // Offsets within the member: each member's addresses count from its start.
  const uint32_t offset = static_cast<uint32_t>(f.start - member_start_);
  switch (f.type) {
    case kFilterDelta:
      filter_out_.resize(n);
      UndoDelta(filter_in_.data(), filter_out_.data(), n, f.channels);
      return out.Write(filter_out_.data(), n);
    case kFilterE8:
    case kFilterE8E9:
      UndoE8(filter_in_.data(), n, offset, f.type == kFilterE8E9);
      break;
    default:
      UndoArm(filter_in_.data(), n, offset);
      break;
  }
  return out.Write(filter_in_.data(), n);
}

int Window::Flush(UnpackedOutput& out) {
  if (total > member_end_) return kBadData;
  while (written_ < total) {
    if (!filters_.empty() && filters_.front().start < total) {
      const Filter f = filters_.front();
      if (!WriteRange(out, written_, f.start)) return out.Failure();
      written_ = f.start;
      if (f.end > total) break;
      if (!WriteFiltered(out, f)) return out.Failure();
      written_ = f.end;
      filters_.pop_front();
      continue;
    }
    if (!WriteRange(out, written_, total)) return out.Failure();
    written_ = total;
  }
  // Held back for a filter this long, the next steps would overwrite it.
  if (total - written_ >= size_ - kSpanMargin) return kBadData;
  return kSuccess;
}

int Window::Finish(UnpackedOutput& out) {
  if (const int rc = Flush(out); rc != kSuccess) return rc;
  // A filter whose range the member's data does not complete.
  if (written_ != total) return kBadData;
  filters_.clear();
  if (member_end_ != UINT64_MAX && total != member_end_) return kBadData;
  return kSuccess;
}

}  // namespace rar::unpack::rar50
