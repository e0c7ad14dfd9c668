// Numbers written as text: the one place where digits are read, for the INI
// engine, the log's records and the registry files.
#pragma once

#include <cstdint>
#include <string_view>

namespace numbers {

// 0 to 15 for a hexadecimal digit, -1 for anything else.
int HexDigitValue(char c);

// The standard conversion of the setup description: an optional sign and
// decimal digits, or "$" and hexadecimal digits, and nothing else (no blanks).
// False for anything else and for a value outside 32 bits; eight hexadecimal
// digits fill all 32 ("$FFFFFFFF" is -1).
bool TryStrToInt(std::string_view text, int32_t& result);

// A number as the log writes it: blanks or tabs first, an optional sign, then
// decimal digits, or hexadecimal ones after "$" or "0x". `fallback` for
// anything else or overflow.
int32_t StrToIntDef(std::string_view text, int32_t fallback);

}  // namespace numbers
