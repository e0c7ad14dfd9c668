// The filters of the LZ stream. The stream carries each filter as a small
// program with the block of output it applies to; the programs real archives
// carry are a handful of standard transforms, which are recognised by their
// code and run natively here. Any other program is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rar::unpack::rar29 {

enum class FilterKind : uint8_t { kE8, kE8E9, kItanium, kDelta, kRgb, kAudio };

// The largest block a filter works on; delta, RGB and audio write their
// result after their input, so they take half of it.
constexpr uint32_t kFilterMemory = 0x40000;

// The standard filter with this byte code; false when it is none of them.
bool IdentifyFilter(const uint8_t* code, size_t size, FilterKind* kind);

// Runs a filter over data[0, length): the window itself, or mem, or what an
// earlier filter left in mem (which holds 2 * kFilterMemory + 64 bytes).
// regs are the program's initial registers; file_offset is where the block
// starts in the member. Returns the result (in mem, never at data unless
// data is mem), or null when the parameters do not fit the filter.
const uint8_t* RunFilter(FilterKind kind, const uint8_t* data, uint32_t length, const uint32_t regs[7],
                         uint64_t file_offset, uint8_t* mem);

struct PendingFilter {
  FilterKind kind;
  bool done;
  uint64_t start;  // absolute output position of the block
  uint32_t length;
  uint32_t regs[7];
};

// The filters a stream has defined (reused by number, also by later members
// of a solid set) and the blocks waiting for them.
class FilterSet {
 public:
  static constexpr size_t kMaxDefined = 1024;
  static constexpr size_t kMaxPending = 1024;

  // A new stream: no filters known.
  void Reset();
  // A new member of a solid set keeps the definitions, not the waiting blocks.
  void DropPending() { pending_.clear(); }

  // Reads one filter record: its first byte and the bytes after it. The
  // block's offset counts from pos, the present output position. False when
  // the record is not valid or names an unknown program.
  bool Add(unsigned first_byte, const uint8_t* body, size_t size, uint64_t pos);

  std::vector<PendingFilter>& pending() { return pending_; }
  // Forgets the blocks marked done.
  void Compact();

 private:
  struct Defined {
    FilterKind kind;
    uint32_t last_length;
  };
  std::vector<Defined> defined_;
  std::vector<PendingFilter> pending_;
  size_t last_ = 0;
};

}  // namespace rar::unpack::rar29
