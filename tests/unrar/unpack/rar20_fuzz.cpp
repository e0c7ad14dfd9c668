// Any bytes as a member of unpack version 20 or 26 (see old_fuzz.h for the
// prefix).
#include "tests/unrar/unpack/old_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const unsigned kVersions[] = {20, 26};
  oldfuzz::Run(data, size, kVersions, 2);
  return 0;
}
