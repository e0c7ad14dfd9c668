#include "setup/run/macros.h"

namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

size_t FindAsciiNoCase(std::string_view text, std::string_view pattern, size_t from) {
  if (pattern.empty() || pattern.size() > text.size()) return std::string_view::npos;
  for (size_t i = from; i + pattern.size() <= text.size(); ++i) {
    size_t k = 0;
    while (k < pattern.size() && AsciiUpper(text[i + k]) == AsciiUpper(pattern[k])) ++k;
    if (k == pattern.size()) return i;
  }
  return std::string_view::npos;
}

// Every run of backslashes becomes one, as repeated replacement of "\\" by "\" would make it.
std::string CollapseBackslashes(std::string_view text) {
  std::string r;
  r.reserve(text.size());
  for (char c : text) {
    if (c == '\\' && !r.empty() && r.back() == '\\') continue;
    r += c;
  }
  return r;
}

}  // namespace

std::string ReplaceAll(std::string_view text, std::string_view pattern, std::string_view replacement) {
  // Built front to back: replacing inside the text would move its whole tail
  // at every hit, which a long registry string full of hits makes quadratic.
  std::string result;
  result.reserve(text.size());
  size_t from = 0;
  for (;;) {
    size_t at = FindAsciiNoCase(text, pattern, from);
    if (at == std::string_view::npos) break;
    result.append(text.substr(from, at - from)).append(replacement);
    from = at + pattern.size();
  }
  result.append(text.substr(from));
  return result;
}

std::string ExpandMacros(std::string_view text, std::string_view installDir,
                         std::string_view sourcePath) {
  std::string_view installPath = installDir.empty() ? installDir : installDir.substr(0, installDir.size() - 1);
  std::string s = ReplaceAll(text, "%InstallPath%", installPath);
  s = ReplaceAll(s, "%SourcePath%", sourcePath);
  s = ReplaceAll(s, "%SourceDrive%", sourcePath.substr(0, 2));
  s = CollapseBackslashes(s);
  return ReplaceAll(s, "\\\"", "\"");
}
