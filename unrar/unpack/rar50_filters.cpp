#include "unrar/unpack/rar50_filters.h"

namespace rar::unpack::rar50 {

void UndoDelta(const unsigned char* src, unsigned char* dst, size_t size, unsigned channels) {
  for (unsigned channel = 0; channel < channels; ++channel) {
    unsigned char prev = 0;
    for (size_t at = channel; at < size; at += channels) {
      prev = static_cast<unsigned char>(prev - *src++);
      dst[at] = prev;
    }
  }
}

void UndoE8(unsigned char* data, size_t size, uint32_t file_offset, bool e9_too) {
  // Addresses were made absolute within a 16 MB space.
  constexpr uint32_t kSpace = 0x1000000;
  const unsigned char second = e9_too ? 0xE9 : 0xE8;
  // The last opcode that still has all four address bytes inside the range.
  for (size_t at = 0; at + 4 < size;) {
    const unsigned char op = data[at++];
    if (op != 0xE8 && op != second) continue;
    unsigned char* p = data + at;
    const uint32_t offset = static_cast<uint32_t>((at + file_offset) % kSpace);
    const uint32_t addr = p[0] | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
    uint32_t value;
    bool change = false;
    if (addr & 0x80000000u) {
      // Negative: left alone unless it was a small negative made from a valid target.
      if (((addr + offset) & 0x80000000u) == 0) {
        value = addr + kSpace;
        change = true;
      }
    } else if (addr < kSpace) {
      value = addr - offset;
      change = true;
    }
    if (change) {
      p[0] = static_cast<unsigned char>(value);
      p[1] = static_cast<unsigned char>(value >> 8);
      p[2] = static_cast<unsigned char>(value >> 16);
      p[3] = static_cast<unsigned char>(value >> 24);
    }
    at += 4;
  }
}

void UndoArm(unsigned char* data, size_t size, uint32_t file_offset) {
  for (size_t at = 0; at + 3 < size; at += 4) {
    unsigned char* p = data + at;
    if (p[3] != 0xEB) continue;  // BL with the "always" condition
    uint32_t target = p[0] | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
    target -= (file_offset + static_cast<uint32_t>(at)) / 4;
    p[0] = static_cast<unsigned char>(target);
    p[1] = static_cast<unsigned char>(target >> 8);
    p[2] = static_cast<unsigned char>(target >> 16);
  }
}

}  // namespace rar::unpack::rar50
