#include "common/wide_text.h"

#include <windows.h>

namespace widetext {

namespace {

std::wstring FromCodePage(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int len = static_cast<int>(text.size());
  int n = MultiByteToWideChar(codePage, 0, text.data(), len, nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), len, w.data(), n);
  return w;
}

}  // namespace

std::wstring FromAnsi(std::string_view ansi) { return FromCodePage(CP_ACP, ansi); }

std::wstring FromUtf8(std::string_view utf8) { return FromCodePage(CP_UTF8, utf8); }

std::optional<std::string> ExactAnsi(std::wstring_view wide) {
  if (wide.empty()) return std::string();
  const int len = static_cast<int>(wide.size());
  BOOL lost = FALSE;
  int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), len, nullptr, 0, nullptr, &lost);
  if (n <= 0 || lost) return std::nullopt;
  std::string a(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), len, a.data(), n, nullptr, &lost);
  if (lost || FromAnsi(a) != wide) return std::nullopt;
  return a;
}

}  // namespace widetext
