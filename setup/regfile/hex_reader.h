// The hexadecimal number reader of the registry files.
#pragma once

#include <cstdint>
#include <string_view>

// Reads text (trimmed of blanks and control characters) as hexadecimal digits
// in 32-bit arithmetic that wraps, so more than eight digits keep the last
// eight. A character that is no hexadecimal digit counts as 0; the number of
// such characters goes to *badDigits, so that the caller can tell the user.
int32_t HexToStr(std::string_view text, int* badDigits = nullptr);
