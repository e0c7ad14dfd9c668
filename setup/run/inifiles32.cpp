#include "setup/run/inifiles32.h"

#include "common/ansi.h"
#include "common/file_io.h"
#include "common/numbers.h"

namespace inifiles32 {

bool IsSectionHeader(std::string_view line) {
  std::string_view t = ansi::Trim(line);
  return !t.empty() && t.front() == '[' && t.back() == ']';
}

bool HeaderName(std::string_view line, std::string_view& name) {
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return false;
  name = line.substr(1, line.size() - 2);
  return true;
}

std::string_view KeyOfLine(std::string_view line) {
  size_t eq = line.find('=');
  if (eq == std::string_view::npos) return {};
  return ansi::Trim(line.substr(0, eq));
}

std::string_view ValueOfLine(std::string_view line, std::string_view key) {
  if (line.empty() || key.empty()) return {};
  size_t p = line.find(key);
  size_t q = line.find('=');
  if (p == std::string_view::npos || q == std::string_view::npos || p >= q) return {};
  return ansi::Trim(line.substr(q + 1));
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
    ++i;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}


}  // namespace inifiles32

using namespace inifiles32;

TIniFile32::TIniFile32(std::string fileName) : FileName_(std::move(fileName)) {
  if (auto bytes = fileio::ReadWholeFile(FileName_)) Lines_ = SplitLines(*bytes);
}

TIniFile32::LookupIndex& TIniFile32::Index() const {
  if (!Index_) {
    Index_ = std::make_shared<LookupIndex>();
    for (size_t i = 0; i < Lines_.size(); ++i) {
      std::string_view name;
      // The header is compared as a whole, untrimmed line; the first of a name counts.
      if (HeaderName(Lines_[i], name)) Index_->sections.emplace(ansi::UpperCase(name), i);
    }
  }
  return *Index_;
}

const std::map<std::string, size_t, std::less<>>& TIniFile32::KeysOf(size_t header) const {
  auto [it, added] = Index().keys.try_emplace(header);
  if (added) {
    for (size_t i = header + 1; i < Lines_.size(); ++i) {
      const std::string& line = Lines_[i];
      if (IsSectionHeader(line)) break;
      std::string_view key = KeyOfLine(line);
      if (!key.empty()) it->second.emplace(std::string(key), i);
    }
  }
  return it->second;
}

ptrdiff_t TIniFile32::FindSection(std::string_view section) const {
  const auto& sections = Index().sections;
  auto it = sections.find(ansi::UpperCase(section));
  return it == sections.end() ? -1 : static_cast<ptrdiff_t>(it->second);
}

std::string TIniFile32::ReadString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const {
  ptrdiff_t header = FindSection(section);
  // An empty key names no value: a line without one has no value either.
  if (header < 0 || key.empty()) return std::string(defaultValue);
  const auto& keys = KeysOf(static_cast<size_t>(header));
  auto it = keys.find(key);
  if (it == keys.end()) return std::string(defaultValue);
  std::string_view value = ValueOfLine(Lines_[it->second], key);
  return std::string(value.empty() ? defaultValue : value);
}

int32_t TIniFile32::ReadInteger(std::string_view section, std::string_view key,
                                int32_t defaultValue) const {
  std::string s = ReadString(section, key, "");
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s = "$" + s.substr(2);
  int32_t result;
  return numbers::TryStrToInt(s, result) ? result : defaultValue;
}

bool TIniFile32::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile32::ReadSectionValues(std::string_view section, std::vector<std::string>* strings) const {
  if (strings == nullptr) {
    throw EAssertionFailed("Param Strings must be assigned (inifiles32, line 255)");
  }
  strings->clear();
  ptrdiff_t header = FindSection(section);
  if (header < 0) return;
  for (size_t i = static_cast<size_t>(header) + 1; i < Lines_.size(); ++i) {
    const std::string& line = Lines_[i];
    if (IsSectionHeader(line)) break;
    std::string_view key = KeyOfLine(line);
    if (key.empty()) continue;
    std::string entry(key);
    entry += '=';
    entry += ValueOfLine(line, key);
    strings->push_back(std::move(entry));
  }
}

void TIniFile32::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  std::string keyLine;
  keyLine.reserve(key.size() + 1 + value.size());
  keyLine.append(key).append("=").append(value);

  ptrdiff_t header = FindSection(section);
  if (header < 0) {
    // A new section always opens with a blank line, even at the top of a new file.
    Lines_.emplace_back();
    Lines_.push_back("[" + std::string(section) + "]");
    if (!key.empty()) Lines_.push_back(std::move(keyLine));
  } else if (!key.empty()) {
    size_t i = static_cast<size_t>(header) + 1;
    while (i < Lines_.size() && !IsSectionHeader(Lines_[i]) && KeyOfLine(Lines_[i]) != key) ++i;
    bool sameKey = i < Lines_.size() && !IsSectionHeader(Lines_[i]);
    if (sameKey) {
      Lines_[i] = std::move(keyLine);
    } else {
      Lines_.insert(Lines_.begin() + static_cast<ptrdiff_t>(i), std::move(keyLine));
    }
  }
  Index_.reset();
  Save();
}

void TIniFile32::Save() const {
  size_t total = 0;
  for (const std::string& line : Lines_) total += line.size() + 2;
  std::string bytes;
  bytes.reserve(total);
  for (const std::string& line : Lines_) bytes.append(line).append("\r\n");
  fileio::ReplaceFileContents(FileName_, bytes);
}
