// Text helpers for single-byte ANSI strings in code page 1251, shared by both programs.
#pragma once

#include <string>
#include <string_view>

namespace ansi {

// Upper case in code page 1251: Latin and Cyrillic letters alike, like the
// system's own ANSI folding on a Russian Windows.
char UpperChar(char c);
char LowerChar(char c);
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);

// Removes leading and trailing characters of code 32 and below (bytes of
// 128 and above are letters here, never blanks).
std::string_view Trim(std::string_view s);
std::string_view TrimLeft(std::string_view s);
std::string_view TrimRight(std::string_view s);

}  // namespace ansi
