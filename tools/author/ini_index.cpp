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
      if (seg.findable) sections_.emplace(ansi::UpperCase(seg.name), segments_.size());
      segments_.push_back(std::move(seg));
      continue;
    }
    std::string_view key = inifiles32::KeyOfLine(line);
    if (key.empty()) {
      if (!ansi::Trim(line).empty()) segments_.back().keyless.push_back(number);
      continue;
    }
    IniSegment& seg = segments_.back();
    seg.first.emplace(std::string(key), seg.entries.size());
    seg.entries.push_back({number, std::string(key), std::string(inifiles32::ValueOfLine(line, key))});
  }
}

const IniSegment* IniIndex::Find(std::string_view section) const {
  auto it = sections_.find(ansi::UpperCase(section));
  return it == sections_.end() ? nullptr : &segments_[it->second];
}

const IniEntry* IniIndex::EntryOf(std::string_view section, std::string_view key) const {
  const IniSegment* seg = Find(section);
  if (!seg || key.empty()) return nullptr;
  auto it = seg->first.find(key);
  return it == seg->first.end() ? nullptr : &seg->entries[it->second];
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
