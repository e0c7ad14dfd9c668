// The sliding window of the newer format's decoder and the way out of it:
// positions are counted in bytes since the window was started, ranges that
// a filter covers wait until they are complete, and everything else leaves
// in large pieces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "unrar/unpack/decoder.h"

namespace rar::unpack::rar50 {

class Window {
 public:
  // Unwritten bytes are kept this far below the window's size, so that one
  // more step (a match of at most kMaxStep bytes, copied in pieces that run
  // a little past its end) never lands on them.
  static constexpr size_t kSpanMargin = 8192;
  static constexpr size_t kMaxStep = 4100;
  // The oldest bytes of a full window are not used as history: a copy's
  // overrun may already have replaced them.
  static constexpr size_t kGuard = 64;
  // Room after the window for that overrun.
  static constexpr size_t kTail = 64;
  // Filters waiting at once; a stream with more is not one a packer writes.
  static constexpr size_t kMaxFilters = 8192;

  // A fresh window of `size` bytes (kNoMemory when it cannot be had).
  int Reset(size_t size);
  // Keeps the history and makes the window at least `size` bytes.
  int Grow(size_t size);

  // Starts a member at the current position: its output ends at `length`
  // bytes from here (UINT64_MAX when unknown).
  void StartMember(uint64_t length);

  // A filter over [start, start + length) of the absolute positions; false
  // for a type that is none of the known ones or a range that cannot be.
  bool AddFilter(uint64_t start, uint32_t length, unsigned type, unsigned channels);

  // Writes out what is complete. kBadData for more output than the member
  // has or a filter range the window cannot hold; out.Failure() when the
  // output refuses.
  int Flush(UnpackedOutput& out);
  // Where the decoder must call Flush next (in absolute positions).
  uint64_t FlushPoint() const;
  // Writes the rest and checks that the member is whole.
  int Finish(UnpackedOutput& out);

  // The most bytes back a match may reach.
  uint64_t History() const {
    const uint64_t have = total - valid_from_;
    return have < size_ - kGuard ? have : size_ - kGuard;
  }

  unsigned char* data() { return data_.get(); }
  size_t size() const { return size_; }

  // Where the next byte goes, and how many bytes were made since Reset.
  size_t pos = 0;
  uint64_t total = 0;

 private:
  struct Filter {
    uint64_t start;
    uint64_t end;
    unsigned type;
    unsigned channels;
  };

  int Allocate(size_t size, std::unique_ptr<unsigned char[]>& out);
  size_t IndexOf(uint64_t absolute) const;
  bool WriteRange(UnpackedOutput& out, uint64_t from, uint64_t to);
  bool WriteFiltered(UnpackedOutput& out, const Filter& f);

  std::unique_ptr<unsigned char[]> data_;
  size_t capacity_ = 0;
  size_t size_ = 0;
  uint64_t valid_from_ = 0;  // the oldest position the window has
  uint64_t written_ = 0;
  uint64_t member_start_ = 0;
  uint64_t member_end_ = UINT64_MAX;
  std::deque<Filter> filters_;
  std::vector<unsigned char> filter_in_, filter_out_;
};

}  // namespace rar::unpack::rar50
