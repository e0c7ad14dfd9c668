#include "unrar/unpack/decoder.h"

#include "unrar/unpack/families.h"

namespace rar::unpack {

namespace {

int Family(unsigned version) {
  switch (version) {
    case 15: return 15;
    case 20: case 26: return 20;
    case 29: case 36: return 29;
    case 50: case 70: return 50;
    default: return 0;
  }
}

}  // namespace

std::unique_ptr<Decoder> MakeDecoder(unsigned version) {
  switch (Family(version)) {
    case 15: return MakeRar15Decoder();
    case 20: return MakeRar20Decoder();
    case 29: return MakeRar29Decoder();
    case 50: return MakeRar50Decoder();
    default: return nullptr;
  }
}

bool SameFamily(unsigned a, unsigned b) { return Family(a) != 0 && Family(a) == Family(b); }

}  // namespace rar::unpack
