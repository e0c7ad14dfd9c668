// Conversions between UTF-8, UTF-16 and the OEM code page 866 in which the
// published interface hands member names to its callers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rar {

void AppendUtf8(std::string& out, char32_t cp);

// Decodes strictly (no overlong forms, no surrogates); every bad sequence
// becomes U+FFFD, so the result is always valid UTF-8.
std::u32string DecodeUtf8(std::string_view utf8);
std::string NormalizeUtf8(std::string_view utf8);
bool IsValidUtf8(std::string_view s);

// UTF-16 code units to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf8FromUtf16(const std::u16string& units);

// Code page 866 <-> Unicode. Characters 866 lacks become '?'.
char32_t UnicodeFromOem(unsigned char c);
std::string Utf8FromOem(std::string_view oem);
std::string OemFromUtf8(std::string_view utf8);

}  // namespace rar
