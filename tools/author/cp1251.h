// Code page 1251 and Unicode, without the system: setup.ini, the registry
// files and the wizard speak code page 1251, archive member names and the
// tools' own output are UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace cp1251 {

// The one byte code page 1251 leaves undefined.
inline constexpr unsigned char kUndefinedByte = 0x98;

// The character of a byte; U+FFFD for the undefined byte.
char32_t ToUnicode(unsigned char byte);

std::string Utf8FromCp1251(std::string_view text);

// Characters the code page lacks become '?', and `lossless` (when given)
// tells whether that happened. Bad UTF-8 counts as such a character.
std::string Cp1251FromUtf8(std::string_view utf8, bool* lossless = nullptr);
std::string Cp1251FromUtf16(std::u16string_view utf16, bool* lossless = nullptr);

}  // namespace cp1251
