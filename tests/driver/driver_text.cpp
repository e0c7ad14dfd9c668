#include "tests/driver/driver_text.h"

#include <stdexcept>

namespace {

constexpr UINT kTimeoutMs = 2000;

}  // namespace

std::wstring Utf8ToWide(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                              nullptr, 0);
  if (n <= 0) throw std::runtime_error("the script holds text that is not UTF-8: " + utf8);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  return w;
}

std::string WideToUtf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::string WideToAnsi(const std::wstring& wide) {
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string ansi(n, '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), n, nullptr, nullptr);
  return ansi;
}

std::string Utf8ToAnsi(const std::string& utf8) {
  std::wstring wide = Utf8ToWide(utf8);
  if (wide.empty()) return {};
  BOOL lossy = FALSE;
  int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                              nullptr, 0, nullptr, &lossy);
  std::string ansi(n, '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), ansi.data(), n,
                      nullptr, &lossy);
  if (lossy) throw std::runtime_error("text has characters outside the ANSI code page: " + utf8);
  return ansi;
}

std::string ShowAnsi(const std::string& ansi) {
  std::string printable;
  for (unsigned char c : ansi) {
    if (c == '\n') {
      printable += "\\n";
    } else if (c == '\r') {
      printable += "\\r";
    } else if (c == '\t') {
      printable += "\\t";
    } else if (c < 32) {
      char hex[8];
      wsprintfA(hex, "\\x%02X", c);
      printable += hex;
    } else {
      printable += static_cast<char>(c);
    }
  }
  int n = MultiByteToWideChar(CP_ACP, 0, printable.data(), static_cast<int>(printable.size()), nullptr, 0);
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(CP_ACP, 0, printable.data(), static_cast<int>(printable.size()), wide.data(), n);
  return "\"" + WideToUtf8(wide) + "\"";
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      switch (text[i + 1]) {
        case 'n': out += '\n'; ++i; continue;
        case 'r': out += '\r'; ++i; continue;
        case 't': out += '\t'; ++i; continue;
        case '\\': out += '\\'; ++i; continue;
      }
    }
    out += text[i];
  }
  return out;
}

std::string WindowTextAnsi(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &length)) return {};
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                      kTimeoutMs, &copied);
  text.resize(copied);
  return text;
}

std::wstring WindowTextWide(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &length)) return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                      kTimeoutMs, &copied);
  text.resize(copied);
  return text;
}
