#include "setup/regfile/hex_reader.h"

#include "common/ansi.h"
#include "common/numbers.h"


int32_t HexToStr(std::string_view text, int* badDigits) {
  uint32_t value = 0;
  int bad = 0;
  for (char c : ansi::Trim(text)) {
    int digit = numbers::HexDigitValue(c);
    if (digit < 0) {
      ++bad;
      digit = 0;
    }
    value = value * 16u + static_cast<uint32_t>(digit);
  }
  if (badDigits) *badDigits = bad;
  return static_cast<int32_t>(value);
}
