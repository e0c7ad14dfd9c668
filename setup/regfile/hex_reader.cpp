#include "setup/regfile/hex_reader.h"

#include "common/ansi.h"

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

int32_t HexToStr(std::string_view text, int* badDigits) {
  uint32_t value = 0;
  int bad = 0;
  for (char c : ansi::Trim(text)) {
    int digit = HexDigitValue(c);
    if (digit < 0) {
      ++bad;
      digit = 0;
    }
    value = value * 16u + static_cast<uint32_t>(digit);
  }
  if (badDigits) *badDigits = bad;
  return static_cast<int32_t>(value);
}
