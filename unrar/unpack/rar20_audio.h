// The multimedia mode of unpack versions 20 and 26: each byte is coded as
// the difference from a prediction made from the channel's last deltas and
// the delta of the channel before; every 32 bytes the channel's weights move
// toward whichever of them would have erred least.
#pragma once

#include <cstdint>

namespace rar::unpack::old {

class AudioChannel {
 public:
  // The byte for `delta` (a symbol of the channel's code); `cross` is the
  // delta the previous byte of any channel left, updated here.
  unsigned char Decode(unsigned delta, int& cross);

 private:
  int k_[5] = {};
  int d_[4] = {};
  int last_delta_ = 0;
  unsigned dif_[11] = {};
  unsigned count_ = 0;
  unsigned last_char_ = 0;
};

}  // namespace rar::unpack::old
