#include "unrar/unpack/rar20_audio.h"

#include <cstdlib>

namespace rar::unpack::old {

unsigned char AudioChannel::Decode(unsigned delta, int& cross) {
  ++count_;
  d_[3] = d_[2];
  d_[2] = d_[1];
  d_[1] = last_delta_ - d_[0];
  d_[0] = last_delta_;
  const int predicted = ((8 * static_cast<int>(last_char_) + k_[0] * d_[0] + k_[1] * d_[1] + k_[2] * d_[2] +
                          k_[3] * d_[3] + k_[4] * cross) >>
                         3) &
                        0xff;
  const unsigned ch = (static_cast<unsigned>(predicted) - delta) & 0xff;

  // The error of each candidate, in eighths.
  const int d = static_cast<int>(static_cast<signed char>(delta & 0xff)) * 8;
  dif_[0] += static_cast<unsigned>(std::abs(d));
  dif_[1] += static_cast<unsigned>(std::abs(d - d_[0]));
  dif_[2] += static_cast<unsigned>(std::abs(d + d_[0]));
  dif_[3] += static_cast<unsigned>(std::abs(d - d_[1]));
  dif_[4] += static_cast<unsigned>(std::abs(d + d_[1]));
  dif_[5] += static_cast<unsigned>(std::abs(d - d_[2]));
  dif_[6] += static_cast<unsigned>(std::abs(d + d_[2]));
  dif_[7] += static_cast<unsigned>(std::abs(d - d_[3]));
  dif_[8] += static_cast<unsigned>(std::abs(d + d_[3]));
  dif_[9] += static_cast<unsigned>(std::abs(d - cross));
  dif_[10] += static_cast<unsigned>(std::abs(d + cross));

  cross = last_delta_ = static_cast<signed char>((ch - last_char_) & 0xff);
  last_char_ = ch;

  if ((count_ & 0x1f) == 0) {
    unsigned min_dif = dif_[0];
    unsigned best = 0;
    dif_[0] = 0;
    for (unsigned i = 1; i < 11; ++i) {
      if (dif_[i] < min_dif) {
        min_dif = dif_[i];
        best = i;
      }
      dif_[i] = 0;
    }
    if (best != 0) {
      // Odd candidates lower a weight, even ones raise it, within -17..16.
      int& k = k_[(best - 1) / 2];
      if (best & 1) {
        if (k >= -16) --k;
      } else {
        if (k < 16) ++k;
      }
    }
  }
  return static_cast<unsigned char>(ch);
}

}  // namespace rar::unpack::old
