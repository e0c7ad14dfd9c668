// One factory per family of unpack versions, each in its own unit.
#pragma once

#include <memory>

#include "unrar/unpack/decoder.h"

namespace rar::unpack {

std::unique_ptr<Decoder> MakeRar15Decoder();  // 15
std::unique_ptr<Decoder> MakeRar20Decoder();  // 20, 26
std::unique_ptr<Decoder> MakeRar29Decoder();  // 29, 36
std::unique_ptr<Decoder> MakeRar50Decoder();  // 50, 70

}  // namespace rar::unpack
