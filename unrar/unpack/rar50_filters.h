// The transforms a newer-format stream may ask for on a range of its
// output, undone here on a copy of that range before it is written.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rar::unpack::rar50 {

enum FilterType : unsigned { kFilterDelta = 0, kFilterE8 = 1, kFilterE8E9 = 2, kFilterArm = 3 };

// The largest range one filter may cover.
constexpr uint32_t kMaxFilterLength = 0x400000;

// Byte planes back to interleaved bytes: src holds each channel's
// differences in turn; dst gets size bytes.
void UndoDelta(const unsigned char* src, unsigned char* dst, size_t size, unsigned channels);

// Absolute call (and with e9 also jump) targets back to relative ones, in
// place. file_offset: where the range starts in the member's output.
void UndoE8(unsigned char* data, size_t size, uint32_t file_offset, bool e9_too);

// Absolute branch-with-link targets back to relative ones, in place.
void UndoArm(unsigned char* data, size_t size, uint32_t file_offset);

}  // namespace rar::unpack::rar50
