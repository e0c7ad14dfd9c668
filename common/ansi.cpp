#include "common/ansi.h"

#include <array>

namespace ansi {
namespace {

struct CaseTables {
  std::array<unsigned char, 256> upper{};
  std::array<unsigned char, 256> lower{};

  CaseTables() {
    for (int i = 0; i < 256; ++i) {
      upper[i] = lower[i] = static_cast<unsigned char>(i);
    }
    auto pair = [this](int up, int low) {
      upper[low] = static_cast<unsigned char>(up);
      lower[up] = static_cast<unsigned char>(low);
    };
    for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 32);
    for (int c = 0xC0; c <= 0xDF; ++c) pair(c, c + 32);  // А..Я / а..я
    // The letters of code page 1251 outside the main Cyrillic block.
    pair(0xA8, 0xB8);  // Ё ё
    pair(0x80, 0x90);  // Ђ ђ
    pair(0x81, 0x83);  // Ѓ ѓ
    pair(0x8A, 0x9A);  // Љ љ
    pair(0x8C, 0x9C);  // Њ њ
    pair(0x8D, 0x9D);  // Ќ ќ
    pair(0x8E, 0x9E);  // Ћ ћ
    pair(0x8F, 0x9F);  // Џ џ
    pair(0xA1, 0xA2);  // Ў ў
    pair(0xA3, 0xBC);  // Ј ј
    pair(0xA5, 0xB4);  // Ґ ґ
    pair(0xAA, 0xBA);  // Є є
    pair(0xAF, 0xBF);  // Ї ї
    pair(0xB2, 0xB3);  // І і
    pair(0xBD, 0xBE);  // Ѕ ѕ
  }
};

const CaseTables& Tables() {
  static const CaseTables tables;
  return tables;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

}  // namespace

char UpperChar(char c) {
  return static_cast<char>(Tables().upper[static_cast<unsigned char>(c)]);
}

char LowerChar(char c) {
  return static_cast<char>(Tables().lower[static_cast<unsigned char>(c)]);
}

std::string UpperCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = UpperChar(c);
  return r;
}

std::string LowerCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = LowerChar(c);
  return r;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  }
  return true;
}

std::string_view TrimLeft(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && IsBlank(s[b])) ++b;
  return s.substr(b);
}

std::string_view TrimRight(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && IsBlank(s[e - 1])) --e;
  return s.substr(0, e);
}

std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

}  // namespace ansi
