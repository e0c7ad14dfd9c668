#include "tools/author/cp1251.h"

#include "unrar/codepage.h"

namespace cp1251 {
namespace {

// Bytes 0x80 to 0xBF; 0xC0 to 0xFF are U+0410 to U+044F in order.
constexpr char16_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

char FromUnicode(char32_t cp, bool& ok) {
  if (cp < 0x80) return static_cast<char>(cp);
  if (cp >= 0x0410 && cp <= 0x044F) return static_cast<char>(0xC0 + (cp - 0x0410));
  for (unsigned i = 0; i < 64; ++i) {
    if (kHigh[i] == cp && cp != 0xFFFD) return static_cast<char>(0x80 + i);
  }
  ok = false;
  return '?';
}

}  // namespace

char32_t ToUnicode(unsigned char byte) {
  if (byte < 0x80) return byte;
  if (byte >= 0xC0) return 0x0410 + (byte - 0xC0);
  return kHigh[byte - 0x80];
}

std::string Utf8FromCp1251(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char c : text) rar::AppendUtf8(out, ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::string Cp1251FromUtf8(std::string_view utf8, bool* lossless) {
  bool ok = true;
  std::string out;
  out.reserve(utf8.size());
  for (char32_t cp : rar::DecodeUtf8(utf8)) out += FromUnicode(cp, ok);
  if (lossless) *lossless = ok;
  return out;
}

std::string Cp1251FromUtf16(std::u16string_view utf16, bool* lossless) {
  bool ok = true;
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t cp = utf16[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[++i] - 0xDC00);
    }
    out += FromUnicode(cp, ok);
  }
  if (lossless) *lossless = ok;
  return out;
}

}  // namespace cp1251
