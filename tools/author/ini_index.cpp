#include "tools/author/ini_index.h"

#include "common/ansi.h"
#include "setup/run/inifiles32.h"

namespace author {

IniIndex::IniIndex(const std::vector<std::string>& lines) {
  segments_.emplace_back();
  int number = 0;
  for (const std::string& line : lines) {
    ++number;
    if (inifiles32::IsSectionHeader(line)) {
      IniSegment seg;
      seg.headerLine = number;
      seg.header = line;
      std::string_view trimmed = ansi::Trim(line);
      seg.name = std::string(trimmed.substr(1, trimmed.size() - 2));
      std::string_view name;
      seg.findable = inifiles32::HeaderName(line, name);
      segments_.push_back(std::move(seg));
      continue;
    }
    std::string_view key = inifiles32::KeyOfLine(line);
    if (key.empty()) {
      if (!ansi::Trim(line).empty()) segments_.back().keyless.push_back(number);
      continue;
    }
    segments_.back().entries.push_back(
        {number, std::string(key), std::string(inifiles32::ValueOfLine(line, key))});
  }
}

const IniSegment* IniIndex::Find(std::string_view section) const {
  const std::string wanted = ansi::UpperCase(section);
  for (const IniSegment& seg : segments_) {
    if (seg.headerLine != 0 && seg.findable && ansi::UpperCase(seg.name) == wanted) return &seg;
  }
  return nullptr;
}

const IniEntry* IniIndex::EntryOf(std::string_view section, std::string_view key) const {
  const IniSegment* seg = Find(section);
  if (!seg || key.empty()) return nullptr;
  for (const IniEntry& e : seg->entries) {
    if (e.key == key) return &e;
  }
  return nullptr;
}

int IniIndex::LineOf(std::string_view section, std::string_view key) const {
  if (const IniEntry* e = EntryOf(section, key)) return e->line;
  return HeaderLineOf(section);
}

int IniIndex::HeaderLineOf(std::string_view section) const {
  const IniSegment* seg = Find(section);
  return seg ? seg->headerLine : 0;
}

}  // namespace author
