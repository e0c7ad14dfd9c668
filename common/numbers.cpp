#include "common/numbers.h"

#include <optional>

namespace numbers {
namespace {

// The digits' value; nothing when a character is no digit of the base, when
// there are none, or when the value passes `limit`.
std::optional<uint64_t> Digits(std::string_view text, int base, uint64_t limit) {
  if (text.empty()) return std::nullopt;
  uint64_t v = 0;
  for (char c : text) {
    int d = HexDigitValue(c);
    if (d < 0 || d >= base) return std::nullopt;
    v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    if (v > limit) return std::nullopt;
  }
  return v;
}

// Takes a leading "+" or "-" off `text`; true for "-".
bool TakeSign(std::string_view& text) {
  if (text.empty() || (text.front() != '+' && text.front() != '-')) return false;
  bool negative = text.front() == '-';
  text.remove_prefix(1);
  return negative;
}

}  // namespace

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool TryStrToInt(std::string_view text, int32_t& result) {
  if (!text.empty() && text.front() == '$') {
    std::optional<uint64_t> v = Digits(text.substr(1), 16, 0xFFFFFFFFull);
    if (!v) return false;
    result = static_cast<int32_t>(static_cast<uint32_t>(*v));
    return true;
  }
  const bool negative = TakeSign(text);
  std::optional<uint64_t> v = Digits(text, 10, negative ? 0x80000000ull : 0x7FFFFFFFull);
  if (!v) return false;
  result = static_cast<int32_t>(negative ? -static_cast<int64_t>(*v) : static_cast<int64_t>(*v));
  return true;
}

int32_t StrToIntDef(std::string_view text, int32_t fallback) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  const bool negative = TakeSign(text);
  int base = 10;
  if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (base == 16) {
    std::optional<uint64_t> v = Digits(text, 16, 0xFFFFFFFFull);
    if (!v) return fallback;
    // Eight hexadecimal digits fill all 32 bits ($FFFFFFFF is -1).
    uint32_t u = static_cast<uint32_t>(*v);
    return static_cast<int32_t>(negative ? 0u - u : u);
  }
  std::optional<uint64_t> v = Digits(text, 10, negative ? 0x80000000ull : 0x7FFFFFFFull);
  if (!v) return fallback;
  return static_cast<int32_t>(negative ? -static_cast<int64_t>(*v) : static_cast<int64_t>(*v));
}

}  // namespace numbers
