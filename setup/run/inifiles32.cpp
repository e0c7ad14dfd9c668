#include "setup/run/inifiles32.h"

#include <optional>
#include <utility>

#include "common/ansi.h"
#include "common/file_io.h"
#include "common/log_journal.h"
#include "common/numbers.h"
#include "common/timing.h"

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
  Segments_.emplace_back();
  std::optional<std::string> bytes = fileio::ReadWholeFile(FileName_);
  if (!bytes) return;
  for (std::string& line : SplitLines(*bytes)) {
    if (!IsSectionHeader(line)) {
      Segment& last = Segments_.back();
      std::string_view key = KeyOfLine(line);
      if (!key.empty()) last.keys.emplace(std::string(key), last.lines.size());
      last.lines.push_back(std::move(line));
      continue;
    }
    std::string_view name;
    // The header is compared as a whole, untrimmed line; the first of a name counts.
    if (HeaderName(line, name)) Sections_.emplace(ansi::UpperCase(name), Segments_.size());
    Segments_.push_back(Segment{std::move(line), {}, {}});
  }
}

TIniFile32::TIniFile32(const TIniFile32& other)
    : FileName_(other.FileName_),
      Segments_(other.Segments_),
      Sections_(other.Sections_),
      Lines_(other.Lines_),
      LinesStale_(other.LinesStale_),
      Journaled_(other.Journaled_) {}

TIniFile32& TIniFile32::operator=(const TIniFile32& other) {
  if (this != &other) *this = TIniFile32(other);
  return *this;
}

const TIniFile32::Segment* TIniFile32::FindSection(std::string_view section) const {
  auto it = Sections_.find(ansi::UpperCase(section));
  return it == Sections_.end() ? nullptr : &Segments_[it->second];
}

TIniFile32::Segment* TIniFile32::FindSection(std::string_view section) {
  return const_cast<Segment*>(std::as_const(*this).FindSection(section));
}

const std::vector<std::string>& TIniFile32::Lines() const {
  if (LinesStale_) {
    Lines_.clear();
    for (const Segment& seg : Segments_) {
      if (&seg != &Segments_.front()) Lines_.push_back(seg.header);
      Lines_.insert(Lines_.end(), seg.lines.begin(), seg.lines.end());
    }
    LinesStale_ = false;
  }
  return Lines_;
}

std::string TIniFile32::ReadString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const {
  const Segment* seg = FindSection(section);
  // An empty key names no value: a line without one has no value either.
  if (!seg || key.empty()) return std::string(defaultValue);
  auto it = seg->keys.find(key);
  if (it == seg->keys.end()) return std::string(defaultValue);
  std::string_view value = ValueOfLine(seg->lines[it->second], key);
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
  const Segment* seg = FindSection(section);
  if (!seg) return;
  for (const std::string& line : seg->lines) {
    std::string_view key = KeyOfLine(line);
    if (key.empty()) continue;
    std::string entry(key);
    entry += '=';
    entry += ValueOfLine(line, key);
    strings->push_back(std::move(entry));
  }
}

void TIniFile32::Apply(std::string_view section, std::string_view key, std::string_view value) {
  std::string keyLine;
  keyLine.reserve(key.size() + 1 + value.size());
  keyLine.append(key).append("=").append(value);
  LinesStale_ = true;
  Segment* seg = FindSection(section);
  if (!seg) {
    // A new section always opens with a blank line, even at the top of a new file.
    Segments_.back().lines.emplace_back();
    std::string header = "[" + std::string(section) + "]";
    std::string_view name;
    if (HeaderName(header, name)) Sections_.emplace(ansi::UpperCase(name), Segments_.size());
    Segments_.push_back(Segment{std::move(header), {}, {}});
    seg = &Segments_.back();
    if (key.empty()) return;
  } else if (key.empty()) {
    return;
  }
  auto it = seg->keys.find(key);
  if (it != seg->keys.end()) {
    seg->lines[it->second] = std::move(keyLine);
    return;
  }
  // A new key goes after the section's last line, blank lines included:
  // directly before the next header.
  std::string_view lineKey = KeyOfLine(keyLine);
  if (!lineKey.empty()) seg->keys.emplace(std::string(lineKey), seg->lines.size());
  seg->lines.push_back(std::move(keyLine));
}

void TIniFile32::RemoveLine(std::string_view section, std::string_view key) {
  Segment* seg = FindSection(section);
  if (!seg || key.empty()) return;
  auto it = seg->keys.find(key);
  if (it == seg->keys.end()) return;
  seg->lines.erase(seg->lines.begin() + static_cast<ptrdiff_t>(it->second));
  // Rare (a member that failed after its record): the section's index is made anew.
  seg->keys.clear();
  for (size_t i = 0; i < seg->lines.size(); ++i) {
    std::string_view k = KeyOfLine(seg->lines[i]);
    if (!k.empty()) seg->keys.emplace(std::string(k), i);
  }
  LinesStale_ = true;
}

void TIniFile32::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  TIMED("setup: log WriteString");
  Apply(section, key, value);
  if (Journaled_) {
    AppendToJournal(journal::Encode({journal::Entry::Op::Write, std::string(section), std::string(key),
                                     std::string(value)}));
  } else {
    Save();
  }
}

void TIniFile32::UseJournal() {
  const std::string path = journal::PathFor(FileName_);
  if (std::optional<std::string> left = fileio::ReadWholeFile(path)) {
    for (const journal::Entry& e : journal::Decode(*left)) {
      if (e.op == journal::Entry::Op::Write) {
        Apply(e.section, e.key, e.value);
      } else {
        RemoveLine(e.section, e.key);
      }
    }
    Journaled_ = true;
    Checkpoint();
  }
  Journaled_ = true;
}

void TIniFile32::Intend(std::string_view section, std::string_view key, std::string_view value) {
  if (!Journaled_) return;
  AppendToJournal(
      journal::Encode({journal::Entry::Op::Write, std::string(section), std::string(key), std::string(value)}));
}

void TIniFile32::Retract(std::string_view section, std::string_view key) {
  RemoveLine(section, key);
  if (Journaled_) {
    AppendToJournal(journal::Encode({journal::Entry::Op::Remove, std::string(section), std::string(key), {}}));
  } else {
    Save();
  }
}

void TIniFile32::AppendToJournal(const std::string& line) {
  if (!Journal_) {
    Journal_ = std::make_unique<fileio::AppendFile>();
    Journal_->Open(journal::PathFor(FileName_));
  }
  Journal_->Append(line);
}

void TIniFile32::Checkpoint() {
  Save();
  // Only once the whole file is safely on disk may the journal go: until then
  // it is what a killed run leaves for the uninstaller.
  if (Journal_) Journal_.reset();
  fileio::RemoveFile(journal::PathFor(FileName_));
}

void TIniFile32::Save() const {
  const std::vector<std::string>& lines = Lines();
  size_t total = 0;
  for (const std::string& line : lines) total += line.size() + 2;
  std::string bytes;
  bytes.reserve(total);
  for (const std::string& line : lines) bytes.append(line).append("\r\n");
  fileio::ReplaceFileContents(FileName_, bytes);
}
