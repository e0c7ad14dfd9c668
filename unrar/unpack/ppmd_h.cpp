#include "unrar/unpack/ppmd_h.h"

namespace rar::unpack {

// Not written yet: every call fails, so PPM blocks are refused as bad data.
struct PpmdH::Model {};

PpmdH::PpmdH() = default;
PpmdH::~PpmdH() = default;
bool PpmdH::Allocate(size_t) { return false; }
bool PpmdH::Allocated() const { return false; }
void PpmdH::Restart(int) {}
bool PpmdH::StartDecoder(ByteIn*) { return false; }
int PpmdH::DecodeSymbol() { return -1; }

}  // namespace rar::unpack
