// Any bytes as a member of unpack version 15 (see old_fuzz.h for the prefix).
#include "tests/unrar/unpack/old_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const unsigned kVersions[] = {15};
  oldfuzz::Run(data, size, kVersions, 1);
  return 0;
}
