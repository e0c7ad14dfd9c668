// Fuzzes the PPMd model and its range decoder alone. The input is a
// 6-byte prefix of parameters, then the coder's bytes:
//   [0] bits 0-4: order code as a block header gives it (0 gives order 1,
//       which the model refuses); bit 5: restart the coder (not the model)
//       after the symbols counted in [4..5], as a block without the
//       restart flag does
//   [1] model memory: below 0x80, (n + 1) * 8 KB, which runs out within
//       a few thousand symbols; else (n % 32 + 1) MB, as blocks give it
//   [2..3] at most 4 symbols per unit of this number (up to 4096) are
//       decoded: an input stays well under a second in the instrumented
//       build
//   [4..5] symbols before the coder restarts
// One model object serves every input, so each starts on a memory that
// holds whatever the last one left.
#include <cstddef>
#include <cstdint>

#include "unrar/unpack/ppmd_h.h"

namespace {

struct SpanIn : rar::unpack::ByteIn {
  SpanIn(const uint8_t* d, size_t n) : data(d), size(n) {}
  int Get() override { return pos < size ? data[pos++] : -1; }
  const uint8_t* data;
  size_t size;
  size_t pos = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  static rar::unpack::PpmdH ppm;
  int order = (data[0] & 0x1f) + 1;
  if (order > 16) order = 16 + (order - 16) * 3;
  const bool restart_coder = data[0] & 0x20;
  const size_t memory = data[1] < 0x80 ? (static_cast<size_t>(data[1]) + 1) << 13
                                        : (static_cast<size_t>(data[1] % 32) + 1) << 20;
  const uint32_t cap = 4u * (1u + ((data[2] | data[3] << 8) & 0x3ff));
  const uint32_t first = restart_coder ? static_cast<uint32_t>(data[4] | data[5] << 8) : cap;
  if (!ppm.Allocate(memory)) return 0;
  ppm.Restart(order);
  SpanIn in(data + 6, size - 6);
  if (!ppm.StartDecoder(&in)) return 0;
  uint32_t n = 0;
  while (n < cap && n < first && ppm.DecodeSymbol() >= 0) n++;
  if (restart_coder && n == first && ppm.StartDecoder(&in)) {
    while (n < cap && ppm.DecodeSymbol() >= 0) n++;
  }
  return 0;
}
