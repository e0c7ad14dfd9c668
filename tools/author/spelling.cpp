#include "tools/author/spelling.h"

#include <algorithm>

namespace author {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool IsWordStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsWordChar(char c) { return IsWordStart(c) || (c >= '0' && c <= '9'); }

bool SameAscii(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

}  // namespace

size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      const size_t cost = Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1;
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + cost});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string NearestName(std::string_view name, const std::vector<std::string>& candidates) {
  const size_t allowed = name.size() <= 4 ? 1 : 2;
  std::string best;
  size_t bestDistance = allowed + 1;
  for (const std::string& c : candidates) {
    const size_t d = EditDistance(name, c);
    if (d < bestDistance) {
      best = c;
      bestDistance = d;
    }
  }
  return best;
}

const std::vector<std::string>& MacroNames() {
  static const std::vector<std::string> kNames = {"%InstallPath%", "%SourcePath%", "%SourceDrive%"};
  return kNames;
}

std::vector<MacroWord> MacroWords(std::string_view text) {
  std::vector<MacroWord> words;
  size_t i = 0;
  while ((i = text.find('%', i)) != std::string_view::npos) {
    size_t j = i + 1;
    if (j < text.size() && IsWordStart(text[j])) {
      while (j < text.size() && IsWordChar(text[j])) ++j;
      if (j < text.size() && text[j] == '%') {
        MacroWord w;
        w.word = std::string(text.substr(i, j + 1 - i));
        for (const std::string& m : MacroNames()) w.known = w.known || SameAscii(w.word, m);
        words.push_back(std::move(w));
        i = j + 1;
        continue;
      }
    }
    ++i;
  }
  return words;
}

}  // namespace author
