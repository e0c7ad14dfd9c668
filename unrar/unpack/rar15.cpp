#include "unrar/unpack/families.h"

namespace rar::unpack {

// Not written yet: members of this family are refused as an unknown method.
std::unique_ptr<Decoder> MakeRar15Decoder() { return nullptr; }

}  // namespace rar::unpack
