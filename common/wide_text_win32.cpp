#include "common/wide_text.h"

#include <windows.h>

namespace widetext {

std::wstring FromAnsi(std::string_view ansi) {
  if (ansi.empty()) return {};
  const int len = static_cast<int>(ansi.size());
  int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), len, nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), len, w.data(), n);
  return w;
}

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
